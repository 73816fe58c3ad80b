// The PES writer: version and hoop choice of both generations, header bytes, CSewSeg segments,
// colour logs, tie-offs and closing stitches, capacities, and round trips through the reader.
#include "formats/pes_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "formats/pec.h"
#include "formats/pes_reader.h"
#include "tests/support/design_builder.h"
#include "threads/pec_palette.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::st;

constexpr PesWriteOptions kOlder{false, true, true, 6};
constexpr PesWriteOptions kNewer{true, true, true, 6};

int u16(const ByteBuffer& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t u32(const ByteBuffer& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24));
}
std::string text(const ByteBuffer& b, std::size_t at, std::size_t n) { return std::string(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n)); }

// An outline of w x h (0.1 mm) in stitches of at most 100, one block per side when `blocks`.
EmbDesign box(int w, int h, bool blocks = false) {
  EmbDesign d;
  const int sides[4][2] = {{w, 0}, {0, h}, {-w, 0}, {0, -h}};
  for (int s = 0; s < 4; ++s) {
    if (blocks && s > 0) d.stitches.push_back(colorChange());
    const int len = std::max(std::abs(sides[s][0]), std::abs(sides[s][1]));
    const int n = (len + 99) / 100;
    for (int k = 0; k < n; ++k) {
      const int x = sides[s][0] * (k + 1) / n - sides[s][0] * k / n;
      const int y = sides[s][1] * (k + 1) / n - sides[s][1] * k / n;
      d.stitches.push_back(st(x, y));
    }
  }
  const int colors[] = {5, 20, 29, 2};
  for (int b = 0; b < (blocks ? 4 : 1); ++b) {
    ThreadColor t;
    t.rgb = pecColor(colors[b]);
    t.displayName = std::string(pecColorName(colors[b]));
    d.threads.push_back(t);
  }
  d.centreDesign();
  return d;
}

ByteBuffer write(EmbDesign& d, const PesWriteOptions& o) {
  ByteBuffer out;
  EXPECT_EQ(writePes(d, o, out), PesResult::Written);
  return out;
}

EmbDesign readBack(const ByteBuffer& file) {
  EmbDesign d;
  DesignCodec codec;
  EXPECT_EQ(readPes(codec, d, file), ReadResult::Ok);
  return d;
}

struct OlderCase {
  int w, h;  // mm
  std::string magic;
  std::vector<std::pair<std::size_t, int>> fields;
  int rotation;
};

TEST(PesWriterOlder, VersionByDesignSize) {
  const OlderCase cases[] = {
      {80, 90, "#PES0001", {{12, 0}}, 0},
      {120, 170, "#PES0001", {{12, 1}}, 0},
      {170, 120, "#PES0020", {{12, 180}, {14, 130}}, 1},
      {150, 250, "#PES0040", {{23, 160}, {25, 260}, {27, 0}}, 0},
      {250, 150, "#PES0040", {{23, 260}, {25, 160}, {27, 1}}, 1},
      {400, 400, "#PES0040", {{23, 260}, {25, 160}, {27, 1}}, 1},
  };
  for (const OlderCase& c : cases) {
    EmbDesign d = box(c.w * 10, c.h * 10);
    const ByteBuffer f = write(d, kOlder);
    ASSERT_GT(f.size(), 600u);
    EXPECT_EQ(text(f, 0, 8), c.magic) << c.w << "x" << c.h;
    for (const auto& [at, value] : c.fields) {
      const int got = at == 27 ? f[at] : u16(f, at);
      EXPECT_EQ(got, value) << c.w << "x" << c.h << " @" << at;
    }
    EXPECT_EQ(d.hoopRotation, c.rotation);
    // The PEC block sits where the header says, and its stitches read back upright (the
    // 400 mm design also needs its first move split beyond the 12-bit range).
    EXPECT_EQ(text(f, u32(f, 8), 3), "LA:");
    const EmbDesign back = readBack(f);
    EXPECT_EQ(back.width(), d.width()) << c.w << "x" << c.h;
    EXPECT_EQ(back.height(), d.height()) << c.w << "x" << c.h;
  }
}

struct NewerCase {
  int w, h;
  bool pes6;
  std::string magic;
  int hoopW, hoopH, turn;
};

