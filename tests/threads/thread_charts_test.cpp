#include "threads/thread_charts.h"

#include <gtest/gtest.h>

#include "design/emb_design.h"
#include "threads/pec_palette.h"

namespace lh {
namespace {

struct FirstRow {
  Chart chart;
  int rows;
  std::int32_t chartCode;
  std::int32_t threadType;
  const char* displayName;
  const char* brand;  // brand-style rows only
  const char* code;
  const char* colorName;
  std::uint32_t rgb;
};

const FirstRow kFirstRows[] = {
    {Chart::Embroidery, 64, 1, 10, "Black", "", "", "Black", rgbOf(0, 0, 0)},
    {Chart::Country, 61, 0x200, 11, "Country 20 Black", "Country", "20", "Black", rgbOf(0, 0, 0)},
    {Chart::FleshTone, 10, 0x1200, 1, "Flesh Tone 077 BASE LIGHT", "Flesh Tone", "077", "BASE LIGHT",
     rgbOf(254, 230, 182)},
    {Chart::SulkyRayon, 283, 0x1100, 1, "Sulky 502 Cornsilk", "Sulky", "502", "Cornsilk", rgbOf(239, 200, 16)},
    {Chart::MaRayon, 286, 0x400, 1, "MA Rayon 1000", "MA Rayon", "1000", "", rgbOf(0, 0, 0)},
    {Chart::MaPolyneon, 211, 0x700, 1, "MA Polyneon 1610", "MA Polyneon", "1610", "", rgbOf(184, 195, 203)},
    {Chart::RaPoly, 452, 0x1500, 1, "RA Poly 9026 Pink Cascade", "RA Poly", "9026", "Pink Cascade",
     rgbOf(249, 221, 214)},
    {Chart::RaRayon, 419, 0x1600, 1, "RA Rayon 2243 Light Pink", "RA Rayon", "2243", "Light Pink",
     rgbOf(239, 204, 206)},
    {Chart::Isacord, 312, 0x1700, 1, "Isacord 0017", "Isacord", "0017", "", rgbOf(248, 255, 255)},
    {Chart::GuDekor, 101, 0x1800, 1, "GU Dekor 1000", "GU Dekor", "1000", "", rgbOf(10, 9, 3)},
    {Chart::AlcazarRayon, 117, 9, 0, "Alcazar Rayon 488", "", "", "", rgbOf(250, 253, 158)},
    {Chart::IsacordPoly, 210, 8, 0, "Isacord Poly 0015", "", "", "", rgbOf(255, 255, 255)},
    {Chart::IsafilRayon, 288, 3, 0, "Isafil Rayon 0270", "", "", "", rgbOf(249, 246, 192)},
    {Chart::MadeiraPoly, 204, 7, 0, "Madeira Poly 1623", "", "", "", rgbOf(255, 237, 0)},
    {Chart::MadeiraRayon, 288, 1, 0, "Madeira Rayon 1022", "", "", "", rgbOf(255, 249, 137)},
    {Chart::RaPolyNamed, 232, 5, 0, "R-A Poly 5543", "", "", "", rgbOf(251, 215, 216)},
    {Chart::RaRayonNamed, 374, 4, 0, "R-A Rayon 2243", "", "", "", rgbOf(235, 204, 219)},
    {Chart::StickmaPoly, 127, 6, 0, "Stickma Poly 61187", "", "", "", rgbOf(255, 222, 0)},
    {Chart::SulkyRayonNamed, 305, 2, 0, "Sulky Rayon 1001", "", "", "", rgbOf(254, 254, 254)},
    {Chart::SulkyRayonXxx, 196, 1, 0, "Sulky Rayon 1061", "", "", "", rgbOf(226, 224, 197)},
};

TEST(ThreadCharts, CountsCodesAndFirstRows) {
  ASSERT_EQ(chartInfos().size(), std::size(kFirstRows));
  for (const FirstRow& c : kFirstRows) {
    const ChartInfo& info = chartInfo(c.chart);
    SCOPED_TRACE(std::string(info.name));
    const auto rows = chartRows(c.chart);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.rows));
    EXPECT_EQ(info.rowCount, c.rows);
    const ThreadColor& first = rows.front();
    EXPECT_EQ(first.displayName, c.displayName);
    EXPECT_EQ(first.brand, c.brand);
    EXPECT_EQ(first.code, c.code);
    EXPECT_EQ(first.colorName, c.colorName);
    EXPECT_EQ(first.rgb, c.rgb);
    for (const ThreadColor& row : rows) {
      ASSERT_EQ(row.chartCode, c.chartCode) << row.displayName;
      ASSERT_EQ(row.threadType, c.threadType) << row.displayName;
      ASSERT_EQ(row.needle, -1);
      ASSERT_FALSE(row.displayName.empty());
      if (info.style == ChartStyle::Named) {
        ASSERT_TRUE(row.brand.empty() && row.code.empty());
      }
    }
  }
}

