// The PHC, PHB and PHD reader on card images built byte by byte.
#include "formats/phc.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

struct Segment {
  int mirror = 0, originX = 0, originY = 0;
  int x1 = -10, x2 = 10, y1 = -10, y2 = 10;
  int angle = 0, xStep = 0, yStep = 0;
  std::vector<std::uint8_t> stitches;
  bool marker = true;
};

void put16(ByteBuffer& b, std::size_t at, int v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

constexpr std::size_t kSectionStart = 0x200;

ByteBuffer card(char kind, const std::string& version, const std::vector<std::uint8_t>& colors,
                const std::vector<Segment>& segments) {
  const bool phb = kind == 'B';
  ByteBuffer b(kSectionStart, 0);
  std::memcpy(b.data(), "#PH", 3);
  b[3] = static_cast<std::uint8_t>(kind);
  std::memcpy(b.data() + 4, version.data(), version.size());
  const std::size_t colorsAt = phb ? 0x71 : 0x4D;
  put16(b, colorsAt, static_cast<int>(colors.size()));
  for (std::size_t i = 0; i < colors.size(); ++i) b[colorsAt + 2 + i] = colors[i];
  ByteWriter w;
  w.bytes(b);
  w.u32leAt(phb ? 0x54 : 0x30, static_cast<std::uint32_t>(kSectionStart - (phb ? 0x52 : 0x2E)));
  const int v = std::stoi(version);
  for (const Segment& s : segments) {
    ByteBuffer h(32 + 33, 0);  // section header (H = 30), then G = 24 bytes up to the marker
    put16(h, 0, 30);
    h[10] = static_cast<std::uint8_t>(s.mirror);
    put16(h, 13, s.originX);
    put16(h, 15, s.originY);
    put16(h, 18, s.x1);
    put16(h, 20, s.x2);
    put16(h, 22, s.y1);
    put16(h, 24, s.y2);
    put16(h, 28, s.angle);
    put16(h, 32, 24);
    put16(h, 32 + 20, s.xStep);
    put16(h, 32 + 22, s.yStep);
    w.bytes(h);
    w.u8(s.marker ? 0x3C : 0x11);
    w.u8(s.marker ? 0x2D : 0x11);
    w.fill(0, 3);
    w.u8(2);
    w.text("ab");
    const std::size_t extra = (!phb && v >= 4) ? 2 : 0;
    w.u32le(static_cast<std::uint32_t>(4 + 5 + extra + 2 + s.stitches.size()));
    w.fill(0, 4 + 5 + extra);
    w.u8(0xB0);  // a pair the reader steps over
    w.u8(0x01);
    w.bytes(s.stitches);
  }
  w.fill(0, 100);
  return w.take();
}

// Absolute positions of the records that are not jumps.
std::vector<Point> needlePositions(const EmbDesign& d) {
  std::vector<Point> out;
  int x = 0, y = 0;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (!s.isJump()) out.push_back({x, y});
  }
  const Point o = out.empty() ? Point{} : out.front();
  for (Point& p : out) p = {p.x - o.x, p.y - o.y};
  return out;
}

ReadResult read(const ByteBuffer& f, EmbDesign& d) {
  DesignCodec codec;
  return readPhc(codec, d, f);
}

// An L of two stitches after a positioning jump that the reader drops.
const std::vector<std::uint8_t> kEll = {0x90, 0x00, 0x90, 0x00, 0x0A, 0x00, 0x00, 0x0A};

TEST(PhcReader, OneSegment) {
  EmbDesign d;
  ASSERT_EQ(read(card('C', "0001", {20}, {{.stitches = kEll}}), d), ReadResult::Ok);
  EXPECT_EQ(d.pesVersion, 1);
  ASSERT_EQ(d.threads.size(), 1u);
  EXPECT_EQ(d.threads[0].displayName, "Black");
  EXPECT_TRUE(d.stitches.front().isJump());
  EXPECT_EQ(needlePositions(d), (std::vector<Point>{{0, 0}, {0, -10}}));
}

TEST(PhcReader, SegmentsArePlacedByTheirOriginsAndChangeColor) {
  Segment a{.stitches = kEll};
  Segment b{.originX = 100, .originY = -50, .stitches = kEll};
  EmbDesign d;
  ASSERT_EQ(read(card('C', "0001", {20, 5}, {a, b}), d), ReadResult::Ok);
  EXPECT_EQ(d.colorChangeCount(), 1u);
  const std::vector<Point> p = needlePositions(d);
  ASSERT_EQ(p.size(), 4u);
  // The second L sits 100 to the right and 50 higher (origins are stored Y down); its box
  // includes the segment start that the kept colour-change record marks.
  EXPECT_EQ(p[3].x - p[1].x, 105);
  EXPECT_EQ(p[3].y - p[1].y, 50);
}