TEST(PesWriterNewer, HoopTable) {
  const NewerCase cases[] = {
      {90, 90, true, "#PES0050", 100, 100, 0},     {120, 170, true, "#PES0050", 130, 180, 0},
      {170, 120, true, "#PES0050", 180, 130, 1},   {150, 250, true, "#PES0050", 160, 260, 0},
      {250, 150, true, "#PES0050", 260, 160, 1},   {170, 290, true, "#PES0060", 180, 300, 0},
      {290, 170, true, "#PES0060", 300, 180, 1},   {290, 190, true, "#PES0055", 300, 200, 0},
      {250, 350, true, "#PES0055", 200, 300, -1},  {170, 290, false, "#PES0055", 200, 300, -1},
  };
  for (const NewerCase& c : cases) {
    EmbDesign d = box(c.w * 10, c.h * 10);
    PesWriteOptions o = kNewer;
    o.version6 = c.pes6;
    const ByteBuffer f = write(d, o);
    ASSERT_GT(f.size(), 600u);
    EXPECT_EQ(text(f, 0, 8), c.magic) << c.w << "x" << c.h;
    EXPECT_EQ(text(f, 14, 2), c.magic == "#PES0060" ? "02" : c.magic == "#PES0055" ? "10" : "01");
    EXPECT_EQ(d.hoopWidth, c.hoopW);
    EXPECT_EQ(d.hoopHeight, c.hoopH);
    EXPECT_EQ(d.hoopRotation, c.turn) << c.w << "x" << c.h;
    const EmbDesign back = readBack(f);
    EXPECT_EQ(back.hoopWidth, c.hoopW);
    EXPECT_EQ(back.hoopHeight, c.hoopH);
    EXPECT_EQ(back.width(), d.width()) << c.w << "x" << c.h;
    EXPECT_EQ(back.height(), d.height());
    EXPECT_EQ(text(f, u32(f, 8), 3), "LA:");
    // pes6 appends two zero bytes after the colour list
    EXPECT_EQ(f[f.size() - 1] == 0 && f[f.size() - 2] == 0, c.pes6);
  }
}

TEST(PesWriterNewer, Version6HoopFields) {
  EmbDesign d = box(1700, 2900);
  const ByteBuffer f = write(d, kNewer);
  // five empty texts at 16..20, then 0, 0, W, H, 0, 230, 330, W, H, 100
  const int expected[] = {0, 0, 180, 300, 0, 230, 330, 180, 300, 100};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(u16(f, 21 + 2 * static_cast<std::size_t>(i)), expected[i]) << i;
}

TEST(PesWriterNewer, CountedTexts) {
  EmbDesign d = box(500, 500);
  d.name = "Rose";
  d.author = std::string(300, 'a');
  const ByteBuffer f = write(d, kNewer);
  EXPECT_EQ(f[16], 4);
  EXPECT_EQ(text(f, 17, 4), "Rose");
  EXPECT_EQ(f[21], 0);     // category
  EXPECT_EQ(f[22], 255);   // author, cut to 255 bytes
  EXPECT_EQ(f[22 + 256], 0);  // keywords follow the 255 bytes
  const EmbDesign back = readBack(f);
  EXPECT_EQ(back.name, "Rose");
  EXPECT_EQ(back.author, std::string(255, 'a'));
}

// The first CSewSeg segment starts right after "CSewSeg" of the header.
std::size_t sewSegStart(const ByteBuffer& f) {
  const char key[] = "CSewSeg";
  const auto it = std::search(f.begin(), f.end(), key, key + 7);
  return static_cast<std::size_t>(it - f.begin()) + 7;
}

struct SegmentView {
  int type, color, count;
  std::vector<Point> points;
};

std::vector<SegmentView> segments(const ByteBuffer& f, int n) {
  std::vector<SegmentView> out;
  std::size_t at = sewSegStart(f);
  for (int i = 0; i < n; ++i) {
    if (i > 0) {
      EXPECT_EQ(u16(f, at), 0x8003);
      at += 2;
    }
    SegmentView s{static_cast<std::int16_t>(u16(f, at)), u16(f, at + 2), u16(f, at + 4), {}};
    at += 6;
    for (int k = 0; k < s.count; ++k, at += 4)
      s.points.push_back({static_cast<std::int16_t>(u16(f, at)), static_cast<std::int16_t>(u16(f, at + 2))});
    out.push_back(s);
  }
  return out;
}

