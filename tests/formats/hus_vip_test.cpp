#include "formats/hus_vip.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "design/design_limits.h"
#include "formats/hus_codec.h"
#include "tests/support/design_builder.h"
#include "threads/format_palettes.h"

namespace lh {

void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

using test::colorChange;
using test::jump;
using test::st;

class RecordingMessages final : public MessageSink {
 public:
  void showMessage(std::string_view text, std::string_view) override { texts.emplace_back(text); }
  std::vector<std::string> texts;
};

struct Streams {
  ByteBuffer commands, xs, ys;
};

ByteBuffer compressed(const ByteBuffer& stream) {
  HusCodec codec;
  ByteBuffer out;
  codec.compress(HusCodec::kWriteLevel, stream, out);
  return out;
}

// A HUS file image: header, 16-bit colour indexes and the three streams compressed.
ByteBuffer husFile(const std::vector<std::uint16_t>& colors, const Streams& s, std::uint32_t records = 0,
                   std::uint32_t colorCount = 0) {
  const ByteBuffer c = compressed(s.commands), x = compressed(s.xs), y = compressed(s.ys);
  ByteWriter w;
  w.bytes(ByteBuffer{0x5B, 0xAF, 0xC8, 0x00});
  w.u32le(records ? records : static_cast<std::uint32_t>(s.commands.size()));
  w.u32le(colorCount ? colorCount : static_cast<std::uint32_t>(colors.size()));
  w.fill(0, 8);
  const std::size_t at = 42 + 2 * colors.size();
  w.u32le(static_cast<std::uint32_t>(at));
  w.u32le(static_cast<std::uint32_t>(at + c.size()));
  w.u32le(static_cast<std::uint32_t>(at + c.size() + x.size()));
  w.fill(0, 10);
  for (std::uint16_t k : colors) w.u16le(k);
  w.bytes(c);
  w.bytes(x);
  w.bytes(y);
  return w.take();
}

// Records from (command, dx, dy) triples.
Streams streams(std::initializer_list<std::array<int, 3>> records) {
  Streams s;
  for (const auto& r : records) {
    s.commands.push_back(static_cast<std::uint8_t>(r[0]));
    s.xs.push_back(static_cast<std::uint8_t>(r[1]));
    s.ys.push_back(static_cast<std::uint8_t>(r[2]));
  }
  return s;
}

// The decoded streams of a HUS or VIP file image.
Streams decodeStreams(const ByteBuffer& file) {
  ByteReader r(file, 20);
  const std::size_t c = r.u32le(), x = r.u32le(), y = r.u32le();
  Streams s;
  HusCodec codec;
  EXPECT_EQ(codec.expand(4, ByteSpan(file).subspan(c, x - c), s.commands, 1 << 20), HusCodec::Status::Ok);
  EXPECT_EQ(codec.expand(4, ByteSpan(file).subspan(x, y - x), s.xs, 1 << 20), HusCodec::Status::Ok);
  EXPECT_EQ(codec.expand(4, ByteSpan(file).subspan(y), s.ys, 1 << 20), HusCodec::Status::Ok);
  return s;
}

ByteBuffer cut(ByteBuffer b, std::size_t n) {
  b.resize(n);
  return b;
}

std::uint32_t u32At(const ByteBuffer& b, std::size_t at) { return ByteReader(b, at).u32le(); }

EmbDesign readHusBytes(const ByteBuffer& bytes, ReadResult* result = nullptr) {
  DesignCodec codec;
  EmbDesign d;
  const ReadResult r = readHus(codec, d, bytes);
  if (result) *result = r;
  return d;
}

EmbDesign readVipBytes(const ByteBuffer& bytes) {
  DesignCodec codec;
  EmbDesign d;
  EXPECT_NE(readVip(codec, d, bytes), ReadResult::Failed);
  return d;
}

ByteBuffer writeHusBytes(EmbDesign d) {
  DesignCodec codec;
  auto file = writeHus(codec, d);
  EXPECT_TRUE(file.has_value());
  return file.value_or(ByteBuffer{});
}

ByteBuffer writeVipBytes(EmbDesign d) {
  DesignCodec codec;
  auto file = writeVip(codec, d);
  EXPECT_TRUE(file.has_value());
  return file.value_or(ByteBuffer{});
}

// ---- readHus ------------------------------------------------------------------------

TEST(ReadHus, ColorChangesBeyondTheColorTableAreDropped) {
  const EmbDesign d = readHusBytes(husFile(
      {1, 2}, streams({{0x80, 10, 0}, {0x84, 0, 0}, {0x80, 10, 0}, {0x84, 0, 0}, {0x80, 10, 0}, {0x84, 0, 0}, {0x80, 5, 5}})));
  EXPECT_EQ(d.threads.size(), 2u);
  EXPECT_EQ(d.colorChangeCount(), 1u);
  EXPECT_EQ(test::sewnPoints(d).size(), 6u);  // the dropped ones are plain records
}

TEST(ReadHus, CommandBitsOneAndThreeMakeTheNextRecordAJump) {
  struct Case {
    int command;
    std::vector<Point> sewn;
  };
  // A jump swallows the stitch after it (written files put a zero-length one there).
  const std::vector<Point> nextIsJump = {{0, 0}, {10, 0}, {10, 30}, {25, 50}};
  const Case cases[] = {
      {0x80, {{0, 0}, {10, 0}, {10, 30}, {10, 50}, {15, 50}, {25, 50}}},
      {0x82, nextIsJump},
      {0x88, nextIsJump},
      {0x8A, nextIsJump},
      {0x81, {{0, 0}, {10, 0}, {15, 50}, {25, 50}}},
  };
  for (const Case& c : cases) {
    const EmbDesign d = readHusBytes(
        husFile({1}, streams({{0x80, 10, 0}, {0x80, 10, 0}, {c.command, 0, 30}, {0x80, 0, 20}, {0x80, 5, 0}, {0x80, 10, 0}})));
    EXPECT_EQ(test::sewnPoints(d), c.sewn) << std::hex << c.command;
  }
}

TEST(ReadHus, ColorIndexesAbove28ReadAsIndexZero) {
  const std::vector<std::uint16_t> indexes = {0, 5, 28, 29, 30, 255, 0x0105};
  const EmbDesign d = readHusBytes(husFile(indexes, streams({{0x80, 1, 1}})));
  ASSERT_EQ(d.threads.size(), indexes.size());
  const int expected[] = {0, 5, 28, 0, 0, 0, 5};  // the low byte is the index
  for (std::size_t k = 0; k < indexes.size(); ++k) {
    EXPECT_EQ(d.threads[k].rgb, husqvarnaColor(expected[k]).rgb) << k;
    EXPECT_EQ(d.threads[k].displayName, husqvarnaColor(expected[k]).displayName) << k;
  }
  EXPECT_EQ(d.threads[4].displayName, "Black");
}

TEST(ReadHus, CountsAtTheLimitsLoadAndBeyondThemAreRejected) {
  const Streams one = streams({{0x80, 1, 1}});
  struct Case {
    const char* name;
    ByteBuffer file;
    bool loads;
  };
  Streams big;
  big.commands.assign(kMaxDesignRecords, 0x80);
  big.xs.assign(kMaxDesignRecords, 1);
  big.ys.assign(kMaxDesignRecords, 0);
  const Case cases[] = {
      {"records at the limit", husFile({1}, big), true},
      {"one record more", husFile({1}, one, kMaxDesignRecords + 1), false},
      {"100 colours", husFile(std::vector<std::uint16_t>(100, 3), one), true},
      {"101 colours", husFile(std::vector<std::uint16_t>(101, 3), one), false},
      {"colour table past the end", cut(husFile({1, 2, 3}, one), 44), false},
      {"header cut short", cut(husFile({1}, one), 30), false},
  };
  for (const Case& c : cases) {
    ReadResult result = ReadResult::Failed;
    const EmbDesign d = readHusBytes(c.file, &result);
    EXPECT_EQ(result != ReadResult::Failed, c.loads) << c.name;
  }
}

TEST(ReadHus, FailingStreamClearsTheDesignAndSaysWhich) {
  const ByteBuffer bad = {0x00, 0x01, 0x10, 0x40, 0, 0, 0, 0};  // a code-length code that is incomplete
  struct Case {
    int stream;
    const char* text;
  };
  const Case cases[] = {{0, ": Failure processing command data."},
                        {1, ": Failure processing x-stitch data."},
                        {2, ": Failure processing y-stitch data."}};
  for (const Case& c : cases) {
    // Rebuild the file with the chosen stream replaced.
    const Streams s = streams({{0x80, 1, 1}, {0x80, 2, 2}});
    ByteBuffer parts[3] = {compressed(s.commands), compressed(s.xs), compressed(s.ys)};
    parts[c.stream] = bad;
    ByteWriter w;
    w.bytes(ByteBuffer{0x5B, 0xAF, 0xC8, 0x00});
    w.u32le(2);
    w.u32le(1);
    w.fill(0, 8);
    w.u32le(44);
    w.u32le(static_cast<std::uint32_t>(44 + parts[0].size()));
    w.u32le(static_cast<std::uint32_t>(44 + parts[0].size() + parts[1].size()));
    w.fill(0, 10);
    w.u16le(3);
    for (const auto& p : parts) w.bytes(p);

    RecordingMessages messages;
    DesignCodec codec(nullptr, &messages);
    EmbDesign d;
    d.path = "/designs/rose.hus";
    EXPECT_EQ(readHus(codec, d, w.buffer()), ReadResult::Failed);
    EXPECT_TRUE(d.stitches.empty());
    EXPECT_TRUE(d.threads.empty());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], std::string("/designs/rose.hus") + c.text);
  }
}

