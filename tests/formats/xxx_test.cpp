#include "formats/xxx.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/design_builder.h"
#include "threads/thread_charts.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::sewnPoints;
using test::st;

std::uint16_t u16At(const ByteBuffer& b, std::size_t at) {
  ByteReader r(b, at);
  return r.u16le();
}
std::uint32_t u32At(const ByteBuffer& b, std::size_t at) {
  ByteReader r(b, at);
  return r.u32le();
}

// The records of a written file: the stitch data before its end mark 7F 18 00 00.
ByteBuffer dataOf(const ByteBuffer& f) {
  const ByteBuffer end{0x7F, 0x18, 0x00, 0x00};
  const auto stop = f.begin() + u32At(f, 252);
  EXPECT_EQ(ByteBuffer(stop - 4, stop), end);
  return ByteBuffer(f.begin() + 256, stop - 4);
}

// The first XXX chart row of exactly this colour.
const ThreadColor& chartRow(std::uint32_t rgb) {
  for (const ThreadColor& row : chartRows(Chart::SulkyRayonXxx))
    if (row.rgb == rgb) return row;
  throw std::runtime_error("no such row");
}

// A file image: the header with the colour block offset, the data, and a colour block of the
// given colours (filling 22 entries with black).
ByteBuffer xxxFile(std::vector<std::uint8_t> data, std::vector<std::uint32_t> colors, bool withOffset = true) {
  ByteWriter w;
  w.fill(0, 256);
  if (withOffset) w.u32leAt(252, static_cast<std::uint32_t>(256 + data.size()));
  w.bytes(data);
  w.bytes(ByteBuffer{0x7F, 0x7F, 0x03, 0x14, 0x00, 0x00});
  for (std::size_t k = 0; k < 22; ++k) {
    const std::uint32_t c = k < colors.size() ? colors[k] : 0;
    w.u8(0);
    w.u8(static_cast<unsigned>(redOf(c)));
    w.u8(static_cast<unsigned>(greenOf(c)));
    w.u8(static_cast<unsigned>(blueOf(c)));
  }
  w.bytes(ByteBuffer{0x00, 0x01});
  return w.take();
}

TEST(WriteXxx, RecordBytes) {
  struct Case {
    const char* what;
    Stitch record;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"stitch", st(5, -5), {0x05, 0xFB}},
      {"stitch of 123", st(-123, 123), {0x85, 0x7B}},
      // A jump with no stitch after it needs no landing (a zero stitch readers fold into it).
      {"jump of 100", jump(100, 0), {0x7F, 0x01, 0x64, 0x00}},
      {"jump of 123", jump(123, -123), {0x7F, 0x01, 0x7B, 0x85}},
      {"jump of 200", jump(200, 0), {0x7E, 0xC8, 0x00, 0x00, 0x00}},
      {"jump of -124", jump(0, -124), {0x7E, 0x00, 0x00, 0x84, 0xFF}},
      {"stitch of 200", st(200, 0), {0x7D, 0xC8, 0x00, 0x00, 0x00}},
      {"colour change", colorChange(), {0x7F, 0x08, 0x00, 0x00}},
      // The command holds no move: a colour change's own move follows it as a jump.
      {"colour change with a move", colorChange(10, 0), {0x7F, 0x08, 0x00, 0x00, 0x7F, 0x01, 0x0A, 0x00}},
      {"colour change with a jump", Stitch::withFlags(ColorChange | Jump, 300, 0),
       {0x7F, 0x08, 0x00, 0x00, 0x7E, 0x2C, 0x01, 0x00, 0x00}},
  };
  DesignCodec codec;
  for (const Case& c : cases) {
    EmbDesign d = makeDesign({c.record});
    auto f = writeXxx(codec, d);
    ASSERT_TRUE(f);
    EXPECT_EQ(dataOf(*f), ByteBuffer(c.bytes.begin(), c.bytes.end())) << c.what;
  }
  EmbDesign d = makeDesign({st(200, 0)});
  ASSERT_TRUE(writeXxx(codec, d));
  EXPECT_TRUE(d.stitches[0].isJump());  // a long stitch is written, and kept, as a jump
}

