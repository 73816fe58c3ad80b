#include "formats/pcs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "tests/formats/pfaff_corpus.h"
#include "tests/support/design_builder.h"
#include "threads/format_palettes.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::st;

constexpr std::size_t kFirstRecord = 70;

std::int32_t le32(const ByteBuffer& b, std::size_t at) {
  return static_cast<std::int32_t>(b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) |
                                   (static_cast<std::uint32_t>(b.at(at + 3)) << 24));
}

struct PcsRecord {
  std::int32_t x, y;
  std::uint8_t flags;
  std::uint8_t color() const { return static_cast<std::uint8_t>(x & 0xFF); }
  bool isColor() const { return (flags & 3) == 3; }
};

std::vector<PcsRecord> recordsOf(const ByteBuffer& b) {
  std::vector<PcsRecord> out;
  for (std::size_t at = kFirstRecord; at + 9 <= b.size(); at += 9)
    out.push_back({le32(b, at), le32(b, at + 4), b[at + 8]});
  return out;
}

ByteBuffer writeOk(EmbDesign d) {
  DesignCodec codec;
  std::optional<ByteBuffer> out = writePcs(codec, d);
  EXPECT_TRUE(out.has_value());
  return out.value_or(ByteBuffer{});
}

// A PCS image: colour table, stated record count, then records (colour records name an index).
struct PcsBuilder {
  ByteWriter w;
  explicit PcsBuilder(std::vector<std::uint32_t> table, int recordCount) {
    w.u8(0x32);
    w.u8(2);
    w.u16le(static_cast<unsigned>(table.size()));
    for (std::uint32_t c : table) {
      w.u8(static_cast<unsigned>(redOf(c)));
      w.u8(static_cast<unsigned>(greenOf(c)));
      w.u8(static_cast<unsigned>(blueOf(c)));
      w.u8(0);
    }
    w.u16le(static_cast<unsigned>(recordCount));
  }
  PcsBuilder& stitch(std::int32_t x, std::int32_t y) {
    w.u32le(static_cast<std::uint32_t>(x));
    w.u32le(static_cast<std::uint32_t>(y));
    w.u8(0);
    return *this;
  }
  PcsBuilder& color(int index) {
    w.u8(static_cast<unsigned>(index));
    w.fill(0, 7);
    w.u8(3);
    return *this;
  }
  ByteBuffer bytes() { return w.buffer(); }
};

ReadResult readImage(const ByteBuffer& b, EmbDesign& d) {
  DesignCodec codec;
  return readPcs(codec, d, b);
}

// Absolute position of every record, relative to the first one.
std::vector<Point> relativePositions(const EmbDesign& d) {
  std::vector<Point> pts;
  int x = 0, y = 0;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    pts.push_back({x, y});
  }
  for (std::size_t i = pts.size(); i-- > 0;) pts[i] = {pts[i].x - pts[0].x, pts[i].y - pts[0].y};
  return pts;
}

// ---- Writer -----------------------------------------------------------------------------

struct HoopCase {
  int width, height;
  int firstDx, firstDy;
  int hoop;
  std::int32_t firstX, firstY;  // the first stitch record's position
};

class PcsHoop : public testing::TestWithParam<HoopCase> {};

