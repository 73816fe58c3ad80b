#include "threads/format_palettes.h"

#include <gtest/gtest.h>

namespace lh {
namespace {

struct NamedEntry {
  int index;
  const char* name;
  std::uint32_t rgb;
};

TEST(HusqvarnaPalette, EntriesAliasesAndDefault) {
  const NamedEntry cases[] = {
      {0, "Black", rgbOf(0, 0, 0)},           {1, "Blue", rgbOf(0, 0, 255)},
      {21, "Dark Gray", rgbOf(60, 60, 60)},   {22, "Light Gray", rgbOf(192, 192, 192)},
      {28, "Light Brown", rgbOf(175, 90, 10)}, {29, "Light Gray", rgbOf(192, 192, 192)},
      {33, "Dark Blue", rgbOf(0, 0, 128)},    {37, "Dark Yellow", rgbOf(200, 200, 0)},
      {38, "Dark Gray", rgbOf(60, 60, 60)},   {40, "Light Gray", rgbOf(192, 192, 192)},
      {43, "Dark Brown", rgbOf(115, 40, 0)},  {44, "Light Gray", rgbOf(192, 192, 192)},
      {255, "Light Gray", rgbOf(192, 192, 192)}, {-1, "Light Gray", rgbOf(192, 192, 192)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    const ThreadColor t = husqvarnaColor(c.index);
    EXPECT_EQ(t.displayName, c.name);
    EXPECT_EQ(t.colorName, c.name);
    EXPECT_EQ(t.rgb, c.rgb);
    EXPECT_EQ(t.chartCode, c.index);  // the default entry keeps the asked index
  }
}

TEST(HusqvarnaPalette, NearestIndexSearchesEntriesZeroToTwentyEight) {
  EXPECT_EQ(nearestHusqvarnaIndex(rgbOf(0, 0, 0)), 0);
  EXPECT_EQ(nearestHusqvarnaIndex(rgbOf(190, 190, 190)), 22);  // the default entry counts
  EXPECT_EQ(nearestHusqvarnaIndex(rgbOf(0, 0, 128)), 13);      // alias 33 is outside the search
  EXPECT_EQ(nearestHusqvarnaIndex(rgbOf(176, 90, 10)), 28);
  for (int n = 0; n < kHusqvarnaSearchEntries; ++n)
    EXPECT_EQ(nearestHusqvarnaIndex(husqvarnaColor(n).rgb), n) << n;
}

TEST(JanomePalette, LookupAndOutOfRangeCodes) {
  ThreadColor t = janomeColor(79);
  EXPECT_EQ(t.displayName, "Other Color");
  EXPECT_EQ(t.rgb, rgbOf(192, 192, 192));
  EXPECT_EQ(janomeColor(40).displayName, "Burgundy");
  EXPECT_EQ(janomeColor(1).rgb, 0u);

  ThreadColor kept("Mine", rgbOf(1, 2, 3), 0);
  janomeColor(kept, 80);
  EXPECT_EQ(kept.chartCode, 80);
  EXPECT_EQ(kept.rgb, rgbOf(1, 2, 3));
  EXPECT_EQ(kept.displayName, "Mine");
  janomeColor(kept, 0);
  EXPECT_EQ(kept.rgb, rgbOf(1, 2, 3));
}

TEST(JanomePalette, NearestCodeNeverOtherColor) {
  ThreadColor grey("", rgbOf(192, 192, 192), 0);
  const int code = nearestJanomeCode(grey);
  EXPECT_NE(code, 79);
  EXPECT_EQ(grey.chartCode, code);
  EXPECT_EQ(nearestJanomeCode(rgbOf(255, 0, 0)), 10);
  EXPECT_EQ(nearestJanomeCode(rgbOf(0, 0, 0)), 1);
  for (int c = 1; c < kJanomeCodes; ++c) EXPECT_EQ(nearestJanomeCode(janomeRgb(c)), c) << c;
}

TEST(WindowsPalette, TableLookupAndNearest) {
  const ThreadColor t = windowsColor(13);
  EXPECT_EQ(t.displayName, "Medium Gray");
  EXPECT_EQ(t.colorName, "Medium Gray");
  EXPECT_EQ(t.rgb, rgbOf(128, 128, 128));
  EXPECT_EQ(t.chartCode, 13);
  EXPECT_TRUE(windowsColor(16).displayName.empty());

  EXPECT_EQ(exactWindowsIndex(rgbOf(0, 128, 128)), 3);
  EXPECT_EQ(exactWindowsIndex(rgbOf(0, 128, 129)), -1);
  EXPECT_EQ(nearestWindowsIndex(rgbOf(250, 10, 5)), 8);
  EXPECT_EQ(nearestWindowsIndex(rgbOf(96, 96, 96)), 13);
  EXPECT_EQ(nearestWindowsIndex(rgbOf(64, 64, 64)), 0);  // black and medium grey tie at 192
}

TEST(WindowsPalette, NearestOverAWrittenTable) {
  WindowsColorTable table = windowsPalette();
  table[0] = rgbOf(10, 20, 30);
  table[5] = rgbOf(10, 20, 30);  // a tie keeps the lower index
  EXPECT_EQ(nearestWindowsIndex(rgbOf(11, 21, 31), table), 0);
  // Every entry 765 away (all white, matching black): nothing below 765 gives 0.
  table.fill(rgbOf(255, 255, 255));
  EXPECT_EQ(nearestWindowsIndex(rgbOf(0, 0, 0), table), 0);
  table[7] = rgbOf(254, 255, 255);
  EXPECT_EQ(nearestWindowsIndex(rgbOf(0, 0, 0), table), 7);
}

}  // namespace
}  // namespace lh
