#include "tools/conversion_settings.h"

#include <gtest/gtest.h>

#include "formats/format_code.h"

namespace lh {
namespace {

TEST(ConversionSettings, DefaultsOfEveryFormat) {
  struct Row {
    int code, w, h, nc, ns, shpct;
    bool r, both;
  };
  // Effective limits: a count whose enable flag is off reads as 0.
  const Row rows[] = {
      {FormatPes, 300, 200, 99, 0, 10, true, true},    {FormatSew, 126, 90, 12, 60000, 10, true, false},
      {FormatJef, 200, 200, 78, 64000, 10, true, false}, {FormatHus, 150, 240, 0, 0, 10, true, true},
      {FormatPcs, 110, 112, 16, 28000, 10, true, false}, {FormatDst, 300, 300, 0, 0, 0, false, false},
      {FormatXxx, 140, 240, 15, 30000, 10, true, false}, {FormatExp, 300, 300, 0, 0, 0, false, false},
      {FormatVip, 150, 360, 0, 0, 10, false, true},      {FormatVp3, 150, 360, 0, 0, 10, false, true},
  };
  const ConversionTable t = loadConversionTable(defaultSettings());
  for (const Row& r : rows) {
    const ConversionSettings& s = t[static_cast<std::size_t>(r.code)];
    EXPECT_EQ(s.format, r.code);
    EXPECT_EQ(s.hoopWidth, r.w) << r.code;
    EXPECT_EQ(s.hoopHeight, r.h) << r.code;
    EXPECT_EQ(s.maxColors(), r.nc) << r.code;
    EXPECT_EQ(s.maxStitches(), r.ns) << r.code;
    EXPECT_EQ(s.shrinkPercent(), r.shpct) << r.code;
    EXPECT_EQ(s.rotate, r.r) << r.code;
    EXPECT_EQ(s.bothOrientations, r.both) << r.code;
  }
  EXPECT_EQ(t[FormatHus].splitColorCount, 36);  // kept although "husc" is off
  EXPECT_TRUE(t[FormatPes].pesVersion5);
  EXPECT_TRUE(t[FormatPes].pes6ForLarge);
  EXPECT_EQ(t[FormatPes].trimLength, 6);
  EXPECT_EQ(t[FormatDst].trimCommands, 4);
  EXPECT_TRUE(t[FormatPes].ensureTrims);
  EXPECT_TRUE(t[FormatDst].ensureTrims);
  EXPECT_EQ(t[FormatDst].trimLength, 6);
  EXPECT_FALSE(t[FormatJef].ensureTrims);
  EXPECT_FALSE(t[FormatDst].pesVersion5);
}

TEST(ConversionSettings, KeysAreExtensionPlusSuffix) {
  MemorySettings store;
  store.setInt("Conversion", "pesw", 260);
  store.setInt("Conversion", "husshpct", 15);
  store.setInt("Conversion", "vp3both", 0);
  store.setInt("Conversion", "sewss", 0);
  store.setInt("Conversion", "dstjumps", 2);
  EXPECT_EQ(loadConversionSettings(store, FormatPes).hoopWidth, 260);
  EXPECT_EQ(loadConversionSettings(store, FormatHus).shrinkPercent(), 15);
  EXPECT_FALSE(loadConversionSettings(store, FormatVp3).bothOrientations);
  EXPECT_EQ(loadConversionSettings(store, FormatSew).maxStitches(), 0);
  EXPECT_EQ(loadConversionSettings(store, FormatDst).trimCommands, 2);
}

// Stored numbers outside their ranges read as the nearest limit: a hoop of 300000000 mm
// would overflow the hoop fitting and make every design "too big".
TEST(ConversionSettings, StoredNumbersAreClampedToTheirRanges) {
  struct Row {
    const char* key;
    int stored, read;
    int ConversionSettings::*field;
    int code;
  };
  using S = ConversionSettings;
  const Row rows[] = {
      {"pesw", 300000000, 1000, &S::hoopWidth, FormatPes},   {"pesw", -5, 0, &S::hoopWidth, FormatPes},
      {"pesw", 1000, 1000, &S::hoopWidth, FormatPes},        {"jefh", 1001, 1000, &S::hoopHeight, FormatJef},
      {"jefh", 0, 0, &S::hoopHeight, FormatJef},             {"husshpct", 250, 100, &S::shrinkPct, FormatHus},
      {"husshpct", -1, 0, &S::shrinkPct, FormatHus},         {"husshpct", 35, 35, &S::shrinkPct, FormatHus},
      {"sewns", -60000, 0, &S::splitStitchCount, FormatSew}, {"sewns", 90000, 90000, &S::splitStitchCount, FormatSew},
      {"xxxnc", -2, 0, &S::splitColorCount, FormatXxx},      {"dstjumps", 13, 12, &S::trimCommands, FormatDst},
      {"dstjumps", -1, 0, &S::trimCommands, FormatDst},      {"dstjumps", 12, 12, &S::trimCommands, FormatDst},
      {"dsttrimlen", 101, 100, &S::trimLength, FormatDst},   {"pestrimlen", -3, 0, &S::trimLength, FormatPes},
      {"pestrimlen", 100, 100, &S::trimLength, FormatPes},
  };
  for (const Row& r : rows) {
    MemorySettings store;
    store.setInt("Conversion", r.key, r.stored);
    EXPECT_EQ(loadConversionSettings(store, r.code).*r.field, r.read) << r.key << "=" << r.stored;
  }
  MemorySettings store;
  store.setInt("Conversion", "pesw", 300000000);
  EXPECT_EQ(hoopRectFor("a.pes", store), (HoopRect{-5000, -1000, 5000, 1000}));
}

TEST(ConversionSettings, SaveWritesEveryKeyAndRoundTrips) {
  MemorySettings store;
  ConversionSettings s = defaultConversionSettings(FormatPes);
  s.hoopHeight = 180;
  s.shrinkOn = false;
  saveConversionSettings(store, s);
  EXPECT_EQ(store.getInt("Conversion", "pesh", -1), 180);
  EXPECT_EQ(store.getInt("Conversion", "pessh", -1), 0);
  EXPECT_EQ(store.getInt("Conversion", "pesshpct", -1), 10);
  EXPECT_EQ(store.getInt("Conversion", "pestrimlen", -1), 6);
  EXPECT_EQ(loadConversionSettings(store, FormatPes), s);
  saveConversionSettings(store, defaultConversionSettings(FormatDst));
  EXPECT_EQ(store.getInt("Conversion", "dsttrimlen", -1), 6);
}

TEST(ConversionSettings, Selection) {
  MemorySettings store;
  EXPECT_EQ(loadConversionSelection(store), 0);
  store.setInt("Conversion", "selection", FormatVip);
  EXPECT_EQ(loadConversionSelection(store), FormatVip);
  store.setInt("Conversion", "selection", 12);
  EXPECT_EQ(loadConversionSelection(store), 0);
}

TEST(ConversionSettings, CodesWithoutARecordAreZero) {
  for (int code : {-1, 10, 16, 17, 99}) {
    const ConversionSettings s = loadConversionSettings(defaultSettings(), code);
    EXPECT_EQ(s.hoopWidth, 0);
    EXPECT_EQ(s.maxColors(), 0);
    EXPECT_EQ(s.shrinkPercent(), 0);
  }
}

TEST(ConversionSettings, HoopRectFollowsTheToolFormat) {
  MemorySettings store;
  store.setInt("Settings", "Tools selected", FormatJef);
  // "Tools keep" off: every path takes the hoop of the selected format.
  EXPECT_EQ(hoopRectFor("/a/rose.pes", store), (HoopRect{-1000, -1000, 1000, 1000}));
  EXPECT_EQ(hoopRectFor("/a/rose.phc", store), (HoopRect{-1000, -1000, 1000, 1000}));
  store.setInt("Settings", "Tools keep", 1);
  EXPECT_EQ(hoopRectFor("/a/rose.pes", store), (HoopRect{-1500, -1000, 1500, 1000}));
  EXPECT_EQ(hoopRectFor("/a/rose.art", store), (HoopRect{-1500, -1500, 1500, 1500}));
  EXPECT_EQ(hoopRectFor("/a/rose.phc", store), HoopRect{});
  EXPECT_EQ(hoopRectFor("/a/rose.txt", store), HoopRect{});
}

}  // namespace
}  // namespace lh
