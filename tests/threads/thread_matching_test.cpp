#include "threads/thread_matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "design/emb_design.h"
#include "tests/support/design_builder.h"
#include "threads/pec_palette.h"

namespace lh {
namespace {

TEST(NearestPecColor, Cases) {
  struct Case {
    int r, g, b;
    bool applique, extended;
    int expected;
    int distance;
  } cases[] = {
      {255, 255, 255, false, false, 29, 45},
      {0, 0, 0, false, false, 20, 0},  // Black (20) comes before Composite (0)
      {0, 0, 0, false, true, 20, 0},   // ties keep the earlier candidate
      {255, 200, 100, true, false, 62, 0},
      {255, 200, 100, false, false, 33, 55},  // Pumpkin without the applique colours
      {0, 0, 255, true, true, 67, 0},
      {0, 0, 255, false, false, 1, 176},
      {225, 225, 225, true, false, 65, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
    const int index = nearestPecColor(c.r, c.g, c.b, c.applique, c.extended);
    EXPECT_EQ(index, c.expected);
    const std::uint32_t p = pecColor(index);
    EXPECT_EQ(std::abs(c.r - redOf(p)) + std::abs(c.g - greenOf(p)) + std::abs(c.b - blueOf(p)), c.distance);
  }
}

std::vector<ThreadColor> rowsOf(std::initializer_list<std::uint32_t> colors) {
  std::vector<ThreadColor> rows;
  int n = 0;
  for (std::uint32_t c : colors) rows.emplace_back("Row " + std::to_string(n++), c, 5);
  return rows;
}

TEST(NearestChartRow, CylinderDistance) {
  const auto rows = rowsOf({rgbOf(0, 0, 255), rgbOf(128, 128, 128)});
  // Red is (510, 0, 255) in the cylinder, blue (-255, -442, 255): sqrt(765^2 + 442^2) = 883.51.
  ChartMatch m = nearestChartRow(rgbOf(255, 0, 0), std::span(rows).first(1));
  ASSERT_NE(m.row, nullptr);
  EXPECT_EQ(m.distance, 884);
  // A grey has no hue and no radius: (0, 0, 100) against (0, 0, 128).
  m = nearestChartRow(rgbOf(100, 100, 100), rows);
  EXPECT_EQ(m.row, &rows[1]);
  EXPECT_EQ(m.distance, 28);
}

TEST(NearestChartRow, ExactColorStopsAtTheFirstEqualRow) {
  const auto rows = chartRows(Chart::IsacordPoly);  // 0015 and 0017 are both white
  const ChartMatch m = nearestChartRow(rgbOf(255, 255, 255), rows);
  EXPECT_EQ(m.row, &rows[0]);
  EXPECT_EQ(m.distance, 0);
  const auto ra = chartRows(Chart::RaPoly);
  EXPECT_EQ(nearestChartRow(ra[100].rgb, Chart::RaPoly).distance, 0);
}

TEST(NearestChartRow, ChartSearchAgreesWithRowSearch) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> channel(0, 255);
  for (int i = 0; i < 200; ++i) {
    const std::uint32_t rgb = rgbOf(channel(rng), channel(rng), channel(rng));
    const ChartMatch byChart = nearestChartRow(rgb, Chart::SulkyRayon);
    const ChartMatch byRows = nearestChartRow(rgb, chartRows(Chart::SulkyRayon));
    EXPECT_EQ(byChart.row, byRows.row);
    EXPECT_EQ(byChart.distance, byRows.distance);
  }
}

TEST(NearestChartRow, EmptyChartGivesNoRow) {
  const ChartMatch m = nearestChartRow(rgbOf(1, 2, 3), std::span<const ThreadColor>());
  EXPECT_EQ(m.row, nullptr);
  EXPECT_EQ(m.distance, 0);
}

TEST(MatchPercent, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(matchPercent(0.0f), 100);
  EXPECT_EQ(matchPercent(100.0f), 77);  // 22.573364 rounds to 23
  EXPECT_EQ(matchPercent(2.0f), 100);
  EXPECT_EQ(matchPercent(2.3f), 99);
  EXPECT_EQ(matchPercent(6.7f), 98);  // 1.512 rounds to 2
}

TEST(TopThreeMatches, OrderedNearestFirst) {
  // Against black only the RGB distance counts; greys 13, 26 and 18 lie about 5, 10 and 7 away.
  const auto rows = rowsOf({rgbOf(13, 13, 13), rgbOf(26, 26, 26), rgbOf(18, 18, 18), rgbOf(90, 90, 90)});
  const ThreadColor black("Black", 0, 0);
  std::vector<ThreadColor> out;
  topThreeMatches(black, rows, out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].displayName, "Row 0");
  EXPECT_EQ(out[1].displayName, "Row 2");
  EXPECT_EQ(out[2].displayName, "Row 1");
  EXPECT_EQ(out[0].needle, 99);  // 5.0 x 0.2257 = 1.13
  EXPECT_EQ(out[2].needle, 98);  // 10.0 x 0.2257 = 2.26