TEST(PesWriterSegments, OneBlockOfStitches) {
  {
    EmbDesign d = test::makeDesign({st(10, 0), st(10, 0), st(0, 10), st(-20, 0)}, {pecColor(20)});
    d.centreDesign();
    const ByteBuffer f = write(d, kOlder);
    EXPECT_EQ(u16(f, 89), 1);
    const auto s = segments(f, 1);
    EXPECT_EQ(s[0].type, 0);
    EXPECT_EQ(s[0].color, 20);
    EXPECT_EQ(s[0].count, 5);  // the centring jump and four stitches
  }
  {
    EmbDesign d = test::makeDesign({st(10, 0), st(10, 0), st(0, 10), st(-20, 0)}, {pecColor(20)});
    d.centreDesign();
    const ByteBuffer f = write(d, kNewer);
    const std::size_t headerEnd = sewSegStart(f);
    EXPECT_EQ(u16(f, headerEnd - 15), 2);
    const auto s = segments(f, 2);
    EXPECT_EQ(s[0].type, 0);
    EXPECT_EQ(s[0].count, 1);
    EXPECT_EQ(s[0].points[0], (Point{0, 0}));
    EXPECT_EQ(s[1].type, 0);
    EXPECT_EQ(s[1].points[0], (Point{0, 0}));
    EXPECT_EQ(s[1].points[1], (Point{10, 0}));
    EXPECT_EQ(s[1].count, 5);
  }
}

TEST(PesWriterSegments, ColorLogs) {
  EmbDesign d = test::makeDesign({st(10, 0), st(10, 0), st(10, 0), colorChange(), st(0, 10), st(0, 10), st(0, 10)},
                                 {pecColor(20), pecColor(5)});
  d.centreDesign();
  EmbDesign older(d);
  const ByteBuffer f = write(d, kNewer);
  const std::size_t pec = u32(f, 8);
  const ByteBuffer log(f.begin() + static_cast<std::ptrdiff_t>(pec - 34), f.begin() + static_cast<std::ptrdiff_t>(pec));
  EXPECT_EQ(u16(log, 0), 2);
  EXPECT_EQ(u16(log, 2), 0);   // e(0)
  EXPECT_EQ(u16(log, 6), 3);   // the colour-change jump opens the third segment
  EXPECT_EQ(u16(log, 4), 0);   // needles
  EXPECT_EQ(u16(log, 8), 1);
  EXPECT_EQ(log[22], 0);
  EXPECT_EQ(log[30], 1);
  for (std::size_t i : {10u, 20u, 23u, 29u, 31u, 33u}) EXPECT_EQ(log[i], 0) << i;

  const ByteBuffer g = write(older, kOlder);
  const std::size_t pecOld = u32(g, 8);
  const ByteBuffer oldLog(g.begin() + static_cast<std::ptrdiff_t>(pecOld - 14), g.begin() + static_cast<std::ptrdiff_t>(pecOld));
  EXPECT_EQ(u16(oldLog, 0), 2);
  EXPECT_EQ(u16(oldLog, 2), 0);
  EXPECT_EQ(u16(oldLog, 4), 20);
  EXPECT_EQ(u16(oldLog, 6), 1);  // a colour change on a stitch: the counter before it rises
  EXPECT_EQ(u16(oldLog, 8), 5);
  EXPECT_EQ(u16(g, 89), 2);
}

TEST(PesWriterOlder, LongMovesBecomeChainsOfJumps) {
  EmbDesign d = test::makeDesign({st(10, 0), st(10, 0), st(1234, 0), st(10, 0), st(10, 0), st(10, 0)}, {pecColor(20)});
  d.centreDesign();
  PesWriteOptions o = kOlder;
  o.ensureTrims = false;
  write(d, o);
  std::vector<int> chain;
  for (const Stitch& s : d.stitches)
    if (s.isJump()) chain.push_back(s.dx);
  const std::vector<int> cut = {500, 500, 234};
  EXPECT_NE(std::search(chain.begin(), chain.end(), cut.begin(), cut.end()), chain.end());
}

