#include "sequencer/color_chooser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "design/settings.h"
#include "sequencer/color_preferences.h"
#include "sequencer/sequencer_keys.h"
#include "sequencer/thread_palettes.h"
#include "threads/offered_charts.h"

namespace lh {
namespace {

ThreadColor header(const std::string& name, std::uint32_t rows) {
  ThreadColor h;
  h.displayName = name;
  h.rgb = kChartHeaderFlag + rows;
  return h;
}
ThreadColor entry(const std::string& name, std::uint32_t rgb) { return ThreadColor(name, rgb, 0); }

std::vector<std::string> names(std::span<const ThreadColor> list) {
  std::vector<std::string> out;
  for (const ThreadColor& t : list) out.push_back(t.displayName);
  return out;
}

TEST(ThreadPalettes, HeadersStartPalettes) {
  const std::vector<ThreadColor> received{header("Madeira Rayon", 2), entry("MA 1", 0x0000FF),
                                          entry("MA 2", 0x00FF00), header("Sulky Rayon", 1),
                                          entry("Sulky 1", 0xFF0000)};
  const auto palettes = splitPalettes(received, "/d/rose.pes");
  ASSERT_EQ(palettes.size(), 2u);
  EXPECT_EQ(palettes[0].name, "Madeira Rayon");
  EXPECT_EQ(palettes[1].name, "Sulky Rayon");
  EXPECT_EQ(palettes[0].entries.size(), 2u);
  EXPECT_EQ(palettes[1].entries[0].displayName, "Sulky 1");
  EXPECT_EQ(palettes[1].entries[0].chartIndex, 1);
  EXPECT_EQ(palettes[0].entries[1].chartIndex, 0);
  EXPECT_EQ(palettes[1].entries[0].blue, 255);  // derived fields are filled
}

TEST(ThreadPalettes, AMachinePaletteIsNamedAfterTheExtension) {
  const std::vector<ThreadColor> received{entry("Red", 0x0000FF), entry("Green", 0x00FF00),
                                          entry("Blue", 0xFF0000)};
  struct Case {
    const char* path;
    const char* name;
  };
  for (const Case c : {Case{"/d/rose.dst", "DST colors"}, Case{"Zip:/d/a.zip:x/rose.Pes", "PES colors"}}) {
    const auto palettes = splitPalettes(received, c.path);
    ASSERT_EQ(palettes.size(), 1u);
    EXPECT_EQ(palettes[0].name, c.name);
    EXPECT_EQ(palettes[0].entries.size(), 3u);
  }
  // A header after machine colours starts a second palette.
  const std::vector<ThreadColor> mixed{entry("Red", 0x0000FF), header("Isacord Poly", 1),
                                       entry("I 1", 0x00FF00)};
  const auto two = splitPalettes(mixed, "/d/rose.vip");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].name, "VIP colors");
  EXPECT_EQ(two[1].entries[0].chartIndex, 1);
  EXPECT_TRUE(splitPalettes({}, "/d/rose.pes").empty());
}

TEST(ThreadPalettes, ChartKeys) {
  struct Case {
    const char* name;
    int key;
  };
  const Case cases[] = {
      {"Madeira Rayon", 1},
      {"Madeira Poly", 7},
      {"MA Polyneon", 7},
      {"Marathon", 1},
      {"Sulky Rayon", 2},
      {"sulky 1147 Red", 2},
      {"Isafil Rayon", 3},
      {"Isacord Poly", 8},
      {"R-A Poly", 5},
      {"RA Rayon", 4},
      {"Robison-Anton Poly 40", 5},
      {"Stickma Poly", 6},
      {"Alcazar Rayon", 9},
      {"Embroidery", 0},
      {"PES colors", 0},
      {"Madeira Poly Rayon", 1},  // "RAYON" sets rayon again
      {"Sulky Isacord", 8},       // a later brand word overrides an earlier one
  };
  for (const Case& c : cases) EXPECT_EQ(chartKey(c.name), c.key) << c.name;
}

TEST(ThreadPalettes, SortByColorWalksFromGroupToGroup) {
  std::vector<ThreadColor> list{
      entry("red", rgbOf(255, 0, 0)),           entry("green", rgbOf(0, 255, 0)),
      entry("grey", rgbOf(128, 128, 128)),      entry("dark red", rgbOf(128, 0, 0)),
      entry("light red", rgbOf(255, 128, 128)), entry("silver", rgbOf(192, 192, 192))};
  sortByColor(list);
  EXPECT_EQ(names(list),
            (std::vector<std::string>{"silver", "grey", "light red", "red", "dark red", "green"}));
}