TEST(WriteXxx, HeaderAndColorBlock) {
  DesignCodec codec;
  EmbDesign d = makeDesign({jump(-30, -20), st(50, 0), st(0, 30), colorChange(), st(10, 10)},
                           {rgbOf(1, 2, 3), rgbOf(4, 5, 6)});
  d.centreDesign();
  auto f = writeXxx(codec, d);
  ASSERT_TRUE(f);
  EXPECT_EQ(u16At(*f, 23), d.stitches.size());
  EXPECT_EQ(u16At(*f, 39), 2);
  EXPECT_EQ(u16At(*f, 45), std::abs(d.minX) + d.maxX);
  EXPECT_EQ(u16At(*f, 47), std::abs(d.minY) + d.maxY);
  const std::size_t block = u32At(*f, 252);
  EXPECT_EQ(block, 256 + dataOf(*f).size() + 4);
  ASSERT_EQ(f->size(), block + 96);
  for (std::size_t i = 0; i < 256; ++i) {
    if (i == 23 || i == 24 || i == 39 || i == 40 || (i >= 45 && i < 49) || i >= 252) continue;
    EXPECT_EQ((*f)[i], 0) << "header byte " << i;
  }
  const ByteBuffer colors(f->begin() + static_cast<std::ptrdiff_t>(block), f->end());
  EXPECT_EQ((ByteBuffer(colors.begin(), colors.begin() + 14)),
            (ByteBuffer{0x7F, 0x7F, 0x03, 0x14, 0x00, 0x00, 0x00, 1, 2, 3, 0x00, 4, 5, 6}));
  // Entries the design does not fill keep their defaults; the block ends 00 01.
  EXPECT_EQ((ByteBuffer(colors.begin() + 14, colors.begin() + 18)), (ByteBuffer{0x00, 0, 128, 128}));
  EXPECT_EQ((ByteBuffer(colors.end() - 6, colors.end())), (ByteBuffer{0x00, 255, 255, 255, 0x00, 0x01}));
}

TEST(XxxRoundTrip, ColorChangesComeBackWithAZeroStitch) {
  DesignCodec codec;
  const auto rows = chartRows(Chart::SulkyRayonXxx);
  ASSERT_EQ(rows.size(), 196u);
  const EmbDesign original =
      makeDesign({st(10, 10), st(100, -50), jump(500, 0), st(5, 5), st(-20, 30), colorChange(), jump(-100, 20), st(5, 0)},
                 {rows[7].rgb, rows[150].rgb});
  EmbDesign work(original);
  work.centreDesign();
  auto f = writeXxx(codec, work);
  ASSERT_TRUE(f);
  EmbDesign back;
  ASSERT_EQ(readXxx(codec, back, *f), ReadResult::Ok);
  // The zero stitch read after the colour change repeats the point before it.
  auto distinct = [](std::vector<Point> p) {
    p.erase(std::unique(p.begin(), p.end()), p.end());
    return p;
  };
  EXPECT_EQ(sewnPoints(back).size(), sewnPoints(work).size() + 1);
  EXPECT_EQ(distinct(sewnPoints(back)), sewnPoints(work));
  ASSERT_EQ(back.threads.size(), 2u);
  EXPECT_EQ(back.threads[0].displayName, chartRow(rows[7].rgb).displayName);
  EXPECT_EQ(back.threads[1].displayName, chartRow(rows[150].rgb).displayName);
  // The colour change is followed by the zero stitch written after 7F 08.
  const auto cc = std::find_if(back.stitches.begin(), back.stitches.end(), [](const Stitch& s) { return s.isColorChange(); });
  ASSERT_NE(cc, back.stitches.end());
  ASSERT_NE(cc + 1, back.stitches.end());
  EXPECT_EQ(*(cc + 1), st(0, 0));
}

TEST(ReadXxx, ColorsOfTwentyBlocks) {
  const auto rows = chartRows(Chart::SulkyRayonXxx);
  std::vector<std::uint32_t> colors;
  for (std::size_t k = 0; k < 15; ++k) colors.push_back(rows[10 * k].rgb);
  // 19 written colour changes (7F 08), then one change naming its colour: 7F 0B (side colour
  // 2) and 7F 1A (side colour 12), each a jump whose move is the next pair.
  std::vector<std::uint8_t> data = {0x01, 0x01};
  for (int k = 1; k <= 17; ++k) data.insert(data.end(), {0x7F, 0x08, 0x00, 0x00, 0x01, 0x01});
  data.insert(data.end(), {0x7F, 0x0B, 0x02, 0x00, 0x01, 0x01, 0x7F, 0x1A, 0x00, 0x02, 0x01, 0x01, 0x7F, 0x18, 0x00, 0x00});
  DesignCodec codec;
  EmbDesign d;
  ASSERT_EQ(readXxx(codec, d, xxxFile(data, colors)), ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 20u);
  std::vector<std::size_t> expected;
  for (std::size_t k = 0; k <= 14; ++k) expected.push_back(k);  // first colour and changes 1..14
  expected.insert(expected.end(), {0, 1, 2, 2, 12});             // (k + 1) mod 8 for k = 15..17, then y
  for (std::size_t b = 0; b < 20; ++b)
    EXPECT_EQ(d.threads[b].displayName, chartRow(colors[expected[b]]).displayName) << "block " << b;
}

