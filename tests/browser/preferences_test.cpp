// The preferences' values: what the first start stores, the limits of typed and stored
// numbers, the lists the pages offer, the background colours and what an apply changes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "browser/prefs_core/preferences.h"
#include "catalog/catalog_location.h"
#include "formats/format_table.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

// A key exists when two different fallbacks read the same value.
bool hasInt(const SettingsStore& s, std::string_view section, std::string_view key) {
  return s.getInt(section, key, -12345) == s.getInt(section, key, 54321);
}
bool hasText(const SettingsStore& s, std::string_view section, std::string_view key) {
  return s.getString(section, key, "\x01") == s.getString(section, key, "\x02");
}

struct Fresh {
  test::TempDir dir;
  PrefsPlaces places{dir.file("home"), dir.file("tmp"), dir.file("data/Quenby/Loomhall")};
  MemorySettings store;
};

TEST(PreferencesStart, EveryValueExistsAfterTheFirstStartWithItsDefault) {
  Fresh f;
  writeBackPreferences(f.store, f.places);
  std::vector<std::pair<std::string, std::string>> ints;
  for (const ViewTypeEntry& e : viewTypeEntries()) ints.emplace_back("Settings", e.key);
  for (const ConversionKey& k : conversionKeys()) ints.emplace_back("Conversion", k.key);
  for (int i = 0; i < kStoredColorCount; ++i) ints.emplace_back("BkgColors", storedColorKey(i));
  for (const char* k : {"converted", "original", "workspace", "deleted", "confirm"}) ints.emplace_back("Workspace", k);
  for (const char* k : {"Tools keep", "Tools selected", "Tools report", "English", "Color Sort Threshold",
                        "Baste length", "Baste combine", "Baste cross", "Baste edge", "BMP Size", "Make 3D", "Outline"})
    ints.emplace_back("Settings", k);
  ints.emplace_back("Conversion", "selection");
  ints.emplace_back("BkgColors", "selectedColor");
  ints.emplace_back("BkgColors", "selectedColorRGB");
  for (const auto& [section, key] : ints) EXPECT_TRUE(hasInt(f.store, section, key)) << section << "/" << key;
  for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{
           {"Workspace", "directory"}, {"Workspace", "originalDirectory"}, {"Settings", "Tools otf"},
           {"Settings", "Tag Line"}, {"Settings", "Catalog Path"}})
    EXPECT_TRUE(hasText(f.store, section, key)) << section << "/" << key;

  EXPECT_EQ(ints.size(), 18u + conversionKeys().size() + 24u + 5u + 12u + 3u);
  EXPECT_EQ(f.store.getInt("BkgColors", "selectedColor", 0), 18);
  EXPECT_EQ(f.store.getInt("BkgColors", "selectedColorRGB", 0), 0xD9D9E6);
  EXPECT_EQ(f.store.getInt("BkgColors", "s9", 0), 0x3E3BFF);
  EXPECT_EQ(f.store.getInt("Workspace", "original", 1), 0);
  EXPECT_EQ(f.store.getInt("Settings", "BMP Size", 0), 400);
  EXPECT_EQ(f.store.getInt("Conversion", "pesw", 0), 300);
  EXPECT_EQ(f.store.getString("Settings", "Tools otf", ""), "PES");
  EXPECT_EQ(f.store.getString("Settings", "Catalog Path", ""), f.places.dataFolder);
  EXPECT_TRUE(f.store.getString("Settings", "Tag Line", "").starts_with("Quenby dealer locator: "));
  // The folders are made in the home folder.
  const std::string temps = f.places.home + "/Loomhall/My Temps/";
  const std::string originals = f.places.home + "/Loomhall/My Original Designs/";
  EXPECT_EQ(f.store.getString("Workspace", "directory", ""), temps);
  EXPECT_EQ(f.store.getString("Workspace", "originalDirectory", ""), originals);
  EXPECT_TRUE(std::filesystem::is_directory(temps));
  EXPECT_TRUE(std::filesystem::is_directory(originals));
}