TEST(ThreadPalettes, SortByNameMovesSmallerNamesForward) {
  std::vector<ThreadColor> list{entry("b", 1), entry("C", 2), entry("a", 3), entry("B2", 4), entry("A", 5)};
  sortByName(list);
  EXPECT_EQ(names(list), (std::vector<std::string>{"a", "A", "b", "B2", "C"}));
}

TEST(ThreadPalettes, TwoEntriesAreNeverReordered) {
  const std::vector<ThreadColor> two{entry("z green", rgbOf(0, 255, 0)), entry("a red", rgbOf(255, 0, 0))};
  for (int sort = 0; sort < 3; ++sort) {
    std::vector<ThreadColor> list = two;
    if (sort == 0) sortByColor(list);
    if (sort == 1) sortByName(list);
    if (sort == 2) sortByCloseness(list, entry("red", rgbOf(255, 0, 0)));
    EXPECT_EQ(names(list), names(two)) << sort;
  }
}

TEST(ThreadPalettes, SortByClosenessPutsTheNearestFirst) {
  std::vector<ThreadColor> list{entry("green", rgbOf(0, 255, 0)), entry("blue", rgbOf(0, 0, 255)),
                                entry("near red", rgbOf(245, 10, 5)), entry("red", rgbOf(255, 0, 0)),
                                entry("orange", rgbOf(255, 140, 0))};
  ThreadColor wanted = entry("wanted", rgbOf(255, 0, 0));
  sortByCloseness(list, wanted);
  EXPECT_EQ(list[0].displayName, "red");
  EXPECT_EQ(list[1].displayName, "near red");
  for (std::size_t i = 1; i < list.size(); ++i)
    EXPECT_LE(colorDistance(wanted, list[i - 1]), colorDistance(wanted, list[i]));
}

ColorChooser chooserWith(const std::vector<ThreadColor>& received) {
  ColorChooser c;
  c.reloadPalettes(received, "/d/rose.pes");
  return c;
}

TEST(ColorChooser, SearchIgnoresCaseAndWraps) {
  ColorChooser c = chooserWith({header("Sulky Rayon", 4), entry("Sulky 1001 RED", 0x0000FF),
                                entry("Sulky 1002 Blue", 0xFF0000), entry("Sulky 1003 Dark Red", 0x000080),
                                entry("Sulky 1004 Green", 0x00FF00)});
  c.sortBy(ChooserSort::Name);
  ASSERT_EQ(c.rowTexts(), (std::vector<std::string>{"Sulky 1001 RED", "Sulky 1002 Blue",
                                                    "Sulky 1003 Dark Red", "Sulky 1004 Green"}));
  std::vector<int> found;
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(c.search("red"));
    found.push_back(c.selectedRow());
  }
  EXPECT_EQ(found, (std::vector<int>{0, 2, 0}));
  EXPECT_TRUE(c.search("1004 gr"));
  EXPECT_EQ(c.selectedRow(), 3);
  EXPECT_FALSE(c.search("purple"));
  EXPECT_EQ(c.selectedRow(), 3);
  EXPECT_FALSE(c.search(""));
}

TEST(ColorChooser, ShowThreadFindsThePaletteAndTheRow) {
  ColorChooser c = chooserWith({header("Isacord Poly", 1), entry("Isacord 0015", 0xFFFFFF),
                                header("Sulky Rayon", 3), entry("Sulky 1147 Red", 0x0000FF),
                                entry("Sulky 1005 Black", 0), entry("Sulky 1001 White", 0xFFFFFF),
                                header("Sulky Rayon (named)", 1), entry("Sulky 1147 Red", 0x0000FF)});
  ThreadColor stop = entry("Sulky 1147 Red", 0x0000FF);  // no chart index yet
  c.showThread(stop);
  ASSERT_EQ(c.shownPalette(), 1);  // the first palette of chart number 2
  EXPECT_EQ(c.chosenThread().displayName, "Sulky 1147 Red");

  ThreadColor byColor = entry("sulky 9999", 0);  // no equal name: the first row of the colour
  c.showThread(byColor);
  EXPECT_EQ(c.chosenThread().displayName, "Sulky 1005 Black");

  ThreadColor placed = entry("Whatever", 0xFFFFFF);
  placed.chartIndex = 0;
  c.showThread(placed);
  EXPECT_EQ(c.shownPalette(), 0);
  EXPECT_EQ(c.chosenThread().displayName, "Isacord 0015");

  const int before = c.shownPalette();
  c.showThread(entry("Embroidery 001", 0x0000FF));  // no chart number: nothing shown
  EXPECT_EQ(c.shownPalette(), before);

  ThreadColor named = entry("SULKY 1147 red", 0);
  c.findChartIndex(named);
  EXPECT_EQ(named.chartIndex, 1);
  ThreadColor unknown = entry("Nothing like it", 0);
  c.findChartIndex(unknown);
  EXPECT_EQ(unknown.chartIndex, -1);
}

