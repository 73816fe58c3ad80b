#include "tools/design_notes.h"

#include <gtest/gtest.h>

#include "design/measurements.h"
#include "tests/support/design_builder.h"
#include "threads/thread_matching.h"

namespace lh {
namespace {

using test::colorChange;
using test::st;

EmbDesign twoBlocks() {
  EmbDesign d = test::makeDesign({st(0, 0), st(100, 0), st(0, 50), colorChange(), st(-100, 0)}, {0x0000FF, 0xFF0000});
  d.path = "/d/rose.pes";
  d.computeBlockStats();
  d.threads[0].displayName = "Red";
  d.threads[1].displayName = "Blue";
  return d;
}

TEST(DesignNotes, MetricSheet) {
  EmbDesign d = twoBlocks();
  d.threads[0].threadLength = 15000;
  d.threads[0].stitchCount = 3;
  d.threads[1].threadLength = 7540;
  d.threads[1].stitchCount = 1;
  std::tm day{};
  day.tm_year = 109;  // 2009
  day.tm_mon = 2;
  day.tm_mday = 8;
  const std::string expected = "/d/rose.pes\r\n" + sizeText(d, false, true) + "\r\n" +
                               "03/08/09\r\n\r\n"
                               "1: Red, 3 st. 1.5 m.\r\n\r\n"
                               "2: Blue, 1 st. 0.8 m.\r\n\r\n"
                               "\r\n" +
                               matchReport(d);
  EXPECT_EQ(notesText(d, false, day), expected);
}

TEST(DesignNotes, InchSheetInYards) {
  EmbDesign d = twoBlocks();
  d.threads[0].threadLength = 91440;  // 9.144 m = 10 yd
  std::tm day{};
  day.tm_year = 125;
  day.tm_mon = 11;
  day.tm_mday = 31;
  const std::string text = notesText(d, true, day);
  EXPECT_NE(text.find("\r\n12/31/25\r\n\r\n1: Red, "), std::string::npos);
  EXPECT_NE(text.find(" st. 10.0 yd.\r\n\r\n2: Blue, "), std::string::npos);
}

TEST(DesignNotes, TextDocumentGivesItsText) {
  EmbDesign d;
  d.isText = true;
  d.text = "just words";
  EXPECT_EQ(notesText(d, false), "just words");
}

TEST(DesignNotes, PreviewEdgeIsAMultipleOfEight) {
  struct Case {
    int size;
    bool make3d, outline;
    int edge;
  };
  const Case cases[] = {{1024, true, false, 1024}, {100, true, false, 96}, {1023, false, false, 1016},
                        {400, false, true, 400}};
  for (const Case& c : cases) {
    EmbDesign d = twoBlocks();
    const ByteBuffer bmp = exportPreviewBitmap(d, PreviewSettings{c.size, c.make3d, c.outline});
    ASSERT_GT(bmp.size(), 54u) << c.size;
    ByteReader in(bmp);
    EXPECT_EQ(in.text(2), "BM");
    in.seek(18);
    EXPECT_EQ(in.i32le(), c.edge);
    EXPECT_EQ(in.i32le(), c.edge);
    EXPECT_TRUE(d.pixels.empty()) << "the pixel storage is released";
    EXPECT_EQ(d.palette, nullptr);
  }
}

TEST(DesignNotes, PreviewSettingsAreClamped) {
  MemorySettings store;
  EXPECT_EQ(loadPreviewSettings(store).size, 400);
  EXPECT_TRUE(loadPreviewSettings(store).make3d);
  EXPECT_FALSE(loadPreviewSettings(store).outline);
  store.setInt("Settings", "BMP Size", 5000);
  EXPECT_EQ(loadPreviewSettings(store).size, 1024);
  store.setInt("Settings", "BMP Size", 1);
  EXPECT_EQ(loadPreviewSettings(store).size, 32);
}

}  // namespace
}  // namespace lh