TEST(PreferencesStart, UnmakeableFoldersFallBackToTheSystemTemporaryFolder) {
  Fresh f;
  f.dir.write("home", {'x'});  // a file where the home folder should be
  const Preferences p = writeBackPreferences(f.store, f.places);
  EXPECT_EQ(p.workspace.temporaryFolder, f.places.tempFolder + "/");
  EXPECT_EQ(p.workspace.originalFolder, f.places.tempFolder + "/");
  // Without any folder to go by nothing is made (not "/Loomhall/...").
  const Preferences none = loadPreferences(MemorySettings{}, PrefsPlaces{});
  EXPECT_EQ(none.workspace.temporaryFolder, "");
  EXPECT_EQ(none.workspace.originalFolder, "");
}

TEST(PreferencesStart, StoredValuesAreKeptAndOutOfRangeOnesReadAsTheirLimits) {
  struct Case {
    int stored;
    int loaded;
  };
  for (const Case c : {Case{40, 23}, Case{-5, -1}, Case{7, 7}}) {
    MemorySettings s;
    s.setInt("BkgColors", "selectedColor", c.stored);
    EXPECT_EQ(loadPreferences(s, {}).colors.selected, c.loaded) << c.stored;
  }
  Fresh f;
  f.store.setString("Workspace", "directory", "/x/temps/");
  f.store.setInt("Settings", "BMP Size", 5000);
  f.store.setInt("Settings", "View Jan", 0);
  const Preferences p = writeBackPreferences(f.store, f.places);
  EXPECT_EQ(p.workspace.temporaryFolder, "/x/temps/");
  EXPECT_EQ(f.store.getInt("Settings", "BMP Size", 0), 1024);
  EXPECT_EQ(f.store.getInt("Settings", "View Jan", 1), 0);
}

TEST(PreferencesStore, EveryValueRoundTrips) {
  Fresh f;
  Preferences p = writeBackPreferences(f.store, f.places);
  p.viewTypes[3] = false;
  p.workspace = {false, false, "/t/", false, false, "/o/"};
  p.conversion[5].trimCommands = 9;
  p.conversionSelection = 5;
  p.tools = {true, 7, false};
  p.english = false;
  p.sortThreshold = 40;
  p.baste = {12, false, false, 4};
  p.colors.setColor(0x123456);
  p.bitmap = {200, false, true};
  p.tagLine = "mine";
  savePreferences(f.store, p);
  EXPECT_EQ(loadPreferences(f.store, f.places), p);
  EXPECT_EQ(f.store.getInt("Workspace", "original", 0), 1);
  EXPECT_EQ(f.store.getString("Settings", "Tools otf", ""), "EXP");
}

TEST(PreferencesRules, TypedNumbersFollowTheirFieldsRules) {
  struct Case {
    TypingRule rule;
    int typed;
    int shown;
  };
  for (const Case c : {Case{kBitmapTyping, 5000, 2000}, Case{kBitmapTyping, -3, 150}, Case{kBitmapTyping, 10, 10},
                       Case{kBitmapTyping, 12000, 2000}, Case{kSortTyping, 150, 100}, Case{kSortTyping, -1, 0},
                       Case{kBasteLengthTyping, 0, 1}, Case{kBasteLengthTyping, 101, 100},
                       Case{kHoopTyping, 1500, 1000}, Case{kTrimLengthTyping, 101, 100},
                       Case{kTrimCommandsTyping, 13, 12}})
    EXPECT_EQ(typedValue(c.typed, c.rule), c.shown) << c.typed;
  EXPECT_EQ(bitmapSizeOnApply(2000), 1024);
  EXPECT_EQ(bitmapSizeOnApply(10), 32);
  EXPECT_EQ(bitmapSizeOnApply(500), 500);
}

TEST(PreferencesRules, TheLastTickedViewTypeStaysTicked) {
  ViewTicks ticks{};
  ticks[4] = ticks[9] = true;
  EXPECT_TRUE(mayUntick(ticks, 4));
  ticks[4] = false;
  EXPECT_FALSE(mayUntick(ticks, 9));
  EXPECT_TRUE(mayUntick(ticks, 2));  // already clear
}