TEST(ColorChooser, FindMatchesReordersTheShownPaletteOnly) {
  ColorChooser c =
      chooserWith({header("A", 3), entry("green", rgbOf(0, 255, 0)), entry("red", rgbOf(255, 0, 0)),
                   entry("blue", rgbOf(0, 0, 255)), header("B", 3), entry("green", rgbOf(0, 255, 0)),
                   entry("red", rgbOf(255, 0, 0)), entry("blue", rgbOf(0, 0, 255))});
  const auto otherBefore = names(c.palettes()[1].entries);
  c.selectRow(1);
  c.findMatches(entry("x", rgbOf(250, 0, 0)));
  EXPECT_EQ(c.rowTexts()[0], "red");
  EXPECT_EQ(c.selectedRow(), -1);  // the list was refilled
  EXPECT_EQ(names(c.palettes()[1].entries), otherBefore);
  EXPECT_EQ(c.chosenThread().displayName, "");  // nothing selected: a default thread
}

TEST(ColorPreferences, DefaultsClampingAndRoundTrip) {
  MemorySettings store;
  ColorPreferences p = loadColorPreferences(store);
  EXPECT_EQ(p, ColorPreferences::defaults());
  EXPECT_EQ(p.storage[0], 0xFFFFFFu);
  EXPECT_EQ(p.storage[12], 0xEBFFFFu);
  EXPECT_EQ(p.storage[23], 0x99FF99u);
  EXPECT_EQ(p.backgroundIndex, 12);
  EXPECT_EQ(p.background, p.storage[12]);
  EXPECT_EQ(p.hoopIndex, 4);
  EXPECT_EQ(p.hoop, p.storage[4]);
  EXPECT_EQ(p.controls, ColorControls::Rgb);

  struct Case {
    int stored, used;
  };
  for (const Case c : {Case{40, 23}, Case{-5, -1}, Case{-1, -1}, Case{0, 0}}) {
    store.setInt(kSequencerSection, kBackgroundIndexKey, c.stored);
    store.setInt(kSequencerSection, kHoopIndexKey, c.stored);
    EXPECT_EQ(loadColorPreferences(store).backgroundIndex, c.used) << c.stored;
    EXPECT_EQ(loadColorPreferences(store).hoopIndex, c.used) << c.stored;
  }

  p.pick(ColorTarget::Background, 7);
  p.setColor(ColorTarget::Hoop, 0x123456);
  p.store(3, 0xFF0000AB);  // only the colour bytes are kept
  p.controls = ColorControls::Hsb;
  storeColorPreferences(store, p);
  EXPECT_EQ(store.getInt(kSequencerSection, "s3", 0), 0xAB);
  EXPECT_EQ(store.getInt(kSequencerSection, "selectedColor", 0), 7);
  const ColorPreferences back = loadColorPreferences(store);
  EXPECT_EQ(back, p);
  EXPECT_EQ(back.background, 0xFFFF99u);
  EXPECT_EQ(back.hoopIndex, -1);
}

TEST(ColorPreferences, HsbSlidersRoundTrip) {
  EXPECT_EQ(hsbOfColor(rgbOf(255, 0, 0)), (HsbValue{0, 255, 255}));
  EXPECT_EQ(hsbOfColor(rgbOf(0, 0, 255)), (HsbValue{240, 255, 255}));
  EXPECT_EQ(hsbOfColor(rgbOf(90, 90, 90)), (HsbValue{0, 0, 90}));
  EXPECT_EQ(colorOfHsb({240, 255, 255}), rgbOf(0, 0, 255));
  // Whole-number sliders keep a colour to within a step or two per channel.
  for (std::uint32_t c : {rgbOf(255, 0, 0), rgbOf(12, 200, 77), rgbOf(235, 255, 255), rgbOf(90, 90, 90)}) {
    const std::uint32_t back = colorOfHsb(hsbOfColor(c));
    EXPECT_LE(std::abs(redOf(back) - redOf(c)) + std::abs(greenOf(back) - greenOf(c)) +
                  std::abs(blueOf(back) - blueOf(c)),
              3)
        << std::hex << c;
  }
}

}  // namespace
}  // namespace lh
