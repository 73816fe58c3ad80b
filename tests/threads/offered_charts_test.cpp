#include "threads/offered_charts.h"

#include <gtest/gtest.h>

#include "design/emb_design.h"

namespace lh {
namespace {

using enum MachinePalette;

EmbDesign designWithThread() {
  EmbDesign d;
  d.threads.emplace_back("old", rgbOf(1, 2, 3), 0);
  return d;
}

int headerCount(const EmbDesign& d) {
  return static_cast<int>(std::count_if(d.threads.begin(), d.threads.end(),
                                        [](const ThreadColor& t) { return isChartHeader(t.rgb); }));
}

TEST(MachinePalette, Sizes) {
  struct Case {
    MachinePalette palette;
    std::size_t entries;
  } cases[] = {{Pec, 66},     {Windows, 16}, {Janome, 79}, {Husqvarna, 29}, {SulkyRayonXxx, 196},
               {RaPoly, 232}, {None, 0}};
  for (const auto& c : cases) {
    EmbDesign d = designWithThread();
    machinePalette(d, c.palette);
    EXPECT_EQ(d.threads.size(), c.entries) << static_cast<int>(c.palette);
    EXPECT_EQ(headerCount(d), 0) << static_cast<int>(c.palette);
  }
}

TEST(MachinePalette, PesEntriesInDisplayOrderThenSpecialColors) {
  EmbDesign d = designWithThread();
  machinePalette(d, Pec);
  ASSERT_EQ(d.threads.size(), 66u);
  EXPECT_EQ(d.threads[0].displayName, "Black");
  EXPECT_EQ(d.threads[1].displayName, "Red");
  EXPECT_EQ(d.threads[1].rgb, rgbOf(237, 23, 31));
  EXPECT_EQ(d.threads[1].chartCode, 5);
  EXPECT_EQ(d.threads[2].displayName, "White");
  EXPECT_EQ(d.threads[64].displayName, "Not Defined");
  EXPECT_EQ(d.threads[65].displayName, "Composite");
  EXPECT_EQ(d.threads[65].chartCode, 0);
}

TEST(MachinePalette, HusqvarnaAndJanomeEntries) {
  EmbDesign d = designWithThread();
  machinePalette(d, Husqvarna);
  EXPECT_EQ(d.threads[0].displayName, "Black");
  EXPECT_EQ(d.threads[1].displayName, "Dark Gray");
  EXPECT_EQ(d.threads[3].displayName, "Light Gray");  // entry 22
  EXPECT_EQ(d.threads[3].chartCode, 22);
  EXPECT_EQ(d.threads[28].displayName, "Light Blue");

  machinePalette(d, Janome);
  EXPECT_EQ(d.threads[0].chartCode, 1);
  EXPECT_EQ(d.threads[78].displayName, "Other Color");
  EXPECT_EQ(d.threads[78].chartCode, 79);
}

struct Offer {
  int headers;
  int rows;
};

Offer countOffer(const EmbDesign& d) {
  Offer o{0, 0};
  for (std::size_t i = 0; i < d.threads.size();) {
    const ThreadColor& h = d.threads[i];
    EXPECT_TRUE(isChartHeader(h.rgb)) << i;
    if (!isChartHeader(h.rgb)) break;
    const int n = static_cast<int>(h.rgb - kChartHeaderFlag);
    ++o.headers;
    o.rows += n;
    for (int k = 1; k <= n; ++k) EXPECT_FALSE(isChartHeader(d.threads.at(i + static_cast<std::size_t>(k)).rgb));
    i += static_cast<std::size_t>(n) + 1;
  }
  return o;
}

TEST(OfferedCharts, VipAndVp3NamedCharts) {
  EmbDesign d = designWithThread();
  offeredCharts(d, {RaPoly, BrandCharts::Vip});
  const Offer vip = countOffer(d);
  EXPECT_EQ(vip.headers, 9);
  EXPECT_EQ(vip.rows, 2145);
  EXPECT_EQ(d.threads[0].displayName, "Alcazar Rayon");
  EXPECT_EQ(d.threads[0].rgb, 0xFF000000u + 117);

  offeredCharts(d, {RaPoly, BrandCharts::Vp3});
  const Offer vp3 = countOffer(d);
  EXPECT_EQ(vp3.headers, 7);
  EXPECT_EQ(vp3.rows, 2145 - 117 - 127);
  EXPECT_EQ(d.threads[0].displayName, "Isacord Poly");
}

TEST(OfferedCharts, PesFollowsThePes5Setting) {
  EmbDesign d = designWithThread();
  offeredCharts(d, {Pec, BrandCharts::Pes});  // the setting defaults to on
  const Offer on = countOffer(d);
  EXPECT_EQ(on.headers, 9);
  EXPECT_EQ(on.rows, 2138);
  EXPECT_EQ(d.threads[0].rgb, 0xFF000040u);
  EXPECT_EQ(d.threads[0].displayName, "Embroidery");
  EXPECT_EQ(d.threads[1].displayName, "Black");

  MemorySettings off;
  off.setInt("Conversion", "pes5", 0);
  offeredCharts(d, {Pec, BrandCharts::Pes}, off);
  EXPECT_EQ(d.threads.size(), 66u);
  EXPECT_EQ(headerCount(d), 0);
}

TEST(OfferedCharts, WithoutChartsTheMachinePalette) {
  EmbDesign d = designWithThread();
  offeredCharts(d, {Husqvarna, BrandCharts::None});
  EXPECT_EQ(d.threads.size(), 29u);
  EXPECT_EQ(headerCount(d), 0);
  offeredCharts(d, {Pec, BrandCharts::None});
  EXPECT_EQ(d.threads.size(), 66u);
  offeredCharts(d, {});
  EXPECT_TRUE(d.threads.empty());
}

}  // namespace
}  // namespace lh
