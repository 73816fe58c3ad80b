// PEC stitch decoding and encoding, the PEC header, and the monochrome pictures.
#include "formats/pec.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/design_builder.h"
#include "threads/pec_palette.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::st;

struct DecodeCase {
  std::vector<std::uint8_t> bytes;
  int dx, dy;
  std::uint8_t flags;
  std::size_t used;
};

TEST(PecDecode, ValuesAndFlags) {
  const DecodeCase cases[] = {
      {{0x81, 0x00, 0x00}, 256, 0, 0, 3},         // long positive, no jump
      {{0x9F, 0xFF, 0x00}, -1, 0, Jump, 3},       // long negative with the jump bit
      {{0x7F, 0x00}, -1, 0, 0, 2},                // 7-bit -1
      {{0x40, 0x00}, -64, 0, 0, 2},               // 7-bit -64
      {{0x3F, 0x3F}, 63, -63, 0, 2},              // largest short value, Y negated
      {{0x00, 0xA0, 0x10}, 0, -16, Jump, 3},      // Y can set the jump too
      {{0x8F, 0xFF, 0x00}, 0xFFF - 4096, 0, 0, 3},  // 0x8F is still no jump
      {{0xFE, 0xB0, 0x02}, 0, 0, ColorChange, 3},
      {{0xFE, 0xB1, 0x00}, 0xEB1 - 4096, 0, Jump, 3},  // FE without B0 is a long jump value
  };
  for (const DecodeCase& c : cases) {
    std::size_t cursor = 0;
    const auto s = decodePecStitch(c.bytes, cursor);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->dx, c.dx);
    EXPECT_EQ(s->dy, c.dy);
    EXPECT_EQ(s->flags, c.flags);
    EXPECT_EQ(cursor, c.used);
  }
}

TEST(PecDecode, StopsWhenTheBytesRunOut) {
  const std::vector<std::vector<std::uint8_t>> truncated = {{}, {0x05}, {0x85}, {0x05, 0x85}};
  for (const auto& bytes : truncated) {
    std::size_t cursor = 0;
    EXPECT_FALSE(decodePecStitch(bytes, cursor).has_value());
  }
  // A colour change only needs its two marker bytes.
  std::size_t cursor = 0;
  const std::vector<std::uint8_t> marker = {0xFE, 0xB0};
  EXPECT_TRUE(decodePecStitch(marker, cursor).has_value());
}

struct EncodeCase {
  Stitch stitch;
  int colourNumber;
  std::vector<std::uint8_t> bytes;
};

TEST(PecEncode, Records) {
  const EncodeCase cases[] = {
      {st(10, 20), 1, {0x0A, 0x6C}},
      {jump(-100, 0), 1, {0xAF, 0x9C, 0xA0, 0x00}},
      {st(64, 0), 1, {0x80, 0x40, 0x00}},
      {st(-64, 63), 1, {0x40, 0x41}},
      {st(5, 5), 0, {0x90, 0x05, 0x9F, 0xFB}},
      {jump(5, 5), 0, {0xA0, 0x05, 0xAF, 0xFB}},
      {colorChange(), 2, {0xFE, 0xB0, 0x02}},
      {colorChange(), 3, {0xFE, 0xB0, 0x01}},
      {colorChange(3, 0), 2, {0xFE, 0xB0, 0x02, 0x90, 0x03, 0x90, 0x00}},
      {Stitch(0, 0, true, true), 3, {0xFE, 0xB0, 0x01, 0xA0, 0x00, 0xA0, 0x00}},
  };
  for (const EncodeCase& c : cases) {
    std::uint8_t buf[8] = {};
    const int n = encodePecStitch(buf, c.stitch, c.colourNumber);
    EXPECT_EQ(std::vector<std::uint8_t>(buf, buf + n), c.bytes) << c.stitch.dx << "," << c.stitch.dy;
  }
}

TEST(PecEncode, EveryMoveDecodesBackToItself) {
  for (int v = -2048; v <= 2047; v += 7) {
    for (const Stitch& s : {st(v, -v), jump(v, v / 3), st(v % 64, -(v % 60))}) {
      std::uint8_t buf[8] = {};
      const int n = encodePecStitch(buf, s, 1);
      std::size_t cursor = 0;
      const auto back = decodePecStitch(ByteSpan(buf, static_cast<std::size_t>(n)), cursor);
      ASSERT_TRUE(back.has_value());
      EXPECT_EQ(back->dx, s.dx);
      EXPECT_EQ(back->dy, s.dy);
      EXPECT_EQ(back->isJump(), s.isJump());
      EXPECT_EQ(cursor, static_cast<std::size_t>(n));
    }
  }
}

TEST(PecStitches, ColorNumbersAlternateAndTheSectionLengthCountsTheHeader) {
  EmbDesign d = makeDesign({st(5, 5), st(1, 1), colorChange(), st(1, 0), colorChange(), st(0, 1), colorChange()});
  ByteWriter w;
  const std::uint32_t length = writePecStitches(d, w);
  const ByteBuffer expected = {0x90, 0x05, 0x9F, 0xFB, 0x01, 0x7F, 0xFE, 0xB0, 0x02, 0x01, 0x00,
                               0xFE, 0xB0, 0x01, 0x00, 0x7F, 0xFE, 0xB0, 0x02, 0xFF};
  EXPECT_EQ(w.buffer(), expected);
  EXPECT_EQ(length, expected.size() - 1 + 17);
}