TEST(ThreadCharts, EmbroideryFollowsThePecPaletteInDisplayOrder) {
  const auto rows = chartRows(Chart::Embroidery);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int index = i < kPecDisplayOrder.size() ? kPecDisplayOrder[i] : static_cast<int>(62 + i - 61);
    EXPECT_EQ(rows[i].colorName, pecColorName(index)) << i;
    EXPECT_EQ(rows[i].rgb, pecColor(index)) << i;
    EXPECT_TRUE(rows[i].code.empty());
  }
  EXPECT_EQ(rows.back().displayName, "Applique");
}

TEST(ThreadCharts, CountryAndFleshToneRowsAsDefined) {
  const auto country = chartRows(Chart::Country);
  EXPECT_EQ(country[1].displayName, "Country 29 White");
  EXPECT_EQ(country[1].rgb, rgbOf(240, 240, 240));
  EXPECT_EQ(country[2].rgb, rgbOf(233, 1, 104));
  EXPECT_EQ(country[5].displayName, "Country 57 Flesh Pink");
  EXPECT_EQ(country[5].rgb, rgbOf(249, 142, 178));
  const ThreadColor& last = chartRows(Chart::FleshTone).back();
  EXPECT_EQ(last.displayName, "Flesh Tone 185 HIGHLIGHT COCO");
  EXPECT_EQ(last.rgb, rgbOf(129, 50, 26));
}

TEST(ThreadCharts, FindChartIgnoresCase) {
  EXPECT_EQ(findChart("sulky rayon (named)"), Chart::SulkyRayonNamed);
  EXPECT_EQ(findChart("MA RAYON"), Chart::MaRayon);
  EXPECT_FALSE(findChart("Sulky").has_value());
}

TEST(GuessChartFromName, LaterKeysOverrideEarlierOnes) {
  struct Case {
    const char* name;
    std::int32_t chartCode;
  } cases[] = {
      {"MA Rayon 1000", 0x1600},         // the "RA" of "RAYON" overrides the "MA" key
      {"MA 1000", 0x400},
      {"MA Polyneon 1610", 0x700},
      {"POLY MA", 0x400},                 // "POLY" must come after the first character
      {"RA Poly 9026 Pink Cascade", 0x1500},
      {"Madeira Rayon 1022", 0x1600},     // "MADEIRA" holds "RA"
      {"Isacord 0017", 0x1700},
      {"GU Dekor 1000", 0x1800},
      {"Sulky 502 Cornsilk", 0x1100},
      {"Flesh Tone 077 BASE LIGHT", 0x1200},
      {"fLeSh", 0x1200},
      {"Country 20 Black", 0x200},
      {"Black", -1},
      {"", -1},
  };
  for (const auto& c : cases) {
    ThreadColor t("Some Brand", "x", "1", 0, 7, 1);
    t.displayName = c.name;
    guessChartFromName(t);
    EXPECT_EQ(t.chartCode, c.chartCode) << c.name;
    EXPECT_TRUE(t.brand.empty());
  }
}

TEST(GuessChartFromName, AppliesToEveryBlock) {
  EmbDesign d;
  d.threads.push_back(chartRows(Chart::FleshTone).front());
  d.threads.push_back(chartRows(Chart::SulkyRayon).front());
  d.threads.emplace_back("Plain", rgbOf(1, 2, 3), 5);
  guessChartsFromNames(d);
  EXPECT_EQ(d.threads[0].chartCode, 0x1200);
  EXPECT_EQ(d.threads[1].chartCode, 0x1100);
  EXPECT_EQ(d.threads[2].chartCode, -1);
  EXPECT_TRUE(d.threads[1].brand.empty());
}

}  // namespace
}  // namespace lh