TEST(ReadHus, StreamOffsetsOutOfOrderAreAFailingStream) {
  ByteBuffer file = husFile({1}, streams({{0x80, 1, 1}}));
  ByteWriter patch;
  patch.buffer() = file;
  patch.u32leAt(24, 10);  // X stream before the command stream
  RecordingMessages messages;
  DesignCodec codec(nullptr, &messages);
  EmbDesign d;
  EXPECT_EQ(readHus(codec, d, patch.buffer()), ReadResult::Failed);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], ": Failure processing command data.");
}

// ---- writeHus ------------------------------------------------------------------------

TEST(WriteHus, RefusesADesignWithoutColors) {
  RecordingMessages messages;
  DesignCodec codec(nullptr, &messages);
  EmbDesign d = test::makeDesign({st(1, 1)});
  d.threads.clear();
  d.path = "/designs/rose.dst";
  EXPECT_FALSE(writeHus(codec, d).has_value());
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], "/designs/rose.dst: Could not create HUS file due to lack of color information.");
}

// A long stitch becomes jumps, a landing and the rest of the stitch; a colour change's move
// goes on as a jump; a run of jumps ends in one landing (a zero stitch) before the stitch after
// it, and a jump before a colour change needs none.
TEST(WriteHus, SplitsColorChangesClampsLongMovesAndLandsJumpRuns) {
  const EmbDesign d = test::makeDesign({st(10, 0), st(300, -5), jump(20, 20), colorChange(3, 4), st(1, -1)},
                                       {0x0000FF, 0x00FF00});
  const ByteBuffer file = writeHusBytes(d);
  const Streams s = decodeStreams(file);
  EXPECT_EQ(s.commands, (ByteBuffer{0x80, 0x81, 0x81, 0x80, 0x80, 0x81, 0x84, 0x81, 0x80, 0x80}));
  const auto b = [](int v) { return static_cast<std::uint8_t>(v); };
  EXPECT_EQ(s.xs, (ByteBuffer{10, 127, 127, 0, 46, 20, 0, 3, 0, 1}));
  EXPECT_EQ(s.ys, (ByteBuffer{0, b(-5), 0, 0, 0, 20, 0, 4, 0, b(-1)}));
  EXPECT_EQ(u32At(file, 4), 10u);  // records
  EXPECT_EQ(u32At(file, 8), 2u);  // colours
  EXPECT_EQ(u32At(file, 20), 46u);
  EXPECT_EQ(ByteReader(file, 42).u16le(), nearestHusqvarnaIndex(0x0000FF));
  EXPECT_EQ(ByteReader(file, 44).u16le(), nearestHusqvarnaIndex(0x00FF00));
  EXPECT_EQ(ByteReader(file, 12).i16le(), d.maxX);
  EXPECT_EQ(ByteReader(file, 18).i16le(), d.minY);
}

