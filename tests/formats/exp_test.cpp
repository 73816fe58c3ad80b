#include "formats/exp.h"

#include <gtest/gtest.h>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::sewnPoints;
using test::st;

EmbDesign readBytes(std::initializer_list<std::uint8_t> bytes) {
  DesignCodec codec;
  EmbDesign d;
  const ByteBuffer f(bytes);
  EXPECT_EQ(readExp(codec, d, f), ReadResult::Ok);
  return d;
}

TEST(ReadExp, PrefixesAndMoves) {
  // 80 01 00 00: a colour change; 80 04 0A 00: a jump of (10, 0); then stitches.
  EmbDesign d =
      readBytes({0x05, 0x00, 0x80, 0x01, 0x00, 0x00, 0x80, 0x04, 0x0A, 0x00, 0x00, 0x00, 0x03, 0xFD});
  ASSERT_EQ(d.threads.size(), 2u);
  EXPECT_EQ(d.threads[1].displayName, "Blue");
  // After the centring jump: the stitch, the colour change, its move, the jump (which takes
  // in the zero stitch after it) and the last stitch.
  ASSERT_EQ(d.stitches.size(), 6u);
  EXPECT_EQ(std::vector<Stitch>(d.stitches.begin() + 1, d.stitches.end()),
            (std::vector<Stitch>{st(5, 0), colorChange(), st(0, 0), jump(10, 0), st(3, -3)}));

  // 80 80 is skipped with the pair after it; 80 02 (even) is a jump prefix too; a prefix
  // applies to the next plain pair and prefixes add up.
  d = readBytes({0x01, 0x00, 0x80, 0x80, 0x7F, 0x7F, 0x02, 0x00, 0x80, 0x02, 0x80, 0x03, 0x00, 0x00, 0x04,
                 0x00, 0x05, 0x00});
  EXPECT_EQ(d.threads.size(), 2u);
  EXPECT_EQ(d.colorChangeCount(), 1u);
  EXPECT_EQ(sewnPoints(d), (std::vector<Point>{{0, 0}, {2, 0}, {11, 0}}));

  // Signed bytes: 0xFF is -1.
  d = readBytes({0x0A, 0x0A, 0xFF, 0x81});
  EXPECT_EQ(sewnPoints(d), (std::vector<Point>{{0, 0}, {-1, -127}}));
}

TEST(ReadExp, TrailingRecordsAndTruncation) {
  // Trailing jumps, zero moves and colour changes go, with the blocks they opened.
  EmbDesign d = readBytes({0x05, 0x05, 0x80, 0x01, 0x00, 0x00, 0x80, 0x04, 0x10, 0x00, 0x00, 0x00});
  EXPECT_EQ(d.threads.size(), 1u);
  EXPECT_EQ(d.colorChangeCount(), 0u);
  EXPECT_EQ(sewnPoints(d).size(), 1u);

  // Anything that stops mid-pair or mid-prefix ends decoding without reading past the end.
  for (auto bytes : {std::vector<std::uint8_t>{0x05, 0x05, 0x80},
                     {0x05, 0x05, 0x80, 0x01},
                     {0x05, 0x05, 0x80, 0x80, 0x01},
                     {0x05, 0x05, 0x07},
                     {0x80},
                     {}}) {
    DesignCodec codec;
    EmbDesign e;
    ByteBuffer f(bytes);
    f.reserve(f.size() + 1);  // a buffer even for no bytes
    EXPECT_EQ(readExp(codec, e, ByteSpan(f.data(), f.size())), ReadResult::Ok);
    EXPECT_LE(sewnPoints(e).size(), 1u);
    EXPECT_EQ(e.threads.size(), 1u);
  }
}

TEST(WriteExp, EncodesPrefixesAndCutsLongMoves) {
  DesignCodec codec;
  EmbDesign d = makeDesign({st(10, -5), jump(20, 30), st(1, 1), colorChange(), st(-3, 4)});
  const auto f = writeExp(codec, d);
  ASSERT_TRUE(f);
  // A jump is 80 04 dx dy, its run ending in one zero pair (the landing readers fold into
  // it); a colour change 80 01 00 00.
  const ByteBuffer expected = {0x0A, 0xFB, 0x80, 0x04, 0x14, 0x1E, 0x00, 0x00,
                               0x01, 0x01, 0x80, 0x01, 0x00, 0x00, 0xFD, 0x04};
  EXPECT_EQ(*f, expected);

  // Long moves are cut; no move byte is ever 0x80, which would read as a prefix.
  EmbDesign big = makeDesign({st(-1000, 300), jump(3000, -4000), st(128, -128), st(5, 5)});
  const auto g = writeExp(codec, big);
  ASSERT_TRUE(g);
  for (std::size_t at = 0; at + 1 < g->size(); at += 2) {
    if ((*g)[at] == 0x80) {
      EXPECT_TRUE((*g)[at + 1] == 0x01 || (*g)[at + 1] == 0x04) << at;
      continue;
    }
    EXPECT_NE((*g)[at + 1], 0x80) << at;
  }
  EmbDesign back;
  ASSERT_EQ(readExp(codec, back, *g), ReadResult::Ok);
  EXPECT_EQ(back.width(), 3000 + 128 + 5);
  EXPECT_EQ(back.height(), 4000 + 128);

  EmbDesign empty;
  EXPECT_FALSE(writeExp(codec, empty));
}

}  // namespace
}  // namespace lh