struct TrimCase {
  const char* name;
  std::vector<Stitch> records;
  std::size_t inserted;
};

TEST(EnsureTrims, LengthSix) {
  const TrimCase cases[] = {
      {"run of 1 before a jump of 61", {st(20, 0), st(3, 0), jump(61, 0), st(3, 0)}, 2},
      {"jump of 60", {st(20, 0), st(3, 0), jump(60, 0), st(3, 0)}, 0},
      {"jump after a colour change", {st(3, 0), colorChange(), jump(100, 0), st(3, 0)}, 0},
      {"three short stitches already", {st(2, 0), st(2, 0), st(3, 4), jump(100, 0)}, 0},
      {"long stitches only", {st(20, 0), st(20, 0), jump(0, -100)}, 3},
      {"leading jump", {jump(100, 0), st(3, 0)}, 0},
      {"rounded length 60.5 is 61", {st(20, 0), st(2, 0), st(2, 0), jump(60, 8)}, 1},
  };
  for (const TrimCase& c : cases) {
    EmbDesign d;
    d.stitches = c.records;
    ensureTrims(d, 6);
    EXPECT_EQ(d.stitches.size() - c.records.size(), c.inserted) << c.name;
    // inserted stitches are zero moves right before the jump
    for (std::size_t i = 0; i < c.inserted; ++i) {
      const auto j = std::find_if(d.stitches.begin(), d.stitches.end(), [](const Stitch& s) { return s.isJump() && !s.isZeroMove(); });
      ASSERT_NE(j, d.stitches.end());
    }
  }
}

TEST(PesWriterNewer, ClosingStitches) {
  PesWriteOptions o = kNewer;
  o.ensureTrims = false;
  EmbDesign three = test::makeDesign({st(10, 0), st(10, 0), st(10, 0)}, {pecColor(20)});
  three.centreDesign();
  write(three, o);
  EXPECT_FALSE(three.stitches.back().isZeroMove());

  EmbDesign afterJump = test::makeDesign({st(10, 0), st(10, 0), st(10, 0), jump(100, 0), st(10, 0)}, {pecColor(20)});
  afterJump.centreDesign();
  write(afterJump, o);
  ASSERT_GE(afterJump.stitches.size(), 3u);
  EXPECT_TRUE(afterJump.stitches.back().isZeroMove());
  EXPECT_FALSE(afterJump.stitches[afterJump.stitches.size() - 2].isZeroMove());
}

TEST(PesWriter, TheDesignIsLeftChanged) {
  EmbDesign d = box(600, 400, true);
  d.showJumps = true;
  EmbDesign d5(d);
  write(d, kOlder);
  EXPECT_FALSE(d.showJumps);
  EXPECT_EQ(d.threads[0].chartCode, 5);
  EXPECT_EQ(d.threads[1].chartCode, 20);
  EXPECT_EQ(d.threads[2].chartCode, 29);
  EXPECT_LE(std::abs(d.maxX + d.minX), 1);
  EXPECT_LE(std::abs(d.maxY + d.minY), 1);

  d5.showJumps = true;
  write(d5, kNewer);
  EXPECT_FALSE(d5.showJumps);
  for (const ThreadColor& t : d5.threads) EXPECT_EQ(t.chartCode, t.fileThreadIndex);
  EXPECT_EQ(d5.fileThreads.size(), 4u);
  EXPECT_LE(std::abs(d5.maxX + d5.minX), 1);
}

TEST(PesWriter, ResultsWithoutOutput) {
  EmbDesign empty;
  ByteBuffer out;
  EXPECT_EQ(writePes(empty, kOlder, out), PesResult::Refused);
  EXPECT_EQ(writePes(empty, kNewer, out), PesResult::Refused);
  for (const PesWriteOptions& o : {kOlder, kNewer}) {
    EmbDesign noColors = test::makeDesign({st(10, 0), st(10, 0)});
    noColors.threads.clear();
    EXPECT_EQ(writePes(noColors, o, out), PesResult::Written);
    EXPECT_TRUE(out.empty());
  }
}

