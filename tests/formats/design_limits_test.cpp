// Designs beyond any real design's size are refused as damaged, whichever reader made them.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "design/design_limits.h"
#include "formats/design_codec.h"
#include "formats/dst.h"
#include "formats/format_table.h"
#include "tests/support/design_builder.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

using test::jump;
using test::st;
using test::TempDir;

// A DST file image: the blank header, `count` records taking turns through `moves`, the end mark.
ByteBuffer dstFile(std::size_t count, std::initializer_list<Stitch> moves) {
  ByteBuffer file(kDstHeaderSize, ' ');
  file.reserve(kDstHeaderSize + 3 * count + 3);
  std::vector<std::array<std::uint8_t, 3>> encoded;
  for (const Stitch& m : moves) encodeDstRecord(m, encoded.emplace_back().data());
  for (std::size_t i = 0; i < count; ++i) {
    const auto& r = encoded[i % encoded.size()];
    file.insert(file.end(), r.begin(), r.end());
  }
  file.insert(file.end(), {0x00, 0x00, 0xF3});
  return file;
}

class DesignLimitsTest : public ::testing::Test {
 protected:
  LoadResult load(EmbDesign& d, const std::string& name, const ByteBuffer& bytes) {
    dir.write(name, bytes);
    ++codec.busyCount;
    return codec.loadDesign(&d, dir.file(name));
  }

  TempDir dir;
  MemorySettings settings;
  DesignCodec codec{&settings};
};

// A DST of maximal moves, well inside the load limit on file size: refused when it has more
// records than the limit or reaches beyond the extent limit, else measured without wrapping.
TEST_F(DesignLimitsTest, DstOfMaximalMoves) {
  const Stitch out(kDstMaxMove, kDstMaxMove), back(-kDstMaxMove, -kDstMaxMove);
  const struct {
    const char* name;
    ByteBuffer file;
    bool loads;
  } cases[] = {
      {"one way, past the record limit", dstFile(kMaxDesignRecords + 1, {out}), false},
      {"to and fro, past the record limit", dstFile(kMaxDesignRecords + 1, {out, back}), false},
      {"one way, past the extent limit", dstFile(kMaxDesignExtent / kDstMaxMove + 2, {out}), false},
      {"to and fro, under the record limit", dstFile(kMaxDesignRecords - 1, {out, back}), true},
  };
  for (const auto& c : cases) {
    EmbDesign d;
    EXPECT_EQ(load(d, "max.dst", c.file), c.loads ? LoadResult::Ok : LoadResult::Failed) << c.name;
    std::filesystem::remove(dir.file("max.dst"));
    if (!c.loads) {
      EXPECT_TRUE(d.stitches.empty()) << c.name;
      continue;
    }
    EXPECT_EQ(d.width(), kDstMaxMove);
    EXPECT_EQ(d.height(), kDstMaxMove);
    ASSERT_EQ(d.threads.size(), 1u);
    // Every move is 171.1 long, truncated to 171; the centring jump in front, (-60, -61), 85.
    EXPECT_EQ(d.threads[0].threadLength, 7500 + 3 * (std::int64_t{kMaxDesignRecords - 1} * 171 + 85) / 2);
  }
}

// The same wide design written by every writer whose format carries long jumps: 9 m is
// refused on reading, 6 m loads. The design is about centred on the origin, as writers
// leave it, so that no writer's centring jump outgrows its 16-bit move.
TEST_F(DesignLimitsTest, ExtentLimitAppliesToEveryReader) {
  auto wide = [](int steps) {  // 2 x steps x 15000 wide
    EmbDesign d = test::makeDesign({st(10, 10), st(0, 10)});
    for (int k = 0; k < steps; ++k) d.stitches.push_back(jump(-15000, 0));
    d.stitches.push_back(st(10, 0));
    for (int k = 0; k < 2 * steps; ++k) d.stitches.push_back(jump(15000, 0));
    d.stitches.push_back(st(0, 10));
    d.computeBounds();
    return d;
  };
  for (const char* ext : {"dst", "exp", "jef", "xxx", "vp3", "hus", "vip"}) {
    const FormatInfo* format = findFormat(ext);
    ASSERT_NE(format, nullptr) << ext;
    ASSERT_NE(format->writer, nullptr) << ext;
    for (const int steps : {2, 3}) {
      EmbDesign source = wide(steps);
      const std::optional<ByteBuffer> bytes = format->writer(codec, source);
      ASSERT_TRUE(bytes.has_value()) << ext << " " << steps;
      const std::string name = "wide" + std::to_string(steps) + "." + ext;
      EmbDesign d;
      const bool loads = steps == 2;
      EXPECT_EQ(load(d, name, *bytes), loads ? LoadResult::Ok : LoadResult::Failed) << name;
      if (loads) {
        EXPECT_GT(d.width(), 60000) << name;
      }
    }
  }
}

// A design about as wide as the limit that starts at its left end: after loading, the
// centring jump to its first stitch runs half the width to the left, without wrapping.
TEST_F(DesignLimitsTest, CentringJumpOfTheWidestDesignFits) {
  const Stitch out(kDstMaxMove, 0);
  EmbDesign d;
  ASSERT_EQ(load(d, "wide.dst", dstFile(kMaxDesignExtent / kDstMaxMove, {out})), LoadResult::Ok);
  ASSERT_FALSE(d.stitches.empty());
  EXPECT_GT(d.width(), kMaxDesignExtent - 2 * kDstMaxMove);
  EXPECT_LE(d.stitches.front().dx, -(kMaxDesignExtent / 2 - 2 * kDstMaxMove));
}

}  // namespace
}  // namespace lh