// More colour changes than colours: every block gets an index (the last colour again) and
// the streams follow the table actually written.
TEST(WriteHus, ColorTableFollowsTheColorChanges) {
  EmbDesign d = test::makeDesign({st(1, 1), colorChange(), st(2, 2), colorChange(), st(3, 3)});
  d.threads.resize(1);
  const ByteBuffer file = writeHusBytes(d);
  EXPECT_EQ(u32At(file, 8), 3u);
  EXPECT_EQ(u32At(file, 20), 42u + 6u);
  const EmbDesign back = readHusBytes(file);
  EXPECT_EQ(back.threads.size(), 3u);
  EXPECT_EQ(back.colorChangeCount(), 2u);
  EXPECT_EQ(test::sewnPoints(back), test::sewnPoints(d));
}

// ---- VIP ----------------------------------------------------------------------------

TEST(Vip, ColorKeyRoundTripsAndChainsOnPlainBytes) {
  ASSERT_EQ(vipColorKey().size(), 394u);
  EXPECT_EQ(vipColorKey()[0], 0x2E);
  EXPECT_EQ(vipColorKey()[393], 0x8C);
  ByteBuffer plain(600);
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>(i * 37);
  ByteBuffer area = plain;
  scrambleVipColors(area);
  EXPECT_EQ(area[0], plain[0] ^ 0x2E);
  EXPECT_EQ(area[1], plain[1] ^ vipColorKey()[1] ^ plain[0]);
  EXPECT_EQ(area[500], plain[500] ^ [&] {
    std::uint8_t acc = 0;
    for (int i = 0; i < 500; ++i) acc ^= plain[static_cast<std::size_t>(i)];
    return acc;
  }());  // past the key: the running XOR alone
  descrambleVipColors(area);
  EXPECT_EQ(area, plain);
}