TEST_P(PcsHoop, ChoosesHoopAndStartsAtItsCentre) {
  const HoopCase c = GetParam();
  // A centred design: a jump to its corner, then its two sides.
  const ByteBuffer b = writeOk(makeDesign({jump(c.firstDx, c.firstDy), st(c.width, 0), st(0, c.height)}));
  ASSERT_GE(b.size(), kFirstRecord + 18);
  EXPECT_EQ(b[0], 0x32);
  EXPECT_EQ(b[1], c.hoop);
  EXPECT_EQ(b[2], 16);
  EXPECT_EQ(b[3], 0);
  const std::vector<PcsRecord> r = recordsOf(b);
  ASSERT_TRUE(r[0].isColor());
  EXPECT_EQ(r[1].x, c.firstX);
  EXPECT_EQ(r[1].y, c.firstY);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PcsHoop,
                         testing::Values(
                             // 80 x 80 mm fits the small hoop: centre (61400, 61400).
                             HoopCase{800, 800, -400, -400, 2, 0, 0},
                             // 100 mm wide: the large hoop, centre (92100, 88262); -501 x 153.5 truncates to
                             // -76903. The centre's Y is not a whole number of 0.1 mm: 88262 - 51115 would
                             // read back as 0.1 mm too far up, so the value is moved by one file unit.
                             HoopCase{1001, 300, -501, -333, 3, 92100 - 76903, 88262 - 51115 - 1},
                             // 1 x 153.5 truncates to 153, which would read back as 0: one file unit more.
                             HoopCase{100, 900, 1, -450, 3, 92100 + 153 + 1, 88262 - 69075},
                             HoopCase{801, 100, -401, -50, 3, 92100 - 61553, 88262 - 7675},
                             HoopCase{100, 900, -50, -450, 3, 92100 - 7675, 88262 - 69075}));

TEST(PcsWriter, TwentyColorsNumberFifteenBlocksThenTakeTheNearestTableColor) {
  std::vector<std::uint32_t> colors;
  for (int k = 0; k < 15; ++k) colors.push_back(rgbOf(15 * k, 240 - 15 * k, 8 * k));
  colors.push_back(colors[3]);                    // block 15 equals block 3: index 3, not 15
  colors.push_back(colors[7] + 2);                // near block 7
  colors.push_back(colors[0]);                    // block 0
  colors.push_back(colors[10] + rgbOf(0, 3, 0));  // near block 10
  colors.push_back(colors[14]);                   // block 14
  EmbDesign d;
  d.stitches.push_back(jump(-10, -10));
  for (std::size_t k = 0; k < colors.size(); ++k) {
    if (k > 0) d.stitches.push_back(colorChange(1, 0));
    d.stitches.push_back(st(2, 1));
    d.threads.push_back(test::thread(colors[k]));
  }
  const std::size_t n = d.stitches.size();
  const ByteBuffer b = writeOk(EmbDesign(d));

  // The table holds the first 16 design colours.
  for (std::size_t k = 0; k < 16; ++k) {
    EXPECT_EQ(b[4 + 4 * k], redOf(colors[k])) << k;
    EXPECT_EQ(b[5 + 4 * k], greenOf(colors[k])) << k;
    EXPECT_EQ(b[6 + 4 * k], blueOf(colors[k])) << k;
    EXPECT_EQ(b[7 + 4 * k], 0) << k;
  }
  EXPECT_EQ(b[68] | (b[69] << 8), static_cast<int>(n));
  EXPECT_EQ(b.size(), (colors.size() + n + 8) * 9);

  std::vector<int> indexes;
  std::vector<std::uint8_t> stitchFlags;
  for (const PcsRecord& r : recordsOf(b)) {
    if (r.isColor()) {
      indexes.push_back(r.color());
    } else if (stitchFlags.size() < n) {
      stitchFlags.push_back(r.flags);
    }
  }
  EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 3, 7, 0, 10, 14}));
  ASSERT_EQ(stitchFlags.size(), n);
  EXPECT_EQ(stitchFlags.front(), 4);
  EXPECT_EQ(stitchFlags.back(), 4);
  EXPECT_EQ(std::count(stitchFlags.begin(), stitchFlags.end(), 0), static_cast<long>(n - 2));
}

TEST(PcsWriter, FewColorsKeepTheStandardTableAfterThem) {
  const ByteBuffer b =
      writeOk(makeDesign({jump(-5, -5), st(10, 0), colorChange(), st(0, 10)}, {0x123456, 0xABCDEF}));
  EXPECT_EQ(b[4], 0x56);
  EXPECT_EQ(b[8], 0xEF);
  // Entries 2..15 stay the standard colours.
  for (int k = 2; k < 16; ++k) {
    const std::uint32_t c = windowsColor(k).rgb;
    EXPECT_EQ(b[4 + 4 * static_cast<std::size_t>(k)], redOf(c)) << k;
    EXPECT_EQ(b[6 + 4 * static_cast<std::size_t>(k)], blueOf(c)) << k;
  }
}