TEST(ReadXxx, ColorBlockPositionAndFileEnd) {
  const auto rows = chartRows(Chart::SulkyRayonXxx);
  const std::uint32_t first = rows[3].rgb, second = rows[90].rgb;
  auto putRgb = [](ByteBuffer& f, std::size_t at, std::uint32_t c) {
    f[at] = static_cast<std::uint8_t>(redOf(c));
    f[at + 1] = static_cast<std::uint8_t>(greenOf(c));
    f[at + 2] = static_cast<std::uint8_t>(blueOf(c));
  };
  DesignCodec codec;
  {  // no block offset: the colours are read from 62 bytes before the end
    ByteBuffer f = xxxFile({0x05, 0x05, 0x05, 0x05}, {}, false);
    putRgb(f, f.size() - 62, second);
    EmbDesign d;
    ASSERT_EQ(readXxx(codec, d, f), ReadResult::Ok);
    EXPECT_EQ(d.threads[0].displayName, chartRow(second).displayName);
  }
  {  // colours past the end of the file repeat the last one inside it
    ByteBuffer f(256, 0);
    f.insert(f.end(), {0x05, 0x05, 0x7F, 0x08, 0x00, 0x00, 0x7F, 0x08, 0x00, 0x00, 0x05, 0x05});
    f.resize(279 + 7, 0);  // the data stops 11 bytes before the first colour at 279
    putRgb(f, 279, first);
    putRgb(f, 283, second);
    f[252] = 0x10;  // block offset 272: the colours start 7 bytes after it
    f[253] = 0x01;
    EmbDesign d;
    ASSERT_EQ(readXxx(codec, d, f), ReadResult::Ok);
    ASSERT_EQ(d.threads.size(), 3u);
    EXPECT_EQ(d.threads[0].displayName, chartRow(first).displayName);
    EXPECT_EQ(d.threads[1].displayName, chartRow(second).displayName);
    EXPECT_EQ(d.threads[2].displayName, chartRow(second).displayName);
  }
  {  // a long record cut off by the end of the file reads as a zero move
    ByteBuffer f(256, 0xFF);
    f.insert(f.end(), {0x0A, 0x00, 0x7D, 0x10, 0x00});
    f[252] = 0xFF, f[253] = 0xFF, f[254] = 0xFF, f[255] = 0x7F;
    EmbDesign d;
    ASSERT_EQ(readXxx(codec, d, f), ReadResult::Ok);
    ASSERT_EQ(d.stitches.size(), 3u);  // the centring jump, the stitch, the zero move
    EXPECT_EQ(d.stitches[1], st(10, 0));
    EXPECT_EQ(d.stitches[2], st(0, 0));
  }
}

TEST(ReadXxx, NeverReadsOutsideTheFile) {
  DesignCodec codec;
  for (std::int32_t offset : {0, -7, -1000, 100, 255, 0x7FFFFFFF, static_cast<std::int32_t>(0x80000000)}) {
    ByteBuffer f(256, 0);
    ByteWriter w;
    w.u32le(static_cast<std::uint32_t>(offset));
    std::copy(w.buffer().begin(), w.buffer().end(), f.begin() + 252);
    f.insert(f.end(), {0x05, 0x05, 0x7E, 0x40, 0x00, 0x7F});
    EmbDesign d;
    EXPECT_EQ(readXxx(codec, d, f), ReadResult::Ok) << offset;
    EXPECT_EQ(d.threads.size(), 1u);
  }
  EmbDesign d;
  EXPECT_EQ(readXxx(codec, d, ByteBuffer{}), ReadResult::Ok);
  EXPECT_TRUE(d.stitches.empty());
}

}  // namespace
}  // namespace lh
