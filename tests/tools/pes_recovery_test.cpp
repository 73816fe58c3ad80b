#include "tools/pes_recovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "formats/design_codec.h"
#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::st;

struct Segment {
  int type;
  int color;
  std::vector<Point> points;  // file coordinates (y down)
};

// A version 1 PES image: header, CSewSeg section, the colour log of `blocks` entries, and
// a token PEC block at the offset the header names.
ByteBuffer pesFile(const std::vector<Segment>& segments, int blocks, const char* magic = "#PES0001",
                   int hoopFlag = 1) {
  ByteWriter w;
  w.text(magic);
  w.u32le(0);  // PEC offset, patched below
  w.u8(static_cast<unsigned>(hoopFlag));
  w.fill(0, 7);
  w.text("CSewSeg");
  Point last;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const Segment& s = segments[i];
    if (i) w.u16le(0x8003);
    w.u16le(static_cast<unsigned>(s.type));
    w.u16le(static_cast<unsigned>(s.color));
    w.u16le(static_cast<unsigned>(s.points.size()));
    if (i) {  // the head repeats the previous end point
      w.u16le(static_cast<unsigned>(last.x));
      w.u16le(static_cast<unsigned>(last.y));
    }
    for (const Point& p : s.points) {
      w.u16le(static_cast<unsigned>(p.x));
      w.u16le(static_cast<unsigned>(p.y));
      last = p;
    }
  }
  w.fill(0, static_cast<std::size_t>(4 * blocks + 6));
  w.u32leAt(8, static_cast<std::uint32_t>(w.size()));
  w.text("#PEC0001 token");
  return w.take();
}

const std::vector<Segment> kSegments{{0, 0, {{0, 0}, {10, 0}, {10, -20}}}, {1, 1, {{40, -20}, {40, 0}}}};

// What the CSewSeg copy rebuilds to: y negated, a colour change where the colour changes,
// jumps from the type-1 segment, centred through the first move.
const std::vector<Stitch> kRebuilt{st(-20, -10), st(10, 0),    st(0, 20), Stitch::withFlags(ColorChange | Jump),
                                   jump(30, 0),  jump(0, -20)};

EmbDesign loaded(std::vector<Stitch> records) {
  EmbDesign d;
  d.stitches = std::move(records);
  d.threads = {test::thread(1), test::thread(2)};
  d.path = "/d/old.pes";
  d.computeBounds();
  return d;
}

TEST(PesRecovery, DifferingMoveReplacesTheStitches) {
  const ByteBuffer file = pesFile(kSegments, 2);
  EmbDesign d = loaded({jump(-20, -10), st(10, 0), st(0, 20), colorChange(), st(31, 0), st(0, -20)});
  const auto threads = d.threads;
  ToolReport report;
  ASSERT_EQ(recoverPes10(d, file, report), 1);
  EXPECT_EQ(d.stitches, kRebuilt);
  EXPECT_EQ(d.threads.size(), threads.size());
  EXPECT_EQ(report.text(), "/d/old.pes has been reconstructed.\r\n");
  EXPECT_EQ(d.minX, -20);
  EXPECT_EQ(d.maxX, 20);
  EXPECT_EQ(d.minY, -10);
  EXPECT_EQ(d.maxY, 10);
}

TEST(PesRecovery, AgreeingTailsAreLeftAlone) {
  const ByteBuffer file = pesFile(kSegments, 2);
  const std::vector<std::vector<Stitch>> agreeing{
      // Only the first (centring) record differs.
      {jump(-19, -7), st(10, 0), st(0, 20), colorChange(), st(30, 0), st(0, -20)},
      // Different lengths, the shared tail agrees.
      {jump(5, 5), st(0, 20), colorChange(), st(30, 0), st(0, -20)},
      {st(1, 1)},
  };
  for (const auto& records : agreeing) {
    EmbDesign d = loaded(records);
    ToolReport report;
    EXPECT_EQ(recoverPes10(d, file, report), 0);
    EXPECT_EQ(d.stitches, records);
    EXPECT_TRUE(report.empty());
  }
}