TEST(PcsWriter, RefusesWhatTheFormatCannotHold) {
  DesignCodec codec;
  EmbDesign empty;
  EXPECT_FALSE(writePcs(codec, empty).has_value());
  EmbDesign huge = makeDesign({jump(1, 1)});
  huge.stitches.resize(70000, st(1, 0));
  EXPECT_FALSE(writePcs(codec, huge).has_value());
}

// ---- Reader -----------------------------------------------------------------------------

struct NameCase {
  std::uint32_t rgb;
  const char* name;
};

class PcsColorName : public testing::TestWithParam<NameCase> {};

TEST_P(PcsColorName, ExactStandardColorsKeepTheirNameOthersTakeThePecName) {
  const NameCase c = GetParam();
  EmbDesign d;
  ASSERT_EQ(readImage(PcsBuilder({0, c.rgb}, 2).color(1).stitch(1535, 1535).stitch(3070, 1535).bytes(), d),
            ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 1u);
  EXPECT_EQ(d.threads[0].rgb, c.rgb);
  EXPECT_EQ(d.threads[0].colorName, c.name);
  EXPECT_EQ(d.threads[0].displayName, c.name);
  EXPECT_EQ(d.threads[0].chartCode, 1);
}

INSTANTIATE_TEST_SUITE_P(Colors, PcsColorName,
                         testing::Values(NameCase{rgbOf(255, 0, 0), "Red"}, NameCase{rgbOf(250, 0, 0), "Red"},
                                         NameCase{rgbOf(0, 0, 255), "Blue"},
                                         NameCase{rgbOf(0, 0, 250), "Prussian Blue"},
                                         NameCase{rgbOf(0, 0, 128), "Dark Blue"},
                                         NameCase{rgbOf(192, 192, 192), "Light Gray"},
                                         NameCase{rgbOf(190, 190, 190), "Warm Gray"}));

TEST(PcsReader, ColorRecordsOpenBlocksAtTheFollowingStitch) {
  const std::vector<std::uint32_t> table{rgbOf(1, 2, 3), rgbOf(10, 20, 30), rgbOf(40, 50, 60)};
  // Five stitch records are stated; the colour records come on top of them, and what follows
  // the fifth stitch is not read. 15350 file units are 100 x 0.1 mm.
  const ByteBuffer b = PcsBuilder(table, 5)
                           .color(1)
                           .stitch(15350, 15350)                // (100, 100)
                           .stitch(15350 + 1534, 15350 - 1534)  // (109.99, 90.01): (109, 90)
                           .color(2)
                           .stitch(30700, 15350)  // (200, 100)
                           .color(0)
                           .color(7)  // the later of two colour records names the block
                           .stitch(15350, 15350 + 1535 * 3)  // (100, 130)
                           .stitch(15350, 15350)
                           .stitch(0, 0)
                           .bytes();
  EmbDesign d;
  ASSERT_EQ(readImage(b, d), ReadResult::Ok);
  ASSERT_EQ(d.stitches.size(), 5u);
  EXPECT_TRUE(d.stitches[0].isJump());
  EXPECT_FALSE(d.stitches[0].isColorChange());
  EXPECT_EQ(d.stitches[1], Stitch(9, -10));
  EXPECT_EQ(d.stitches[2], Stitch(91, 10, false, true));
  EXPECT_EQ(d.stitches[3], Stitch(-100, 30, false, true));
  EXPECT_EQ(d.stitches[4], Stitch(0, -30));
  ASSERT_EQ(d.threads.size(), 3u);
  EXPECT_EQ(d.threads[0].rgb, table[1]);
  EXPECT_EQ(d.threads[1].rgb, table[2]);
  // An index past the table still opens its block, in black.
  EXPECT_EQ(d.threads[2].rgb, 0u);
  EXPECT_EQ(d.threads[2].chartCode, 7);
  EXPECT_EQ(d.threads[0].stitchCount, 2);
  // Centred on the bounding box (100..200 by 90..130).
  EXPECT_EQ(d.maxX + d.minX, 0);
  EXPECT_EQ(d.width(), 100);
  EXPECT_EQ(d.height(), 40);
}