  out.clear();
  topThreeMatches(black, std::span(rows).first(2), out);
  EXPECT_EQ(out.size(), 2u);
  out.clear();
  topThreeMatches(black, std::span<const ThreadColor>(), out);
  EXPECT_TRUE(out.empty());
}

TEST(TopThreeMatches, ExactColorIsAHundredPercentAndAppends) {
  std::vector<ThreadColor> out{ThreadColor("kept", 0, 0)};
  const ThreadColor& row = chartRows(Chart::Isacord)[40];
  topThreeMatches(ThreadColor("x", row.rgb, 0), Chart::Isacord, out);
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0].displayName, "kept");
  EXPECT_EQ(out[1].rgb, row.rgb);
  EXPECT_EQ(out[1].needle, 100);
  EXPECT_EQ(out[1].brand, "Isacord");
}

// The search must agree with colorDistance on full copies of the thread and every row, including
// achromatic colours, whose hue is left as it was.
TEST(TopThreeMatches, AgreesWithColorDistanceOnCopies) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> channel(0, 255);
  const auto rows = chartRows(Chart::RaPoly);
  for (int i = 0; i < 40; ++i) {
    ThreadColor thread("t", rgbOf(channel(rng), channel(rng), channel(rng)), 0);
    if (i % 8 == 0) thread.rgb = rgbOf(i, i, i);
    thread.hue = i * 7;
    std::vector<std::pair<float, std::size_t>> brute;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      ThreadColor a = thread, b = rows[r];
      brute.emplace_back(colorDistance(a, b), r);
    }
    std::stable_sort(brute.begin(), brute.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<ThreadColor> out;
    topThreeMatches(thread, rows, out);         // rows of any origin
    topThreeMatches(thread, Chart::RaPoly, out);  // rows derived when the chart was built
    ASSERT_EQ(out.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
      EXPECT_EQ(out[k].displayName, rows[brute[k % 3].second].displayName) << i << " " << k;
      EXPECT_EQ(out[k].needle, matchPercent(brute[k % 3].first));
    }
  }
}

TEST(MatchReport, OneSectionPerDistinctColor) {
  const std::uint32_t cornsilk = chartRows(Chart::SulkyRayon).front().rgb;
  EmbDesign d = test::makeDesign({test::st(1, 1), test::colorChange(), test::st(1, 1), test::colorChange()},
                                 {cornsilk, rgbOf(10, 20, 200), cornsilk});
  d.threads[0].displayName = "First";
  d.threads[1].displayName = "Second";
  const std::string report = matchReport(d);

  const auto first = report.find("\r\nFirst Matches:\r\n");
  const auto second = report.find("\r\nSecond Matches:\r\n");
  ASSERT_EQ(first, 0u);
  ASSERT_NE(second, std::string::npos);
  std::size_t lines = 0;
  for (std::size_t p = 0; (p = report.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
  EXPECT_EQ(lines, 2u * (2 + 4));  // per section: blank line, title, four chart lines
  EXPECT_EQ(report.find('\n'), 1u);
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), std::count(report.begin(), report.end(), '\r'));

  const std::string section = report.substr(0, second);
  std::vector<ThreadColor> sulky;
  topThreeMatches(d.threads[0], Chart::SulkyRayon, sulky);
  const std::string sulkyLine = "Sulky 502 Cornsilk (100%) - " + sulky[1].displayName + " (" +
                                std::to_string(sulky[1].needle) + "%) - " + sulky[2].displayName + " (" +
                                std::to_string(sulky[2].needle) + "%)\r\n";
  EXPECT_EQ(section.substr(std::string("\r\nFirst Matches:\r\n").size(), sulkyLine.size()), sulkyLine);
  EXPECT_NE(section.find("\r\nMA Rayon "), std::string::npos);
  EXPECT_NE(section.find("\r\nRA Poly "), std::string::npos);
  EXPECT_NE(section.find("\r\nIsacord "), std::string::npos);
}

TEST(MatchReport, EmptyDesignGivesEmptyReport) {
  EXPECT_EQ(matchReport(EmbDesign()), "");
}

}  // namespace
}  // namespace lh
