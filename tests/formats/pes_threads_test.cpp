// The PES thread table built for writing and the thread label pictures.
#include "formats/pes_threads.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/design_builder.h"
#include "threads/pec_palette.h"
#include "threads/thread_charts.h"

namespace lh {
namespace {

ThreadColor named(std::string name, std::uint32_t rgb, std::int32_t chartCode = 0) {
  ThreadColor t;
  t.displayName = std::move(name);
  t.rgb = rgb;
  t.chartCode = chartCode;
  return t;
}

EmbDesign designOf(std::vector<ThreadColor> blocks, int pesVersion, int payloadKind = 0, std::string path = "") {
  EmbDesign d;
  d.threads = std::move(blocks);
  d.pesVersion = pesVersion;
  d.payloadKind = payloadKind;
  d.path = std::move(path);
  return d;
}

TEST(BuildFileThreads, AppliqueInAVipDesignKeepsItsCode) {
  EmbDesign d = designOf({named("Applique Pos.", rgbOf(255, 215, 150))}, 0, 8);
  buildFileThreads(d);
  const ThreadColor& b = d.threads[0];
  EXPECT_EQ(b.code, "101");
  EXPECT_EQ(b.threadType, 2);
  EXPECT_EQ(b.brand, "");
  EXPECT_EQ(b.chartName, "VIP");

  std::vector<std::uint8_t> label(kThreadLabelSize, 0), other(kThreadLabelSize, 0);
  threadLabelPictures(d, label.data());
  EmbDesign mat = designOf({named("Applique Mat.", rgbOf(255, 200, 100))}, 0, 8);
  buildFileThreads(mat);
  threadLabelPictures(mat, other.data());
  EXPECT_NE(label, other);  // each applique code has its own picture
}

TEST(BuildFileThreads, AppliqueInAPesDesignBecomesAnEmbroideryThread) {
  EmbDesign d = designOf({named("Applique Pos.", pecColor(63))}, 1);
  buildFileThreads(d);
  const ThreadColor& b = d.threads[0];
  EXPECT_EQ(b.brand, "EMBROIDERY");
  EXPECT_EQ(b.chartCode, 63);
  EXPECT_EQ(b.colorName, "63");
  EXPECT_EQ(b.code, "");
  EXPECT_EQ(b.threadType, 10);
}

TEST(BuildFileThreads, PaletteColorOfAPesDesign) {
  EmbDesign d = designOf({named("Red", pecColor(5), 5)}, 1);
  buildFileThreads(d);
  const ThreadColor& b = d.threads[0];
  EXPECT_EQ(b.chartCode, 5);
  EXPECT_EQ(b.colorName, "5");
  EXPECT_EQ(b.brand, "EMBROIDERY");
  EXPECT_EQ(b.code, "800");
  EXPECT_EQ(b.threadType, 10);
  EXPECT_EQ(b.chartName, "");
}

TEST(BuildFileThreads, BrandChartsByChartCode) {
  EmbDesign d = designOf({named("", rgbOf(250, 250, 250), ChartMadeiraRayon), named("Kept", rgbOf(1, 2, 3), ChartMadeiraRayon)}, 1);
  d.threads[1].brand = "Madeira Rayon";
  d.threads[1].code = "1234";
  buildFileThreads(d);
  const ThreadColor& taken = d.threads[0];
  EXPECT_EQ(taken.brand, "MA Rayon");
  EXPECT_EQ(taken.threadType, 1);
  bool fromChart = false;
  for (const ThreadColor& row : chartRows(Chart::MaRayon)) fromChart = fromChart || (row.rgb == taken.rgb && row.code == taken.code);
  EXPECT_TRUE(fromChart);
  const ThreadColor& kept = d.threads[1];
  EXPECT_EQ(kept.brand, "MA Rayon");
  EXPECT_EQ(kept.code, "1234");
  EXPECT_EQ(kept.displayName, "Kept");
  EXPECT_EQ(kept.rgb, rgbOf(1, 2, 3));
}

TEST(BuildFileThreads, DesignsFromOtherFormats) {
  // A VIP design: own colour, chart name and suffix, left alone by the chart step.
  EmbDesign vip = designOf({named("Sky", rgbOf(1, 2, 3))}, 0, 8);
  buildFileThreads(vip);
  EXPECT_EQ(vip.threads[0].rgb, rgbOf(1, 2, 3));
  EXPECT_EQ(vip.threads[0].chartName, "VIP");
  EXPECT_EQ(vip.threads[0].colorName, "Sky(VIP)");
  EXPECT_EQ(vip.threads[0].chartCode, -1);

  // Found by extension too.
  EmbDesign xxx = designOf({named("Sky", rgbOf(1, 2, 3))}, 0, 0, "C:/d/star.XXX");
  buildFileThreads(xxx);
  EXPECT_EQ(xxx.threads[0].chartName, "XXX");
  EXPECT_EQ(xxx.threads[0].colorName, "Sky(XXX)");

  // A DST design: an exact palette colour stays an Embroidery thread, an exact Sulky colour
  // becomes that Sulky thread.
  const ThreadColor sulky = chartRows(Chart::SulkyRayon)[0];
  EmbDesign dst = designOf({named("Black", pecColor(20)), named("x", sulky.rgb)}, 0, 0, "a.dst");
  buildFileThreads(dst);
  EXPECT_EQ(dst.threads[0].brand, "EMBROIDERY");
  EXPECT_EQ(dst.threads[0].chartCode, 20);
  EXPECT_EQ(dst.threads[1].brand, "SU Rayon");
  EXPECT_EQ(dst.threads[1].code, sulky.code);
  EXPECT_EQ(dst.threads[1].threadType, 1);
}

TEST(BuildFileThreads, OneTableEntryPerColor) {
  EmbDesign d = designOf({named("a", pecColor(5), 5), named("b", pecColor(20), 20), named("c", pecColor(5), 5)}, 1);
  buildFileThreads(d);
  ASSERT_EQ(d.fileThreads.size(), 2u);
  EXPECT_EQ(d.threads[0].fileThreadIndex, 0);
  EXPECT_EQ(d.threads[1].fileThreadIndex, 1);
  EXPECT_EQ(d.threads[2].fileThreadIndex, 0);
  EXPECT_NE(d.fileThreads[0].rgb, d.fileThreads[1].rgb);
}

bool pixel(const std::uint8_t* pic, int x, int y) { return (pic[y * 6 + x / 8] >> (x % 8)) & 1; }

TEST(ThreadLabels, DigitsEmblemAndCut) {
  EmbDesign d;
  d.threads.resize(3);
  d.threads[0].code = "1800";
  d.threads[0].brand = "ISACORD";
  d.threads[1].code = "12345678";
  d.threads[2].code = "1800";
  d.threads[2].brand = "Unknown brand";
  std::vector<std::uint8_t> out(3 * kThreadLabelSize, 0);
  threadLabelPictures(d, out.data());
  const std::uint8_t* a = out.data();
  // Four glyphs in rows 2..10 starting at pixels 1, 8, 15 and 22; nothing from pixel 29 on.
  for (int start : {1, 8, 15, 22}) {
    bool drawn = false;
    for (int y = 2; y <= 10; ++y)
      for (int x = start; x < start + 7; ++x) drawn = drawn || pixel(a, x, y);
    EXPECT_TRUE(drawn) << start;
  }
  for (int y = 2; y <= 10; ++y)
    for (int x = 29; x < 48; ++x) EXPECT_FALSE(pixel(a, x, y));
  // Six glyphs at most: pixels 43 and up stay empty for an 8-digit code.
  const std::uint8_t* b = out.data() + kThreadLabelSize;
  bool sixth = false;
  for (int y = 2; y <= 10; ++y) {
    for (int x = 36; x < 43; ++x) sixth = sixth || pixel(b, x, y);
    for (int x = 43; x < 48; ++x) EXPECT_FALSE(pixel(b, x, y));
  }
  EXPECT_TRUE(sixth);
  // The same top picture on every label; an emblem only for known brands.
  EXPECT_TRUE(std::equal(a, a + 12, b));
  auto emblem = [](const std::uint8_t* p) { return std::any_of(p + 66, p + 144, [](std::uint8_t v) { return v != 0; }); };
  EXPECT_TRUE(emblem(a));
  EXPECT_FALSE(emblem(b));
  EXPECT_FALSE(emblem(out.data() + 2 * kThreadLabelSize));
}

}  // namespace
}  // namespace lh