TEST(PcsReader, StitchesBeforeAnyColorRecordUseTheFirstTableColor) {
  EmbDesign d;
  ASSERT_EQ(readImage(PcsBuilder({rgbOf(9, 9, 9)}, 2).stitch(0, 0).stitch(1535, 0).color(0).bytes(), d),
            ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 1u);  // the trailing colour record opens no block
  EXPECT_EQ(d.threads[0].rgb, rgbOf(9, 9, 9));
  EXPECT_EQ(d.stitches.size(), 2u);
  EXPECT_EQ(d.colorChangeCount(), 0u);
}

TEST(PcsReader, RejectsOversizedTablesAndCutHeaders) {
  struct Case {
    ByteBuffer bytes;
    bool accepted;
  };
  ByteBuffer cutTable = PcsBuilder(std::vector<std::uint32_t>(16, 0), 0).bytes();
  cutTable.resize(40);
  const Case cases[] = {
      {PcsBuilder(std::vector<std::uint32_t>(101, 0), 0).stitch(1, 1).bytes(), false},
      {PcsBuilder(std::vector<std::uint32_t>(100, 0), 1).stitch(1535, 1535).bytes(), true},
      {PcsBuilder({}, 0).bytes(), true},
      {cutTable, false},
      {ByteBuffer{0x32, 0x02}, false},
  };
  for (const Case& c : cases) {
    EmbDesign d;
    d.stitches.push_back(st(5, 5));
    EXPECT_EQ(readImage(c.bytes, d) != ReadResult::Failed, c.accepted) << c.bytes.size();
    if (!c.accepted) {
      EXPECT_TRUE(d.stitches.empty());
    }
  }
}

TEST(PcsReader, ReadsEveryCutOfAFileWithoutFault) {
  EmbDesign source = makeDesign({jump(-40, -40), st(30, 0), colorChange(0, 20), st(-30, 0), st(300, 300)});
  const ByteBuffer b = writeOk(EmbDesign(source));
  std::size_t withoutStitches = 0, withStitches = 0;
  for (std::size_t len = 0; len <= b.size(); ++len) {
    EmbDesign d;
    const ReadResult r = readImage(ByteBuffer(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(len)), d);
    if (r == ReadResult::Failed) continue;
    // One thread per block; a cut that ends before the first stitch (after the colour record
    // that opens it, say) holds no block and so no thread.
    const std::size_t blocks = d.stitches.empty() ? 0 : d.colorChangeCount() + 1;
    EXPECT_EQ(d.threads.size(), blocks) << len;
    ++(d.stitches.empty() ? withoutStitches : withStitches);
  }
  EXPECT_GT(withoutStitches, 0u);
  EXPECT_GT(withStitches, 0u);
}