TEST(PreferencesRules, UntickedTypesLeaveTheList) {
  MemorySettings s;
  s.setInt("Settings", "View Pec", 0);  // PEC and PHC share one box
  s.setInt("Settings", "View Jef", 0);
  const std::vector<std::string> viewed = viewedTypes(s);
  for (const auto& [location, kept] : std::vector<std::pair<std::string, bool>>{
           {"/d/rose.pes", true}, {"/d/rose.PHC", false}, {"/d/rose.jef+", false},
           {"Zip:/d/a.zip:in/rose.pec", false}, {"Zip:/d/a.zip:in/rose.dst", true}, {"/d/notes.odt", true}})
    EXPECT_EQ(keptInList(location, viewed), kept) << location;
}

TEST(PreferencesRules, ListsMatchTheFormatTable) {
  std::set<std::string_view> pageKeys, tableKeys;
  for (const ViewTypeEntry& e : viewTypeEntries()) pageKeys.insert(e.key);
  for (const FormatInfo& f : formatTable()) tableKeys.insert(f.viewKey);
  EXPECT_EQ(pageKeys, tableKeys);
  EXPECT_EQ(pageKeys.size(), kViewTypeCount);

  const std::vector<std::string> titles = toolFormatTitles();
  const std::vector<std::string> expected{".PES (Quenby/Brother/Bernina Deco)", ".SEW (Elna/Janome-New Home/Kenmore)",
                                          ".JEF (Janome-New Home)", ".HUS (Husqvarna Viking)", ".PCS (Pfaff)",
                                          ".DST (Tajima)", ".XXX (Singer)", ".EXP (Melco Expanded)",
                                          ".VIP (Husqvarna Viking/Pfaff)", ".VP3 (Husqvarna Viking/Pfaff)"};
  EXPECT_EQ(titles, expected);
  EXPECT_EQ(otfLetters(titles[5]), "DST");

  MemorySettings s;
  Preferences p = loadPreferences(s, {});
  p.tools.selected = 5;  // ".DST (Tajima)"
  savePreferences(s, p);
  EXPECT_EQ(s.getInt("Settings", "Tools selected", 0), 5);
  EXPECT_EQ(s.getString("Settings", "Tools otf", ""), "DST");
}

TEST(PreferencesColors, PickSlidersDropAndReset) {
  BackgroundColors c = BackgroundColors::defaults();
  c.pick(9);
  EXPECT_EQ(c.selected, 9);
  EXPECT_EQ(c.color, 0x3E3BFFu);
  c.pick(24);  // outside: nothing changes
  EXPECT_EQ(c.selected, 9);
  c.setColor(0xFF123456);
  EXPECT_EQ(c.selected, -1);
  EXPECT_EQ(c.color, 0x123456u);
  c.dropOn(2);
  EXPECT_EQ(c.stored[2], 0x123456u);
  EXPECT_EQ(c.selected, 2);
  c.resetStored();
  EXPECT_EQ(c.stored, BackgroundColors::defaults().stored);
  EXPECT_EQ(c.color, 0xAAAAAAu);  // position 2 stays chosen with its built-in colour
}

TEST(PreferencesEffects, ApplyReportsWhatChanged) {
  Fresh f;
  const Preferences before = writeBackPreferences(f.store, f.places);
  EXPECT_EQ(effectsOf(before, before), PrefsEffects{});

  Preferences after = before;
  after.viewTypes[0] = false;
  after.colors.pick(3);
  after.english = !before.english;
  after.catalogFolder = before.catalogFolder + "/";  // the same folder
  PrefsEffects e = effectsOf(before, after);
  EXPECT_TRUE(e.viewTypes && e.colors && e.units);
  EXPECT_FALSE(e.workspace || e.tagLine || e.catalogFolder);

  after = before;
  after.workspace.useTemporary = false;
  after.tagLine = "";
  after.catalogFolder = "/elsewhere/";
  e = effectsOf(before, after);
  EXPECT_TRUE(e.workspace && e.tagLine);
  EXPECT_EQ(e.catalogFolder, "/elsewhere");
  // Applying stores nothing of the catalog folder: changeCatalogFolder does that.
  savePreferences(f.store, after);
  EXPECT_EQ(f.store.getString("Settings", "Catalog Path", ""), f.places.dataFolder);
}

}  // namespace
}  // namespace lh
