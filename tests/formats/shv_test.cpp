#include "formats/shv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/hus_vip.h"
#include "tests/support/design_builder.h"
#include "threads/format_palettes.h"

namespace lh {
namespace {

struct ColorRecord {
  int units;
  int index;
  int type;
  std::array<std::uint8_t, 4> code{};
};

// A small preview picture: height and width bytes, four more header bytes, half a byte per
// pixel with the width rounded up to even.
ByteBuffer smallPicture(int h, int w) {
  ByteBuffer p = {static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(w), 0, 0, 0, 0};
  p.resize(p.size() + static_cast<std::size_t>(h * ((w + 1) & ~1) / 2), 0x11);
  return p;
}

// A picture marked FF FF with 16-bit big-endian height and width, 15 header bytes.
ByteBuffer markedPicture(int h, int w) {
  ByteBuffer p = {0xFF, 0xFF, 0, static_cast<std::uint8_t>(h >> 8), static_cast<std::uint8_t>(h),
                  static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(w)};
  p.resize(15 + static_cast<std::size_t>((w + 1) / 2 * h), 0x22);
  return p;
}

// Text header, name, picture, colour count, colour records from count + 21 and stitch data
// from count + 19 + 14 x colours (over the last record's unread tail).
ByteBuffer shvFile(const std::vector<ColorRecord>& colors, const ByteBuffer& data, const std::string& name = "star",
                   const ByteBuffer& picture = smallPicture(2, 3), std::size_t countValue = SIZE_MAX) {
  ByteBuffer f(86, ' ');
  f.push_back(static_cast<std::uint8_t>(name.size()));
  f.insert(f.end(), name.begin(), name.end());
  f.insert(f.end(), picture.begin(), picture.end());
  const std::size_t a = f.size();
  f.push_back(static_cast<std::uint8_t>(countValue == SIZE_MAX ? colors.size() : countValue));
  f.resize(a + 21, 0);
  for (const ColorRecord& c : colors) {
    f.push_back(static_cast<std::uint8_t>(c.units >> 8));
    f.push_back(static_cast<std::uint8_t>(c.units));
    f.push_back(static_cast<std::uint8_t>(c.index));
    f.push_back(static_cast<std::uint8_t>(c.type));
    f.insert(f.end(), c.code.begin(), c.code.end());
    f.resize(f.size() + 6, 0);
  }
  f.resize(a + 19 + 14 * colors.size());
  f.insert(f.end(), data.begin(), data.end());
  return f;
}

ReadResult readBytes(const ByteBuffer& bytes, EmbDesign& d) {
  DesignCodec codec;
  return readShv(codec, d, bytes);
}

// Records other than the centring jump the reader puts first.
std::vector<Stitch> body(const EmbDesign& d) { return std::vector<Stitch>(d.stitches.begin() + 1, d.stitches.end()); }

TEST(ReadShv, JumpRecordsAreBigEndianAndYPointsDown) {
  // A stitch, 80 01 and the jump (16, -16) in file terms, a stitch of (5, -5).
  const ByteBuffer data = {0x10, 0x00, 0x80, 0x01, 0x00, 0x10, 0xFF, 0xF0, 0x05, 0x05};
  EmbDesign d;
  ASSERT_NE(readBytes(shvFile({{5, 3, 0}}, data), d), ReadResult::Failed);
  const std::vector<Stitch> want = {Stitch(16, 0), Stitch(16, 16, true), Stitch(5, -5)};
  EXPECT_EQ(body(d), want);
}

TEST(ReadShv, EscapesOtherThanJumpAreSkippedAndBlocksAreSeparated) {
  // Block 1: 80 02 (skipped, one unit), two stitches. Block 2: one stitch, 80 07, one stitch.
  const ByteBuffer data = {0x80, 0x02, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x80, 0x07, 0x07, 0x08};
  EmbDesign d;
  ASSERT_NE(readBytes(shvFile({{3, 1, 0}, {3, 2, 0}}, data), d), ReadResult::Failed);
  const std::vector<Stitch> want = {Stitch(1, -2), Stitch(3, -4), Stitch::withFlags(ColorChange), Stitch(5, -6), Stitch(7, -8)};
  EXPECT_EQ(body(d), want);
  ASSERT_EQ(d.threads.size(), 2u);
  EXPECT_EQ(d.threads[1].rgb, husqvarnaColor(2).rgb);
  EXPECT_EQ(d.threads[1].stitchCount, 3);
}

TEST(ReadShv, StopsWhereTheDataRunsOut) {
  const ByteBuffer data = {0x01, 0x01, 0x02, 0x02, 0x80, 0x01, 0x00};  // a jump cut short
  EmbDesign d;
  ASSERT_NE(readBytes(shvFile({{2, 1, 0}, {40, 2, 0}}, data), d), ReadResult::Failed);
  const std::vector<Stitch> want = {Stitch(1, -1), Stitch(2, -2), Stitch::withFlags(ColorChange)};
  EXPECT_EQ(body(d), want);
}

TEST(ReadShv, PictureSizes) {
  // FF FF marker, h = 2, w = 5: 3 x 2 bytes of pixels, so the count is at c + 21.
  ASSERT_EQ(markedPicture(2, 5).size(), 21u);
  struct Case {
    const char* name;
    ByteBuffer picture;
  };
  const Case cases[] = {{"marked 2 x 5", markedPicture(2, 5)}, {"marked 3 x 4", markedPicture(3, 4)},
                        {"small 3 x 5", smallPicture(3, 5)}, {"small 0 x 0", smallPicture(0, 0)}};
  for (const Case& c : cases) {
    EmbDesign d;
    ASSERT_NE(readBytes(shvFile({{1, 7, 0}}, {0x04, 0x04}, "name", c.picture), d), ReadResult::Failed) << c.name;
    ASSERT_EQ(d.threads.size(), 1u) << c.name;
    EXPECT_EQ(d.threads[0].rgb, husqvarnaColor(7).rgb) << c.name;
    EXPECT_EQ(body(d), std::vector<Stitch>{Stitch(4, -4)}) << c.name;
  }
}

TEST(ReadShv, ThreadCodesFindTheirChartRow) {
  struct Case {
    int type;
    std::array<std::uint8_t, 4> code;
    const char* name;  // nullptr: the palette colour stays
  };
  const Case cases[] = {
      {1, {0x00, 0x00, 0x10, 0x22}, "Madeira Rayon 1022"},
      {6, {0x00, 0x06, 0x11, 0x87}, "Stickma Poly 61187"},  // five digits
      {9, {0x00, 0x00, 0x04, 0x88}, "Alcazar Rayon 488"},   // three digits
      {1, {0x00, 0x00, 0x0A, 0xBC}, nullptr},                 // no row holds "0abc"
      {0, {0x00, 0x00, 0x10, 0x22}, nullptr},                 // no thread type
      {12, {0x00, 0x00, 0x10, 0x22}, nullptr},
  };
  for (const Case& c : cases) {
    EmbDesign d;
    ASSERT_NE(readBytes(shvFile({{1, 4, c.type, c.code}}, {0x01, 0x01}), d), ReadResult::Failed);
    ASSERT_EQ(d.threads.size(), 1u);
    EXPECT_EQ(d.threads[0].chartCode, c.type);
    if (c.name) {
      EXPECT_EQ(d.threads[0].displayName, c.name);
      bool found = false;
      for (const ThreadColor& row : chartRows(husqvarnaThreadType(c.type).chart))
        if (row.displayName == c.name) found = (row.rgb == d.threads[0].rgb);
      EXPECT_TRUE(found) << c.name;
    } else {
      EXPECT_EQ(d.threads[0].rgb, husqvarnaColor(4).rgb) << c.type;
      EXPECT_EQ(d.threads[0].displayName, husqvarnaColor(4).displayName) << c.type;
    }
  }
}

TEST(ReadShv, ShortFilesAndTooManyColorsAreRejected) {
  const ByteBuffer good = shvFile({{1, 1, 0}}, {0x01, 0x01});
  const std::size_t c = 87 + 4;  // name "star"
  struct Case {
    const char* name;
    ByteBuffer file;
    bool loads;
  };
  const Case cases[] = {
      {"86 bytes", ByteBuffer(good.begin(), good.begin() + 86), false},
      {"name only", ByteBuffer(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(c + 7)), false},
      {"cut inside the picture", ByteBuffer(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(c + 8)), false},
      {"150 colours", shvFile({{1, 1, 0}}, {0x01, 0x01}, "star", smallPicture(2, 3), 150), true},
      {"151 colours", shvFile({{1, 1, 0}}, {0x01, 0x01}, "star", smallPicture(2, 3), 151), false},
      {"huge marked picture", shvFile({}, {}, "star", ByteBuffer{0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0}), false},
      {"whole file", good, true},
  };
  for (const Case& k : cases) {
    EmbDesign d;
    EXPECT_EQ(readBytes(k.file, d) != ReadResult::Failed, k.loads) << k.name;
  }
}

}  // namespace
}  // namespace lh