struct TransformCase {
  const char* name;
  std::string version;
  Segment segment;
  Point last;  // the move of the last stitch
};

TEST(PhcReader, MirrorScaleAndTurn) {
  const std::vector<std::uint8_t> line = {0x14, 0x00, 0x14, 0x00};  // two stitches (20, 0)
  const TransformCase cases[] = {
      {"plain", "0001", {.stitches = line}, {20, 0}},
      {"mirror", "0001", {.mirror = 1, .stitches = line}, {-20, 0}},
      {"mirror bit 0x20 from version 7", "0007", {.mirror = 0x21, .stitches = line}, {-20, 0}},
      {"bit 0x20 ignored before version 7", "0006", {.mirror = 0x21, .stitches = line}, {20, 0}},
      {"scale x by 2", "0001", {.xStep = 50, .stitches = line}, {40, 0}},
      {"turn 90", "0001", {.angle = 90, .stitches = line}, {0, -20}},
  };
  for (const TransformCase& c : cases) {
    EmbDesign d;
    ASSERT_EQ(read(card('C', c.version, {20}, {c.segment}), d), ReadResult::Ok) << c.name;
    ASSERT_GE(d.stitches.size(), 2u) << c.name;
    const Stitch& last = d.stitches[d.stitches.size() - 2];  // before the closing jump
    EXPECT_EQ(last.dx, c.last.x) << c.name;
    EXPECT_EQ(last.dy, c.last.y) << c.name;
  }
}

TEST(PhcReader, RemaindersAreCarried) {
  // Ten stitches of 1 scaled by 1.5: the truncated moves alternate so the run still ends at 15.
  std::vector<std::uint8_t> ones;
  for (int i = 0; i < 10; ++i) ones.insert(ones.end(), {0x01, 0x00});
  EmbDesign d;
  ASSERT_EQ(read(card('C', "0001", {20}, {{.xStep = 25, .stitches = ones}}), d), ReadResult::Ok);
  const std::vector<Point> p = needlePositions(d);
  EXPECT_EQ(p.back().x - p.front().x, 15 - 1);  // the first stitch's own move is not counted
}

TEST(PhcReader, PhbAndVersion4Layouts) {
  EmbDesign phb, phd;
  ASSERT_EQ(read(card('B', "0004", {20, 5}, {{.stitches = kEll}}), phb), ReadResult::Ok);
  EXPECT_EQ(phb.threads.size(), 2u);
  EXPECT_EQ(needlePositions(phb), (std::vector<Point>{{0, 0}, {0, -10}}));
  ASSERT_EQ(read(card('D', "0004", {20}, {{.stitches = kEll}}), phd), ReadResult::Ok);
  EXPECT_EQ(needlePositions(phd), (std::vector<Point>{{0, 0}, {0, -10}}));
}

TEST(PhcReader, FailuresAndEarlyEnds) {
  EmbDesign d;
  DesignCodec codec;
  EXPECT_EQ(readPhc(codec, d, ByteSpan{}), ReadResult::Failed);
  EXPECT_EQ(read(card('C', "0001", std::vector<std::uint8_t>(251, 20), {{.stitches = kEll}}), d), ReadResult::Failed);
  ASSERT_EQ(read(card('C', "0001", std::vector<std::uint8_t>(250, 20), {{.stitches = kEll}}), d), ReadResult::Ok);

  Segment missing{.stitches = kEll, .marker = false};
  ASSERT_EQ(read(card('C', "0001", {20, 5}, {{.stitches = kEll}, missing}), d), ReadResult::Ok);
  EXPECT_EQ(d.colorChangeCount(), 0u);  // the second section lacks its marker
  EXPECT_EQ(needlePositions(d).size(), 2u);

  ByteBuffer cut = card('C', "0001", {20}, {{.stitches = kEll}});
  cut.resize(cut.size() - 100);  // the section now runs into the last 90 bytes
  ASSERT_EQ(read(cut, d), ReadResult::Ok);
  EXPECT_TRUE(d.stitches.empty());
}

TEST(PhcReader, SectionsThatPointBackwardsEndTheReading) {
  ByteBuffer f = card('C', "0001", {20}, {{.stitches = kEll}});
  // segment length of -1000: the next section would start before this one
  const std::size_t k = kSectionStart + 65 + 8;
  f[k] = 0x18;
  f[k + 1] = 0xFC;
  f[k + 2] = 0xFF;
  f[k + 3] = 0xFF;
  EmbDesign d;
  EXPECT_EQ(read(f, d), ReadResult::Ok);
}

}  // namespace
}  // namespace lh
