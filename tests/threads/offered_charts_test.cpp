#include "threads/offered_charts.h"

#include <gtest/gtest.h>

#include "design/emb_design.h"

namespace lh {
namespace {

EmbDesign designAt(const char* path) {
  EmbDesign d;
  d.path = path;
  d.threads.emplace_back("old", rgbOf(1, 2, 3), 0);
  return d;
}

int headerCount(const EmbDesign& d) {
  return static_cast<int>(std::count_if(d.threads.begin(), d.threads.end(),
                                        [](const ThreadColor& t) { return isChartHeader(t.rgb); }));
}

TEST(MachinePalette, SizesByExtension) {
  struct Case {
    const char* path;
    std::size_t entries;
  } cases[] = {{"/a/b.pes", 66}, {"/a/b.PEC", 66}, {"/a/b.jan", 66}, {"b.pcs", 16}, {"b.jef", 79},
               {"b.JEF+", 79},   {"b.sew", 79},    {"b.dst", 29},    {"b.shv", 29}, {"b.xxx", 196},
               {"b.vip", 232},   {"b.vp3", 232},   {"b.txt", 0},     {"noext", 0}};
  for (const auto& c : cases) {
    EmbDesign d = designAt(c.path);
    machinePalette(d);
    EXPECT_EQ(d.threads.size(), c.entries) << c.path;
    EXPECT_EQ(headerCount(d), 0) << c.path;
  }
}

TEST(MachinePalette, PesEntriesInDisplayOrderThenSpecialColours) {
  EmbDesign d = designAt("x.pes");
  machinePalette(d);
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
  EmbDesign d = designAt("x.hus");
  machinePalette(d);
  EXPECT_EQ(d.threads[0].displayName, "Black");
  EXPECT_EQ(d.threads[1].displayName, "Dark Gray");
  EXPECT_EQ(d.threads[3].displayName, "Light Gray");  // entry 22
  EXPECT_EQ(d.threads[3].chartCode, 22);
  EXPECT_EQ(d.threads[28].displayName, "Light Blue");

  d.path = "x.jef";
  machinePalette(d);
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
  EmbDesign d = designAt("x.vip");
  offeredCharts(d);
  const Offer vip = countOffer(d);
  EXPECT_EQ(vip.headers, 9);
  EXPECT_EQ(vip.rows, 2145);
  EXPECT_EQ(d.threads[0].displayName, "Alcazar Rayon");
  EXPECT_EQ(d.threads[0].rgb, 0xFF000000u + 117);

  d.path = "x.VP3";
  offeredCharts(d);
  const Offer vp3 = countOffer(d);
  EXPECT_EQ(vp3.headers, 7);
  EXPECT_EQ(vp3.rows, 2145 - 117 - 127);
  EXPECT_EQ(d.threads[0].displayName, "Isacord Poly");
}

TEST(OfferedCharts, PesFollowsThePes5Setting) {
  EmbDesign d = designAt("x.pes");
  offeredCharts(d);  // the setting defaults to on
  const Offer on = countOffer(d);
  EXPECT_EQ(on.headers, 9);
  EXPECT_EQ(on.rows, 2138);
  EXPECT_EQ(d.threads[0].rgb, 0xFF000040u);
  EXPECT_EQ(d.threads[0].displayName, "Embroidery");
  EXPECT_EQ(d.threads[1].displayName, "Black");

  MemorySettings off;
  off.setInt("Conversion", "pes5", 0);
  offeredCharts(d, off);
  EXPECT_EQ(d.threads.size(), 66u);
  EXPECT_EQ(headerCount(d), 0);
}

TEST(OfferedCharts, OtherFormatsGetTheirMachinePalette) {
  EmbDesign d = designAt("x.dst");
  offeredCharts(d);
  EXPECT_EQ(d.threads.size(), 29u);
  EXPECT_EQ(headerCount(d), 0);
  d.path = "x.pec";  // the brand charts are for PES only
  offeredCharts(d);
  EXPECT_EQ(d.threads.size(), 66u);
  d.path = "x.txt";
  offeredCharts(d);
  EXPECT_TRUE(d.threads.empty());
}

}  // namespace
}  // namespace lh