TEST(Vip, ThreadTypesAreWrittenAsTypeMinusOne) {
  struct Case {
    std::int32_t chartCode;
    int typeByte;
    int readBack;
  };
  // 0 (and any code that names no thread type) is written as Sulky Rayon, the chart the
  // colour was snapped to.
  const Case cases[] = {{0, 1, 2}, {1, 0, 1}, {2, 1, 2}, {7, 6, 7}, {9, 8, 9}, {0x1100, 1, 2}, {10, 1, 2}};
  for (const Case& c : cases) {
    EmbDesign d = test::makeDesign({st(5, 5), colorChange(), st(-5, 5)}, {0x102030, 0x00C0C0});
    d.threads[0].chartCode = c.chartCode;
    const ByteBuffer file = writeVipBytes(d);
    EXPECT_EQ(file[46 + 8], c.typeByte) << c.chartCode;
    const EmbDesign back = readVipBytes(file);
    ASSERT_EQ(back.threads.size(), 2u);
    EXPECT_EQ(back.threads[0].chartCode, c.readBack) << c.chartCode;
  }
}

TEST(Vip, WritingSnapsEveryColorToItsChart) {
  EmbDesign d = test::makeDesign({st(5, 5), colorChange(), st(-5, 5), colorChange(), st(1, 1)},
                                 {rgbOf(1, 2, 3), rgbOf(250, 240, 130), rgbOf(90, 10, 200)});
  d.threads[0].chartCode = 1;
  d.threads[1].chartCode = 1;
  d.threads[2].chartCode = 8;
  const EmbDesign back = readVipBytes(writeVipBytes(d));
  ASSERT_EQ(back.threads.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    const ChartColor want = nearestChartColor(d.threads[k].rgb, d.threads[k].chartCode);
    EXPECT_EQ(back.threads[k].rgb, want.rgb) << k;
    EXPECT_EQ(back.threads[k].displayName, want.name) << k;
    bool inChart = false;
    for (const ThreadColor& row : chartRows(husqvarnaThreadType(d.threads[k].chartCode).chart))
      inChart = inChart || (row.rgb == want.rgb && row.displayName == want.name);
    EXPECT_TRUE(inChart) << k;
  }
  EXPECT_EQ(back.threads[1].displayName.rfind("Madeira Rayon", 0), 0u);
}