TEST(PesRecovery, ACopyWithOtherColorBlocksIsNotTaken) {
  // One segment colour throughout, but the design has two blocks: the copy cannot be its own.
  const std::vector<Segment> oneColor{{0, 3, {{0, 0}, {10, 0}, {10, -20}}}, {0, 3, {{40, -20}, {40, 0}}}};
  const std::vector<Stitch> records{jump(-20, -10), st(10, 0), st(0, 20), colorChange(), st(31, 0), st(0, -20)};
  EmbDesign d = loaded(records);
  ToolReport report;
  EXPECT_EQ(recoverPes10(d, pesFile(oneColor, 2), report), 0);
  EXPECT_EQ(d.stitches, records);
}

TEST(PesRecovery, OnlyVersionOneOfTheLargerHoop) {
  const std::vector<Stitch> records{jump(1, 1), st(99, 99), st(5, 5)};
  const ByteBuffer files[] = {pesFile(kSegments, 2, "#PES0020"), pesFile(kSegments, 2, "#PES0040"),
                              pesFile(kSegments, 2, "#PES0001", 0)};
  for (const ByteBuffer& file : files) {
    EmbDesign d = loaded(records);
    ToolReport report;
    EXPECT_EQ(recoverPes10(d, file, report), 0);
    EXPECT_EQ(d.stitches, records);
  }
}

TEST(PesRecovery, ReadsStayInsideTheFile) {
  const std::vector<Stitch> records{jump(1, 1), st(99, 99), st(5, 5)};
  const ByteBuffer good = pesFile(kSegments, 2);
  std::vector<ByteBuffer> bad;
  // PEC offset beyond the end.
  bad.push_back(good);
  bad.back()[8] = 0xFF;
  bad.back()[9] = 0xFF;
  // Every truncation before the PEC block, keeping the header's offset.
  const std::size_t pec = good[8] | (good[9] << 8);
  for (std::size_t n = 0; n < pec; ++n) bad.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
  // No CSewSeg below the PEC offset.
  bad.push_back(good);
  bad.back()[20] = 'X';
  for (const ByteBuffer& file : bad) {
    EmbDesign d = loaded(records);
    ToolReport report;
    EXPECT_EQ(recoverPes10(d, file, report), 0);
    EXPECT_EQ(d.stitches, records);
  }
  // A colour log larger than the section: nothing to read.
  EmbDesign many = loaded(records);
  many.threads.resize(200);
  ToolReport report;
  EXPECT_EQ(recoverPes10(many, good, report), 0);
}

TEST(PesRecovery, CorpusFiles) {
  const std::string dir = std::string(LH_CORPUS_DIR) + "/pes/";
  if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no corpus";
  struct Case {
    const char* name;
    int result;
  };
  // Version 1 files of the larger hoop whose copies disagree, one whose copy has a single
  // colour for three blocks, a version 1 file of the smaller hoop and later versions.
  const Case cases[] = {{"pes1fix.pes", 1},   {"Cake 3.pes", 1}, {"patch_organize.pes", 0},
                        {"rectangle.pes", 0}, {"Star.pes", 0},   {"lobster.pes", 0}};
  for (const Case& c : cases) {
    const std::string path = dir + c.name;
    std::ifstream in(path, std::ios::binary);
    const ByteBuffer file((std::istreambuf_iterator<char>(in)), {});
    if (file.empty()) continue;
    DesignCodec codec;
    EmbDesign d;
    codec.busyCount.fetch_add(1);
    ASSERT_EQ(codec.loadDesign(&d, path), LoadResult::Ok) << c.name;
    const std::size_t blocks = d.threads.size();
    const int width = d.width();
    ToolReport report;
    EXPECT_EQ(recoverPes10(d, file, report), c.result) << c.name;
    EXPECT_EQ(d.threads.size(), blocks);
    EXPECT_EQ(d.colorChangeCount() + 1, blocks) << c.name;
    EXPECT_NEAR(d.width(), width, 10) << c.name;
  }
}

}  // namespace
}  // namespace lh