TEST(PcsRoundTrip, PositionsColorsAndBlocksComeBack) {
  EmbDesign source = makeDesign({jump(-150, -120), st(33, 7), st(-21, 15), st(0, 250), st(17, -3),
                                 colorChange(5, 5), st(40, 0), st(0, -40), colorChange(-60, 0), st(-1, -1)},
                                {rgbOf(255, 0, 0), rgbOf(12, 34, 56), rgbOf(255, 255, 255)});
  source.centreDesign();
  const ByteBuffer b = writeOk(EmbDesign(source));
  EXPECT_EQ(b[1], 2);
  EmbDesign d;
  d.path = "design.pcs";
  ASSERT_EQ(readImage(b, d), ReadResult::Ok);
  ASSERT_EQ(d.stitches.size(), source.stitches.size());
  EXPECT_EQ(relativePositions(d), relativePositions(source));
  for (std::size_t i = 0; i < d.stitches.size(); ++i)
    EXPECT_EQ(d.stitches[i].isColorChange(), source.stitches[i].isColorChange()) << i;
  // The 25 mm move of the first block is taken for a jump; the short ones are stitches.
  EXPECT_TRUE(d.stitches[3].isJump());
  EXPECT_FALSE(d.stitches[2].isJump());
  ASSERT_EQ(d.threads.size(), 3u);
  EXPECT_EQ(d.threads[0].colorName, "Red");
  EXPECT_EQ(d.threads[1].rgb, rgbOf(12, 34, 56));
  EXPECT_EQ(d.threads[2].colorName, "White");
}

TEST(PcsRoundTrip, ADesignBeginningWithAStitchKeepsIt) {
  // The reader takes the first record for the move to the first needle position.
  const ByteBuffer b = writeOk(makeDesign({st(30, 0), st(0, 30), st(-30, 0)}));
  EXPECT_EQ(b[68], 4);
  EmbDesign d;
  ASSERT_EQ(readImage(b, d), ReadResult::Ok);
  EXPECT_EQ(test::sewnPoints(d), (std::vector<Point>{{0, 0}, {0, 30}, {-30, 30}}));
}

TEST(PcsRoundTrip, LongRunsOfOddMovesDoNotDrift) {
  // Every odd move is half a file unit off its true length; 2000 of them in one direction
  // would add up to more than 0.1 mm if the positions were summed from the scaled moves.
  EmbDesign source = makeDesign({jump(-700, -450)});
  for (int i = 0; i < 2000; ++i) source.stitches.push_back(st(i % 2 ? 1 : -1 + 2 * (i % 4 == 0), 1));
  for (int i = 0; i < 200; ++i) source.stitches.push_back(st(7, -5));
  source.centreDesign();
  const ByteBuffer b = writeOk(EmbDesign(source));
  EXPECT_EQ(b[1], 3);
  EmbDesign d;
  ASSERT_EQ(readImage(b, d), ReadResult::Ok);
  EXPECT_EQ(relativePositions(d), relativePositions(source));
}

// ---- Real files -------------------------------------------------------------------------

TEST(PcsCorpus, EveryFileLoadsAndFollowsTheIndependentReading) {
  const auto all = test::pfaff::files("pcs");
  if (all.empty()) GTEST_SKIP() << "no corpus at " << test::pfaff::corpus();
  for (const auto& file : all) {
    SCOPED_TRACE(file.filename().string());
    EmbDesign d;
    d.path = file.string();
    ASSERT_EQ(readImage(test::pfaff::bytesOf(file), d), ReadResult::Ok);
    ASSERT_FALSE(d.stitches.empty());
    EXPECT_EQ(d.threads.size(), d.colorChangeCount() + 1);
    const auto peer = test::pfaff::peerOf(file);
    if (!peer) continue;
    EXPECT_EQ(test::pfaff::blockCount(d.stitches), test::pfaff::blockCount(peer->records));
    // Both scale the fixed-point positions, each rounding its own way: within one unit.
    EXPECT_GE(test::pfaff::agreement(test::pfaff::path(d.stitches), test::pfaff::path(peer->records), 1),
              0.998);
  }
}

TEST(PcsCorpus, ColorRecordsIndexTheColorTable) {
  // The star's colour records name table entries 8 and 15: the standard red and white.
  const auto file = test::pfaff::corpus() / "pcs" / "Star.PCS";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no corpus file " << file;
  EmbDesign d;
  ASSERT_EQ(readImage(test::pfaff::bytesOf(file), d), ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 2u);
  EXPECT_EQ(d.threads[0].displayName, "Red");
  EXPECT_EQ(d.threads[1].displayName, "White");
}

}  // namespace
}  // namespace lh
