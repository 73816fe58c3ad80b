#include "formats/dst.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::sewnPoints;
using test::st;

std::array<std::uint8_t, 3> encode(const Stitch& s) {
  std::array<std::uint8_t, 3> r{};
  encodeDstRecord(s, r.data());
  return r;
}

// A DST file image: header of blanks, the given records, the end mark.
ByteBuffer dstFile(std::initializer_list<std::array<std::uint8_t, 3>> records, bool endMark = true) {
  ByteBuffer f(kDstHeaderSize, ' ');
  for (const auto& r : records) f.insert(f.end(), r.begin(), r.end());
  if (endMark) f.insert(f.end(), {0, 0, 0xF3});
  return f;
}

// The records of a written file between the header and the end mark.
std::vector<std::array<std::uint8_t, 3>> recordsOf(const ByteBuffer& f) {
  std::vector<std::array<std::uint8_t, 3>> out;
  for (std::size_t at = kDstHeaderSize; at + 3 <= f.size(); at += 3)
    out.push_back({f[at], f[at + 1], f[at + 2]});
  return out;
}

TEST(DstRecord, EncodesBalancedTernary) {
  using R = std::array<std::uint8_t, 3>;
  EXPECT_EQ(encode(st(121, -121)), (R{0x55, 0x55, 0x17}));
  EXPECT_EQ(encode(st(50, -30)), (R{0x02, 0x5A, 0x07}));
  EXPECT_EQ(encode(st(-1, 0)), (R{0x02, 0x00, 0x03}));
  EXPECT_EQ(encode(st(0, 1)), (R{0x80, 0x00, 0x03}));
  EXPECT_EQ(encode(jump(0, 0)), (R{0x00, 0x00, 0x83}));
  EXPECT_EQ(encode(colorChange()), (R{0x00, 0x00, 0xC3}));
}

TEST(DstRecord, EveryMoveDecodesBack) {
  DesignCodec codec;
  for (int y = -121; y <= 121; y += 11) {
    for (int x = -121; x <= 121; ++x) {
      const auto r = encode(st(x, y));
      EmbDesign d;
      // A jump record first keeps the decoded stitch apart from the centring jump.
      readDst(codec, d, dstFile({encode(jump(1, 0)), r}));
      ASSERT_EQ(d.stitches.size(), 2u);
      ASSERT_EQ(d.stitches[1], st(x, y)) << x << "," << y;
    }
  }
}

TEST(ReadDst, ColorChangesShortFilesAndTruncation) {
  DesignCodec codec;
  EmbDesign d;
  // 00 00 C3: a colour block, a colour-change marker and a zero-move jump.
  ASSERT_EQ(readDst(codec, d, dstFile({encode(st(10, 0)), {0, 0, 0xC3}, encode(st(0, 10))})), ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 2u);
  EXPECT_EQ(d.threads[0].displayName, "Black");
  EXPECT_EQ(d.threads[1].displayName, "Blue");
  ASSERT_EQ(d.stitches.size(), 5u);  // centring jump, stitch, marker, zero jump, stitch
  EXPECT_TRUE(d.stitches[0].isJump());
  EXPECT_EQ(d.stitches[2], Stitch::withFlags(ColorChange));
  EXPECT_EQ(d.stitches[3], jump(0, 0));
  EXPECT_EQ(sewnPoints(d), (std::vector<Point>{{0, 0}, {0, 10}}));

  // Up to 515 bytes there are no records; any length is accepted.
  for (std::size_t n : {0u, 10u, 512u, 515u}) {
    ByteBuffer f(n, 0x55);
    f.reserve(n + 1);  // a buffer even for no bytes
    EmbDesign e;
    EXPECT_EQ(readDst(codec, e, ByteSpan(f.data(), f.size())), ReadResult::Ok) << n;
    EXPECT_TRUE(e.stitches.empty()) << n;
    EXPECT_EQ(e.threads.size(), 1u) << n;
  }

  // Without an end mark only records that start before the last three bytes are read (the
  // place of the end mark); a partial record is never read.
  ByteBuffer noEnd = dstFile({encode(st(1, 0)), encode(st(2, 0)), encode(st(3, 0))}, false);
  for (std::size_t cut = 0; cut < 4; ++cut) {
    ByteBuffer f(noEnd.begin(), noEnd.end() - static_cast<std::ptrdiff_t>(cut));
    EmbDesign e;
    readDst(codec, e, f);
    EXPECT_EQ(sewnPoints(e).size(), cut < 3 ? 2u : 1u) << cut;
  }

  // Colours cycle through the 28 palette entries.
  ByteBuffer many(kDstHeaderSize, ' ');
  for (int i = 0; i < 30; ++i) many.insert(many.end(), {0x01, 0x00, 0x03, 0x00, 0x00, 0xC3});
  many.insert(many.end(), {0x01, 0x00, 0x03, 0x00, 0x00, 0xF3});
  EmbDesign e;
  readDst(codec, e, many);
  ASSERT_EQ(e.threads.size(), 31u);
  EXPECT_EQ(e.threads[28].displayName, "Black");
  EXPECT_EQ(e.threads[29].displayName, "Blue");
}