// Capacities: 127 blocks for version 5 / 6, 256 for the older writer; beyond that no file.
TEST(PesWriter, BlockCapacities) {
  auto blocks = [](int n) {
    EmbDesign d;
    for (int b = 0; b < n; ++b) {
      if (b > 0) d.stitches.push_back(colorChange());
      d.stitches.push_back(st(10, b % 2 ? 5 : -5));
      d.stitches.push_back(st(10, 0));
      ThreadColor t;
      t.rgb = pecColor(1 + b % 61);
      d.threads.push_back(t);
    }
    d.centreDesign();
    return d;
  };
  ByteBuffer out;
  EmbDesign v5ok = blocks(127), v5over = blocks(128), oldOk = blocks(256), oldOver = blocks(257);
  EXPECT_EQ(writePes(v5ok, kNewer, out), PesResult::Written);
  EXPECT_EQ(readBack(out).threads.size(), 127u);
  EXPECT_EQ(writePes(v5over, kNewer, out), PesResult::Refused);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(writePes(oldOk, kOlder, out), PesResult::Written);
  const EmbDesign back = readBack(out);
  EXPECT_EQ(back.threads.size(), 256u);
  EXPECT_EQ(back.colorChangeCount(), 255u);
  EXPECT_EQ(writePes(oldOver, kOlder, out), PesResult::Refused);
}

TEST(PesWriter, LongRunsOfStitchesStayWithinInt16Counts) {
  EmbDesign d;
  for (int i = 0; i < 40000; ++i) d.stitches.push_back(st(i % 2 ? 3 : -3, i % 400 == 0 ? 2 : 0));
  ThreadColor t;
  t.rgb = pecColor(20);
  d.threads.push_back(t);
  d.centreDesign();
  const int records = static_cast<int>(d.stitches.size());
  const ByteBuffer f = write(d, kOlder);
  EXPECT_EQ(u16(f, 89), 2);
  const auto s = segments(f, 2);
  EXPECT_EQ(s[0].count, 32767);
  EXPECT_EQ(s[1].type, 0);
  EXPECT_EQ(s[1].count, records - 32767 + 1);  // continues from the last point
}

// Sewn positions without the in-place repeats that tie-offs and closing stitches add.
std::vector<Point> distinctSewn(const EmbDesign& d) {
  std::vector<Point> p = test::sewnPoints(d);
  p.erase(std::unique(p.begin(), p.end()), p.end());
  return p;
}

EmbDesign roundTripDesign(int scale) {
  EmbDesign d;
  auto add = [&](Stitch s) { d.stitches.push_back(s); };
  for (int b = 0; b < 3; ++b) {
    if (b > 0) add(colorChange());
    add(jump(150 * scale, 40 * scale));
    for (int k = 0; k < 60; ++k) add(st(k % 2 ? 35 * scale : -30 * scale, 7));
    add(jump(-200 * scale, 300 * scale));
    for (int k = 0; k < 30; ++k) add(st(k % 3 - 1, k % 2 ? 60 : -50));
  }
  for (int c : {20, 5, 2}) {
    ThreadColor t;
    t.rgb = pecColor(c);
    t.displayName = std::string(pecColorName(c));
    d.threads.push_back(t);
  }
  d.centreDesign();
  return d;
}

TEST(PesWriter, RoundTripsKeepSewnPositionsAndColors) {
  for (int scale : {1, 3}) {
    for (const PesWriteOptions& o : {kOlder, kNewer, PesWriteOptions{true, false, false, 6}}) {
      EmbDesign original = roundTripDesign(scale);
      EmbDesign work(original);
      const ByteBuffer f = write(work, o);
      const EmbDesign back = readBack(f);
      EXPECT_EQ(distinctSewn(back), distinctSewn(original)) << "scale " << scale << " pes5 " << o.version5;
      ASSERT_EQ(back.threads.size(), original.threads.size());
      for (std::size_t i = 0; i < back.threads.size(); ++i) EXPECT_EQ(back.threads[i].rgb, original.threads[i].rgb);
      EXPECT_EQ(back.colorChangeCount(), 2u);
    }
  }
}

}  // namespace
}  // namespace lh