TEST(Vip, LayoutOfTheHeaderAndTables) {
  const EmbDesign d = test::makeDesign({st(5, 5), colorChange(), st(-5, 5)}, {0x102030, 0x00C0C0});
  const ByteBuffer file = writeVipBytes(d);
  const std::size_t c = 2;
  EXPECT_EQ(ByteBuffer(file.begin(), file.begin() + 4), (ByteBuffer{0x5D, 0xFC, 0x90, 0x01}));
  EXPECT_EQ(u32At(file, 8), c);
  EXPECT_EQ(u32At(file, 20), 52 + 8 * c);
  EXPECT_EQ(u32At(file, 42), 46 + 8 * c);
  EXPECT_EQ(ByteBuffer(file.begin() + 46 + 8 * c, file.begin() + 52 + 8 * c), (ByteBuffer{1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ByteBuffer(file.begin() + 32, file.begin() + 42), ByteBuffer(10, 0));
  ByteBuffer area(file.begin() + 46, file.begin() + 46 + 4 * c);
  descrambleVipColors(area);
  const std::uint32_t first = nearestChartColor(0x102030, 0).rgb;
  EXPECT_EQ(ByteBuffer(area.begin(), area.begin() + 4),
            (ByteBuffer{static_cast<std::uint8_t>(redOf(first)), static_cast<std::uint8_t>(greenOf(first)),
                        static_cast<std::uint8_t>(blueOf(first)), 0}));
}

TEST(Vip, NothingToWriteWithoutColorsOrRecords) {
  DesignCodec codec;
  EmbDesign noRecords = test::makeDesign({});
  EXPECT_FALSE(writeVip(codec, noRecords).has_value());
  EmbDesign noColors = test::makeDesign({st(1, 1)});
  noColors.threads.clear();
  EXPECT_FALSE(writeVip(codec, noColors).has_value());
}

// A file our own reader would refuse is never written: HUS holds at most 100 colours and
// VIP 150, and both at most 200,000 records.
TEST(HusVipWriters, RefuseDesignsBeyondTheReadersLimits) {
  DesignCodec codec;
  auto blocks = [](std::size_t n) {
    EmbDesign d;
    for (std::size_t i = 0; i < n; ++i) {
      if (i) d.stitches.push_back(colorChange());
      d.stitches.push_back(st(1, 1));
      d.threads.push_back(test::thread(0x0000FF));
    }
    return d;
  };
  EmbDesign hus100 = blocks(100), hus101 = blocks(101), vip150 = blocks(150), vip151 = blocks(151);
  EXPECT_TRUE(writeHus(codec, hus100).has_value());
  EXPECT_FALSE(writeHus(codec, hus101).has_value());
  EXPECT_TRUE(writeVip(codec, vip150).has_value());
  EXPECT_FALSE(writeVip(codec, vip151).has_value());
  EmbDesign tooLong = blocks(1);
  tooLong.stitches.assign(kMaxDesignRecords + 1, st(1, 0));
  EXPECT_FALSE(writeHus(codec, tooLong).has_value());
}

// Long moves become jumps of at most 120; the last piece of a very long one, which takes the
// rounding of the others, is cut again rather than overflowing its byte.
TEST(Vip, LongMovesAreSplitIntoJumpsThatFitTheirBytes) {
  const EmbDesign d = test::makeDesign({st(10, 10), jump(1000, -999), st(10, 0), jump(-2180, -3328), st(5, 5), st(500, 0)});
  const Streams s = decodeStreams(writeVipBytes(d));
  int x = 0, y = 0, beyond120 = 0;
  for (std::size_t i = 0; i < s.xs.size(); ++i) {
    const int dx = static_cast<std::int8_t>(s.xs[i]), dy = static_cast<std::int8_t>(s.ys[i]);
    beyond120 += std::abs(dx) > 120 || std::abs(dy) > 120;
    x += dx;
    y += dy;
  }
  EXPECT_LE(beyond120, 1);
  EXPECT_EQ(x, 10 + 1000 + 10 - 2180 + 5 + 500);
  EXPECT_EQ(y, 10 - 999 - 3328 + 5);
  const EmbDesign back = readVipBytes(writeVipBytes(d));
  // The stitch of 500 is reached by jumps in the file that end in a landing before it, so its
  // end is still a penetration.
  const std::vector<Point> want = {{0, 0}, {1010, -999}, {-1165, -4322}, {-665, -4322}};
  EXPECT_EQ(test::sewnPoints(back), want);
}

TEST(NearestChartColor, FirstNearestRowOfTheTypesChart) {
  const auto rows = chartRows(Chart::MadeiraRayon);
  ASSERT_FALSE(rows.empty());
  // An exact colour finds its row; an unknown type searches Sulky Rayon.
  EXPECT_EQ(nearestChartColor(rows[3].rgb, 1).rgb, rows[3].rgb);
  EXPECT_EQ(nearestChartColor(0x123456, 0).name, nearestChartColor(0x123456, 2).name);
  EXPECT_EQ(nearestChartColor(0x123456, 77).name, nearestChartColor(0x123456, 2).name);
  EXPECT_EQ(husqvarnaThreadType(6).chart, Chart::StickmaPoly);
  EXPECT_EQ(husqvarnaThreadType(6).codeWidth, 5);
  EXPECT_EQ(husqvarnaThreadType(9).codeWidth, 3);
  EXPECT_EQ(husqvarnaThreadType(0).number, 2);
}

// ---- round trips and fixtures --------------------------------------------------------

// A design as the readers leave one: centred, jumps merged and classified.
EmbDesign stitchDesign() {
  EmbDesign d;
  int block = 0;
  for (int i = 0; i < 1500; ++i) {
    if (i % 500 == 499) {
      d.stitches.push_back(colorChange());
      ++block;
    } else if (i % 97 == 0) {
      d.stitches.push_back(jump(60 - i % 120, 40 - i % 80));
    } else {
      d.stitches.push_back(st((i % 2 ? 35 : -35) + i % 7, 3 + i % 4));
    }
  }
  const std::uint32_t colors[] = {rgbOf(200, 30, 30), rgbOf(20, 120, 40), rgbOf(240, 240, 240)};
  for (std::uint32_t c : colors) d.threads.push_back(test::thread(c));
  d.threads[1].chartCode = 5;
  d.mergeJumps(false);
  d.classifyJumps();
  d.centreDesign();
  return d;
}

TEST(HusVipRoundTrip, WrittenFilesReadBackWithTheSameStitchesAndColors) {
  const EmbDesign d = stitchDesign();
  const EmbDesign hus = readHusBytes(writeHusBytes(d));
  EXPECT_EQ(test::sewnPoints(hus), test::sewnPoints(d));
  EXPECT_EQ(hus.colorChangeCount(), d.colorChangeCount());
  ASSERT_EQ(hus.threads.size(), d.threads.size());
  for (std::size_t k = 0; k < d.threads.size(); ++k)
    EXPECT_EQ(hus.threads[k].rgb, husqvarnaColor(nearestHusqvarnaIndex(d.threads[k].rgb)).rgb) << k;

  const EmbDesign vip = readVipBytes(writeVipBytes(d));
  EXPECT_EQ(test::sewnPoints(vip), test::sewnPoints(d));
  EXPECT_EQ(vip.colorChangeCount(), d.colorChangeCount());
  ASSERT_EQ(vip.threads.size(), d.threads.size());
  for (std::size_t k = 0; k < d.threads.size(); ++k)
    EXPECT_EQ(vip.threads[k].rgb, nearestChartColor(d.threads[k].rgb, d.threads[k].chartCode).rgb) << k;
}

// Files written by this writer, kept to catch changes in what is written and in how it
// reads. LH_UPDATE_FIXTURES=1 rewrites them.
TEST(HusVipRoundTrip, RegressionFixtures) {
  namespace fs = std::filesystem;
  const EmbDesign d = stitchDesign();
  const std::pair<const char*, ByteBuffer> fixtures[] = {{"written.hus", writeHusBytes(d)}, {"written.vip", writeVipBytes(d)}};
  for (const auto& [name, bytes] : fixtures) {
    const fs::path p = fs::path(LH_TEST_DATA_DIR) / "hus" / name;
    if (std::getenv("LH_UPDATE_FIXTURES")) {
      fs::create_directories(p.parent_path());
      std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::ifstream in(p, std::ios::binary);
    ASSERT_TRUE(in) << p;
    const ByteBuffer kept((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(kept, bytes) << name;
    const EmbDesign back = std::string(name).ends_with(".hus") ? readHusBytes(kept) : readVipBytes(kept);
    EXPECT_EQ(test::sewnPoints(back), test::sewnPoints(d)) << name;
    EXPECT_EQ(back.threads.size(), 3u) << name;
  }
}

}  // namespace
}  // namespace lh