TEST(WriteDst, HeaderAndLayout) {
  DesignCodec codec;
  EmbDesign d = makeDesign({st(100, 50), colorChange(), st(-30, 20), colorChange(), st(5, 5)});
  d.path = "/designs/A very long design name.pes";
  const auto f = writeDst(codec, d);
  ASSERT_TRUE(f);
  ASSERT_GE(f->size(), kDstHeaderSize + 6);
  const std::string header(f->begin(), f->begin() + kDstHeaderSize);
  const std::size_t records = (f->size() - kDstHeaderSize - 3) / 3;
  char expected[200];
  std::snprintf(expected, sizeof expected,
                "LA:A very long desi\rST:%7zu\rCO:  3\r+X:%5d\r-X:%5d\r+Y:%5d\r-Y:%5d\rAX:+    0\rAY:+    0\r"
                "MX:+    0\rMY:+    0\rPD:******\r\x1A ",
                records, d.maxX, -d.minX, d.maxY, -d.minY);
  EXPECT_EQ(header.substr(0, 126), expected);
  EXPECT_EQ(header.find_first_not_of(' ', 126), std::string::npos);
  // Centred on the bounding box, an odd unit to the right and down.
  EXPECT_TRUE(d.maxX + d.minX == 0 || d.maxX + d.minX == 1);
  EXPECT_TRUE(d.maxY + d.minY == 0 || d.maxY + d.minY == -1);

  const auto recs = recordsOf(*f);
  EXPECT_EQ(recs.front(), (std::array<std::uint8_t, 3>{0, 0, 0x03}));
  EXPECT_EQ(recs.back(), (std::array<std::uint8_t, 3>{0, 0, 0xF3}));
  EXPECT_EQ(recs[1][2] & 0x80, 0x80);  // then the jump from the origin

  EmbDesign small = makeDesign({st(1, 1)});
  small.path = "abc.dst";
  const auto g = writeDst(codec, small);
  ASSERT_TRUE(g);
  EXPECT_EQ(std::string(g->begin(), g->begin() + 20), "LA:abc             \r");

  EmbDesign empty;
  EXPECT_FALSE(writeDst(codec, empty));
}

// Zero-move jumps right in front of the first jump of the given dx.
int trimJumpsBefore(const EmbDesign& written, int longJumpDx) {
  int run = 0;
  for (const Stitch& s : written.stitches) {
    if (s.isJump() && s.dx == longJumpDx) return run;
    run = (s.isJump() && s.isZeroMove()) ? run + 1 : 0;
  }
  return -1;
}

TEST(WriteDst, EnsuresTrimsBeforeLongJumps) {
  const struct {
    const char* what;
    EmbDesign design;
    int jumpDx;
    int expected;
  } cases[] = {
      {"7 mm jump after a stitch", makeDesign({st(10, 0), jump(70, 0), st(10, 0)}), 70, 4},
      {"two zero jumps already there",
       makeDesign({st(10, 0), jump(0, 0), jump(0, 0), jump(70, 0), st(10, 0)}), 70, 4},
      {"5 mm jump", makeDesign({st(10, 0), jump(50, 0), st(10, 0)}), 50, 0},
      {"after a colour change", makeDesign({st(10, 0), colorChange(), jump(70, 0), st(10, 0)}), 70, 0},
  };
  for (const auto& c : cases) {
    DesignCodec codec;
    EmbDesign d(c.design);
    ASSERT_TRUE(writeDst(codec, d)) << c.what;
    EXPECT_EQ(trimJumpsBefore(d, c.jumpDx), c.expected) << c.what;
  }
  // Switched off, or with zero jumps, nothing is inserted.
  for (auto [key, value] : {std::pair{"dsttrim", 0}, std::pair{"dstjumps", 0}}) {
    MemorySettings settings;
    settings.setInt("Conversion", key, value);
    DesignCodec codec(&settings);
    EmbDesign d = makeDesign({st(10, 0), jump(70, 0), st(10, 0)});
    ASSERT_TRUE(writeDst(codec, d));
    EXPECT_EQ(trimJumpsBefore(d, 70), 0) << key;
  }
  // Settings change count and length.
  MemorySettings settings;
  settings.setInt("Conversion", "dstjumps", 2);
  settings.setInt("Conversion", "dsttrimlen", 4);
  DesignCodec codec(&settings);
  EmbDesign d = makeDesign({st(10, 0), jump(50, 0), st(10, 0)});
  ASSERT_TRUE(writeDst(codec, d));
  EXPECT_EQ(trimJumpsBefore(d, 50), 2);
}

TEST(WriteDst, RoundTripsAndCutsLongMoves) {
  DesignCodec codec;
  // A 300 mm jump: cut into pieces that each fit a record, ending exactly where it should.
  EmbDesign d =
      makeDesign({st(20, 10), jump(3000, -1500), st(-40, 30), colorChange(), st(250, 0), st(5, -7)});
  const auto f = writeDst(codec, d);
  ASSERT_TRUE(f);
  for (const Stitch& s : d.stitches) {
    ASSERT_LE(std::abs(s.dx), kDstMaxMove);
    ASSERT_LE(std::abs(s.dy), kDstMaxMove);
  }
  EmbDesign back;
  ASSERT_EQ(readDst(codec, back, *f), ReadResult::Ok);
  EXPECT_EQ(back.threads.size(), 2u);
  // The file starts with a penetration at the centre; after it the needle goes down at every
  // stitch end and nowhere else: not where a jump lands, and a long stitch cut into jumps
  // only at its end.
  auto got = sewnPoints(back);
  got.erase(std::unique(got.begin(), got.end()), got.end());
  ASSERT_GE(got.size(), 2u);
  got.erase(got.begin());
  const Point start = got[0];
  for (auto& p : got) p = {p.x - start.x, p.y - start.y};
  EXPECT_EQ(got, (std::vector<Point>{{0, 0}, {2960, -1470}, {3210, -1470}, {3215, -1477}}));
}

}  // namespace
}  // namespace lh