TEST(PecStitches, MovesBeyondTwelveBitsAreLedByJumps) {
  EmbDesign d = makeDesign({st(3000, -2600), st(10, 0)});
  ByteWriter w;
  writePecStitches(d, w);
  std::size_t cursor = 0;
  int x = 0, y = 0, records = 0;
  while (cursor + 1 < w.size()) {
    const auto s = decodePecStitch(w.buffer(), cursor);
    ASSERT_TRUE(s.has_value());
    x += s->dx;
    y += s->dy;
    ++records;
  }
  EXPECT_EQ(x, 3010);
  EXPECT_EQ(y, -2600);
  EXPECT_EQ(records, 3);
}

TEST(PecHeader, LabelColorListAndFixedBytes) {
  const std::uint8_t colors[] = {20, 5, 29};
  ByteWriter w;
  writePecHeader(w, pecLabel("C:/designs/Butterfly Large.pes"), colors, true);
  const ByteBuffer& b = w.buffer();
  ASSERT_EQ(b.size(), kPecHeaderSize);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 19), "LA:Butterfl        ");
  EXPECT_EQ(b[19], 0x0D);
  EXPECT_EQ(b[31], 0xFF);
  EXPECT_EQ(b[32], 0xFF);
  EXPECT_EQ(b[33], 0x00);
  EXPECT_EQ(b[34], 6);
  EXPECT_EQ(b[35], 38);
  EXPECT_EQ(b[48], 2);
  EXPECT_EQ(b[49], 20);
  EXPECT_EQ(b[51], 29);
  EXPECT_EQ(b[52], 0x20);
  EXPECT_EQ(b[511], 0x20);

  EXPECT_EQ(pecLabel("rose.pes"), "rose");
  EXPECT_EQ(pecLabel("no_extension"), "");
  EXPECT_EQ(pecLabel("Zip:C:/a.zip:dir/my.design.pes"), "my.desig");

  ByteWriter older;
  writePecHeader(older, "x", colors, false);
  EXPECT_EQ(older.buffer()[31], 0x20);
}

TEST(PecHeader, SectionHeader) {
  ByteWriter w;
  writePecSectionHeader(w, 0x012345, 640, 480);
  const ByteBuffer expected = {0, 0, 0x45, 0x23, 0x01, 0x31, 0xFF, 0xF0, 0x80, 0x02, 0xE0, 0x01, 0xE0, 0x01, 0xB0, 0x01};
  EXPECT_EQ(w.buffer(), expected);
}

bool pixel(const std::uint8_t* pic, int x, int y) { return (pic[y * 6 + x / 8] >> (x % 8)) & 1; }

TEST(PecPictures, ThreeBlocksGiveFourFramedPictures) {
  // Three filled patches side by side (pictures sample every third pixel, so thin lines vanish).
  EmbDesign d;
  for (int b = 0; b < 3; ++b) {
    if (b > 0) d.stitches.push_back(colorChange());
    d.stitches.push_back(jump(b == 0 ? -300 : 100, b == 0 ? -100 : -200));
    for (int k = 0; k < 40; ++k) d.stitches.push_back(st(k % 2 ? -150 : 150, 5));
    ThreadColor t;
    t.rgb = pecColor(b + 1);
    d.threads.push_back(t);
  }
  d.centreDesign();
  const ByteBuffer pics = pecPictures(d);
  ASSERT_EQ(pics.size(), 912u);
  for (int p = 0; p < 4; ++p) {
    const std::uint8_t* pic = pics.data() + 228 * p;
    EXPECT_TRUE(pixel(pic, 4, 1) && pixel(pic, 43, 36) && pixel(pic, 1, 4) && pixel(pic, 46, 33));
    EXPECT_TRUE(pixel(pic, 3, 2) && pixel(pic, 44, 35));
    EXPECT_FALSE(pixel(pic, 0, 0));
  }
  // Each block shows its own patch; the design picture holds their outlines.
  auto count = [&](int p) {
    int n = 0;
    for (int y = 3; y <= 34; ++y)
      for (int x = 3; x <= 44; ++x) n += pixel(pics.data() + 228 * p, x, y);
    return n;
  };
  EXPECT_GT(count(1), 10);
  EXPECT_GT(count(2), 10);
  EXPECT_GE(count(0), count(1));
}

TEST(PecPictures, DesignPictureKeepsOnlyOutlines) {
  std::vector<std::uint8_t> pics(2 * kPecPictureSize, 0);
  std::uint8_t* color = pics.data() + kPecPictureSize;
  for (int y = 10; y <= 20; ++y)
    for (int x = 10; x <= 20; ++x) color[y * 6 + x / 8] = static_cast<std::uint8_t>(color[y * 6 + x / 8] | (1 << (x % 8)));
  pecDesignPicture(pics.data(), 1);
  EXPECT_TRUE(pixel(pics.data(), 10, 10));
  EXPECT_TRUE(pixel(pics.data(), 15, 20));
  EXPECT_FALSE(pixel(pics.data(), 15, 15));
  EXPECT_TRUE(pixel(color, 15, 15));  // the colour picture itself stays filled
}

TEST(PecBlockColors, PaletteNamesAndColors) {
  EmbDesign d;
  const std::uint8_t indexes[] = {20, 64, 200};
  pecBlockColors(d, indexes);
  ASSERT_EQ(d.threads.size(), 3u);
  EXPECT_EQ(d.threads[0].displayName, "Black");
  EXPECT_EQ(d.threads[1].displayName, "Applique");
  EXPECT_EQ(d.threads[1].chartCode, 64);
  EXPECT_EQ(d.threads[2].displayName, "Unknown");
  EXPECT_EQ(d.threads[2].rgb, pecColor(200));
}

}  // namespace
}  // namespace lh
