#include "formats/vp3.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/formats/pfaff_corpus.h"
#include "tests/support/design_builder.h"
#include "threads/format_palettes.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::st;
using test::trim;

ByteBuffer hex(std::string_view text) {
  ByteBuffer out;
  std::istringstream in{std::string(text)};
  std::string byte;
  while (in >> byte) out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

ByteBuffer producerBytes() {
  ByteBuffer out{0x38, 0x00};
  for (char c : std::string_view("Produced by VSM Software Ltd")) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  return out;
}

ByteBuffer writeOk(EmbDesign d) {
  DesignCodec codec;
  std::optional<ByteBuffer> out = writeVp3(codec, d);
  EXPECT_TRUE(out.has_value());
  return out.value_or(ByteBuffer{});
}

ReadResult readImage(const ByteBuffer& b, EmbDesign& d) {
  DesignCodec codec;
  return readVp3(codec, d, b);
}

// A thread as a VP3 file describes it (one colour entry).
ThreadColor vp3Thread(std::uint32_t rgb, std::string code, std::string name, std::string brand) {
  ThreadColor t(brand, name, code, rgb, 0, 0);
  t.attributes.setInt("RGB Count", 1);
  t.attributes.setInt("VarSmooth", 0);
  t.attributes.setInt("RGB0", static_cast<std::int32_t>(rgb));
  t.attributes.setInt("VarDiv0", 0);
  t.attributes.setInt("VarLen0", 0);
  t.attributes.setInt("Material", 5);
  t.attributes.setInt("Weight", 40);
  return t;
}

// The positions the records visit, without the origin the reader's head trim sits on.
std::vector<Point> visited(const EmbDesign& d) {
  std::vector<Point> pts = test::pfaff::path(d.stitches);
  if (!pts.empty() && pts.front() == Point{0, 0}) pts.erase(pts.begin());
  return pts;
}

std::uint32_t be32(const ByteBuffer& b, std::size_t at) {
  return (static_cast<std::uint32_t>(b.at(at)) << 24) | (b.at(at + 1) << 16) | (b.at(at + 2) << 8) |
         b.at(at + 3);
}
unsigned be16(const ByteBuffer& b, std::size_t at) { return (b.at(at) << 8) | b.at(at + 1); }

// The colour blocks of a file this writer made, walked field by field from the fixed layout
// (no keywords, producer text of 56 bytes).
struct WrittenBlock {
  std::size_t rgbCount;
  ByteBuffer entries;  // 6 bytes per colour entry
  int material, weight;
  std::string code, name, brand;
  ByteBuffer data;  // after 0A F6 00
};

struct WrittenFile {
  std::uint32_t count;
  std::vector<WrittenBlock> blocks;
};

WrittenFile walk(const ByteBuffer& b) {
  WrittenFile f;
  f.count = be32(b, 71 + 2 + 16);
  const unsigned colors = be16(b, 71 + 2 + 16 + 4);
  std::size_t at = 227;
  for (unsigned k = 0; k < colors; ++k) {
    if (k > 0) at += 2;  // 00 00
    EXPECT_EQ(b.at(at), 0x05);
    at += 2 + 4 + 8;
    WrittenBlock w;
    w.rgbCount = b.at(at);
    at += 2;
    w.entries.assign(b.begin() + static_cast<std::ptrdiff_t>(at),
                     b.begin() + static_cast<std::ptrdiff_t>(at + 6 * w.rgbCount));
    at += 6 * w.rgbCount;
    w.material = b.at(at);
    w.weight = b.at(at + 1);
    at += 2;
    for (std::string* s : {&w.code, &w.name, &w.brand}) {
      const unsigned n = be16(b, at);
      s->assign(b.begin() + static_cast<std::ptrdiff_t>(at + 2),
                b.begin() + static_cast<std::ptrdiff_t>(at + 2 + n));
      at += 2 + n;
    }
    at += 8 + 3;
    const std::size_t length = be32(b, at);
    at += 4;
    EXPECT_EQ(ByteBuffer(b.begin() + static_cast<std::ptrdiff_t>(at),
                         b.begin() + static_cast<std::ptrdiff_t>(at + 3)),
              hex("0A F6 00"));
    w.data.assign(b.begin() + static_cast<std::ptrdiff_t>(at + 3),
                  b.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
    f.blocks.push_back(std::move(w));
  }
  EXPECT_EQ(at + 1, b.size());
  return f;
}

// ---- Writer -----------------------------------------------------------------------------

TEST(Vp3Writer, LaysOutAOneBlockDesignByteForByte) {
  EmbDesign d = makeDesign({jump(-50, -30), st(100, 0), st(0, 60)});
  d.threads[0] = vp3Thread(rgbOf(255, 0, 0), "1147", "Red", "Madeira Rayon 40");
  const ByteBuffer b = writeOk(EmbDesign(d));

  ByteBuffer want = hex("25 76 73 6D 25 00 00");
  const ByteBuffer producer = producerBytes();
  want.insert(want.end(), producer.begin(), producer.end());
  const ByteBuffer designBlock =
      hex("02 00  00 00 00 F2"                                    // design block length + 1
          "  00 00"                                               // no keywords
          "  00 00 13 88  00 00 0B B8  FF FF EC 78  FF FF F4 48"  // half extents in micrometres
          "  00 00 00 0A"                                         // 4 records + 2 x 3 escapes + 1 colour - 1
          "  00 01  0C 00 01 00 03 00"
          "  00 00 00 D0"  // header block length + 1
          "  00 00 00 00 00 00 00 00 00 00 00"
          "  FF FF EC 78  00 00 13 88  FF FF F4 48  00 00 0B B8  00 00 27 10  00 00 17 70"
          "  00 00 64 64"
          "  00 00 10 00 00 00 00 00 00 00 00 00 00 00 10 00 78 78 50 50 01 00 00");
  want.insert(want.end(), designBlock.begin(), designBlock.end());
  want.insert(want.end(), producer.begin(), producer.end());
  const ByteBuffer colorBlock =
      hex("01 00  05 00  00 00 00 50"   // colour count (LE), block tag, block length + 1
          "  00 00 00 00  00 00 00 00"  // block start
          "  01 00  FF 00 00 00 00 00  05 28"
          "  00 04 31 31 34 37  00 03 52 65 64"
          "  00 10 4D 61 64 65 69 72 61 20 52 61 79 6F 6E 20 34 30"
          "  00 00 13 88  00 00 0B B8"  // needle end relative to the block start
          "  00 01 00  00 00 00 11  0A F6 00"
          "  80 03  80 01 FF CE 00 1E  80 02 64 00  00 C4"
          "  00");
  want.insert(want.end(), colorBlock.begin(), colorBlock.end());
  EXPECT_EQ(b, want);
}

struct DataCase {
  const char* what;
  std::vector<Stitch> records;
  std::vector<const char*> blocks;  // each block's stitch data after 0A F6 00
};

class Vp3StitchData : public testing::TestWithParam<DataCase> {};

TEST_P(Vp3StitchData, EncodesMovesEscapesAndBlockEnds) {
  const DataCase& c = GetParam();
  EmbDesign d;
  d.stitches = c.records;
  for (std::size_t k = 0; k < c.blocks.size(); ++k)
    d.threads.push_back(vp3Thread(rgbOf(1, 2, 3), "1", "x", "y"));
  const WrittenFile f = walk(writeOk(EmbDesign(d)));
  ASSERT_EQ(f.blocks.size(), c.blocks.size());
  for (std::size_t k = 0; k < c.blocks.size(); ++k) EXPECT_EQ(f.blocks[k].data, hex(c.blocks[k])) << k;
}

INSTANTIATE_TEST_SUITE_P(
    Records, Vp3StitchData,
    testing::Values(
        // A long move becomes a jump, then a stitch on the spot: (300, -20) is 01 2C 00 14.
        DataCase{"long move",
                 {st(10, 10), st(300, -20), st(5, 5)},
                 {"80 03  0A F6  80 01 01 2C 00 14  80 02 00 00  05 FB"}},
        DataCase{
            "short jump", {st(1, 1), jump(5, 5), st(1, 1)}, {"80 03  01 FF  80 01 00 05 FF FB  80 02 01 FF"}},
        DataCase{"trim", {st(1, 1), trim(), st(2, 2)}, {"80 03  01 FF  80 03  02 FE"}},
        // A trim that moves: the trim, then its move as a jump.
        DataCase{"moving trim",
                 {st(1, 1), Stitch::withFlags(Trim, 4, 4), st(2, 2)},
                 {"80 03  01 FF  80 03  80 01 00 04 FF FC  80 02 02 FE"}},
        DataCase{"two long jumps",
                 {st(1, 1), jump(-200, 0), jump(0, 128), st(1, 1)},
                 {"80 03  01 FF  80 01 FF 38 00 00  00 00 FF 80  80 02 01 FF"}},
        // The colour change ends its block; its move opens the next block as a jump, so each
        // block's data starts where the block header places it.
        DataCase{"colour change",
                 {st(1, 1), colorChange(), st(2, 2), colorChange(3, 4), st(1, 1)},
                 {"80 03  01 FF  00 00", "02 FE  00 00", "80 01 00 03 FF FC  80 02 01 FF"}}),
    [](const testing::TestParamInfo<DataCase>& i) {
      std::string n = i.param.what;
      for (char& c : n) c = c == ' ' ? '_' : c;
      return n;
    });

TEST(Vp3Writer, EachFileCountsItsOwnEscapes) {
  const EmbDesign withJumps =
      makeDesign({jump(-300, 0), st(200, 10), st(1, 1), trim(), jump(150, 0), st(1, 1)});
  const EmbDesign without =
      makeDesign({jump(-5, 0), st(10, 1), colorChange(), st(2, 2), colorChange(), st(1, 1)});
  std::vector<ByteBuffer> files;
  for (const EmbDesign* d : {&withJumps, &without, &withJumps}) files.push_back(writeOk(EmbDesign(*d)));
  EXPECT_EQ(files[0], files[2]);
  for (const ByteBuffer& b : files) {
    const WrittenFile f = walk(b);
    std::size_t records = 0, escapes = 0;
    for (const WrittenBlock& w : f.blocks) {
      bool longRecords = false;
      for (std::size_t i = 0; i < w.data.size();) {
        if (w.data[i] == 0x80) {
          ++escapes;
          if (w.data[i + 1] == 0x03) ++records;
          longRecords = w.data[i + 1] == 0x01 ? true : w.data[i + 1] == 0x02 ? false : longRecords;
          i += 2;
        } else {
          ++records;
          i += longRecords ? 4 : 2;
        }
      }
    }
    EXPECT_EQ(f.count, records + 2 * escapes + f.blocks.size() - 1);
  }
  EXPECT_NE(walk(files[0]).count, walk(files[1]).count);
}

TEST(Vp3Writer, ColorsFromOtherFormatsGetABrandThreadWithDefaultEntry) {
  // A design read from a Janome file: palette names and colours, no VP3 description.
  EmbDesign d = makeDesign({jump(-10, 0), st(20, 0), colorChange(), st(0, 20), colorChange(), st(-20, 0)});
  d.threads = {janomeColor(1), janomeColor(10), janomeColor(12)};
  const WrittenFile f = walk(writeOk(EmbDesign(d)));
  ASSERT_EQ(f.blocks.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const ThreadColor want = resolveVp3Thread(d.threads[k]);
    const WrittenBlock& w = f.blocks[k];
    EXPECT_EQ(w.rgbCount, 1u);
    EXPECT_EQ(w.entries, (ByteBuffer{static_cast<std::uint8_t>(redOf(want.rgb)),
                                     static_cast<std::uint8_t>(greenOf(want.rgb)),
                                     static_cast<std::uint8_t>(blueOf(want.rgb)), 0, 0, 0}));
    EXPECT_EQ(w.material, 5);
    EXPECT_EQ(w.weight, 40);
    EXPECT_EQ(w.brand, "Robison-Anton Poly 40");
    EXPECT_EQ(w.code.size(), 4u);
    EXPECT_EQ(w.code, want.code);
  }
}

TEST(Vp3Writer, ADescriptionThatNoLongerMatchesItsColorIsReplaced) {
  // A tool recoloured the block but kept its attributes: the stale entry must not be written.
  EmbDesign d = makeDesign({jump(-10, 0), st(20, 0)});
  d.threads[0] = vp3Thread(rgbOf(200, 10, 10), "1147", "Red", "Madeira Rayon 40");
  d.threads[0].rgb = rgbOf(251, 215, 216);
  const WrittenFile f = walk(writeOk(EmbDesign(d)));
  const ThreadColor chart = resolveVp3Thread(d.threads[0]);
  EXPECT_EQ(f.blocks[0].entries, (ByteBuffer{static_cast<std::uint8_t>(redOf(chart.rgb)),
                                             static_cast<std::uint8_t>(greenOf(chart.rgb)),
                                             static_cast<std::uint8_t>(blueOf(chart.rgb)), 0, 0, 0}));
  EXPECT_NE(f.blocks[0].entries[0], 200);
  EXPECT_EQ(f.blocks[0].brand, "Madeira Rayon 40");
}

TEST(Vp3Writer, RefusesADesignWithoutRecords) {
  DesignCodec codec;
  EmbDesign empty;
  EXPECT_FALSE(writeVp3(codec, empty).has_value());
}

// ---- Thread resolution ------------------------------------------------------------------

struct ResolveCase {
  const char* name;
  std::uint32_t rgb;
  const char* brand;
  const char* code;
  int material;
};

class Vp3Resolve : public testing::TestWithParam<ResolveCase> {};

TEST_P(Vp3Resolve, PicksTheThreadLineAndNearestRow) {
  const ResolveCase& c = GetParam();
  ThreadColor t;
  t.displayName = c.name;
  t.rgb = c.rgb;
  const ThreadColor r = resolveVp3Thread(t);
  EXPECT_EQ(r.brand, c.brand);
  EXPECT_EQ(r.code, c.code);
  EXPECT_EQ(r.rgb, c.rgb);
  EXPECT_EQ(r.attributes.getInt("Material"), c.material);
}

// Colours are the first rows of the charts, so the nearest row is that row.
INSTANTIATE_TEST_SUITE_P(
    Names, Vp3Resolve,
    testing::Values(ResolveCase{"Madeira 1022", rgbOf(255, 249, 137), "Madeira Rayon 40", "1022", 5},
                    ResolveCase{"MA Polyneon", rgbOf(255, 237, 0), "Madeira Poly Neon 40", "1623", 6},
                    ResolveCase{"sulky rayon", rgbOf(254, 254, 254), "Sulky Rayon 40", "1001", 5},
                    ResolveCase{"Isafil", rgbOf(249, 246, 192), "Isafil Rayon 40", "0270", 5},
                    ResolveCase{"Isacord Poly", rgbOf(255, 255, 255), "Icord Poly 40", "0015", 6},
                    ResolveCase{"R-A Rayon", rgbOf(235, 204, 219), "Robison-Anton Rayon 40", "2243", 5},
                    ResolveCase{"Robison Poly", rgbOf(251, 215, 216), "Robison-Anton Poly 40", "5543", 6},
                    ResolveCase{"Stickma", rgbOf(255, 222, 0), "Stickma", "61187", 5},
                    ResolveCase{"Alcazar", rgbOf(250, 253, 158), "Alcazar", "488", 5},
                    // Later brand tests win; "RAYON" after "POLY" turns the kind back.
                    ResolveCase{"Madeira Alcazar", rgbOf(250, 253, 158), "Alcazar", "488", 5},
                    ResolveCase{"Poly Rayon", rgbOf(251, 215, 216), "Robison-Anton Poly 40", "5543", 5},
                    ResolveCase{"Black", rgbOf(251, 215, 216), "Robison-Anton Poly 40", "5543", 5}));

// ---- Reader -----------------------------------------------------------------------------

TEST(Vp3RoundTrip, RecordsColorsAndDescriptionsComeBack) {
  EmbDesign source = makeDesign({jump(-150, -100), st(30, 7), trim(), jump(-90, 200), st(1, 1), st(-2, 3),
                                 colorChange(), st(300, -20), st(0, 5), colorChange(0, 0), st(-7, -7)});
  source.threads[0] = vp3Thread(rgbOf(10, 20, 30), "1266", "Toast", "Sulky Rayon 40");
  ThreadColor& varied = source.threads[1];
  varied = vp3Thread(rgbOf(7, 8, 9), "9", "Mix", "Own");
  varied.attributes.setInt("RGB Count", 3);
  varied.attributes.setInt("VarSmooth", 1);
  for (int i = 0; i < 3; ++i) {
    varied.attributes.setInt("RGB" + std::to_string(i),
                             static_cast<std::int32_t>(rgbOf(i, 8, 9 + (i == 2 ? 0 : 1))));
    varied.attributes.setInt("VarDiv" + std::to_string(i), i == 1 ? 0 : 4);
    varied.attributes.setInt("VarLen" + std::to_string(i), 100 + i);
  }
  varied.attributes.setInt("RGB2", static_cast<std::int32_t>(rgbOf(7, 8, 9)));
  varied.attributes.setInt("Material", 6);
  varied.attributes.setInt("Weight", 30);
  source.threads[2] = vp3Thread(rgbOf(1, 1, 1), std::string(300, 'c'), "", "");
  source.centreDesign();

  EmbDesign d;
  ASSERT_EQ(readImage(writeOk(EmbDesign(source)), d), ReadResult::Ok);
  EXPECT_EQ(visited(d), visited(source));
  // Each colour change ends its block with a stitch on the spot; the long jump gains none.
  EXPECT_EQ(test::sewnPoints(d).size(), test::sewnPoints(source).size() + 2);
  EXPECT_EQ(std::count_if(d.stitches.begin(), d.stitches.end(), [](const Stitch& s) { return s.isTrim(); }),
            2);
  ASSERT_EQ(d.threads.size(), 3u);
  EXPECT_EQ(d.colorChangeCount(), 2u);

  EXPECT_EQ(d.threads[0].displayName, "Sulky Rayon 40 1266 Toast");
  EXPECT_EQ(d.threads[0].rgb, rgbOf(10, 20, 30));
  const AttributeList& a = d.threads[1].attributes;
  EXPECT_EQ(d.threads[1].rgb, rgbOf(7, 8, 9));  // the last entry
  EXPECT_EQ(a.getInt("RGB Count"), 3);
  EXPECT_EQ(a.getInt("VarSmooth"), 1);
  EXPECT_EQ(a.getInt("RGB0"), static_cast<std::int32_t>(rgbOf(0, 8, 10)));
  EXPECT_EQ(a.getInt("VarLen1"), 101);
  EXPECT_EQ(a.getInt("VarLenMM0"), 100 * 10 / 4);
  EXPECT_FALSE(a.getInt("VarLenMM1").has_value());  // a zero divisor states no length per mm
  EXPECT_EQ(a.getInt("Material"), 6);
  EXPECT_EQ(a.getInt("Weight"), 30);
  EXPECT_EQ(d.threads[2].code, std::string(255, 'c'));
  EXPECT_EQ(d.threads[2].displayName, std::string(255, 'c'));
  EXPECT_FALSE(d.threads[2].attributes.getInt("VarLenMM0").has_value());  // one entry: no per-mm length
  EXPECT_EQ(d.attributes.getText("vp3keywords"), "");
}

TEST(Vp3Reader, KeepsTheDesignKeywords) {
  ByteBuffer b = writeOk(makeDesign({jump(-20, 0), st(10, 0), colorChange(), st(10, 0), st(10, 0)}));
  EmbDesign plain;
  ASSERT_EQ(readImage(b, plain), ReadResult::Ok);
  // Keywords follow the keyword length of the design block; the fields after them are found
  // relative to their end.
  const ByteBuffer keywords = hex("00 41 00 42 00 43");
  b[72] = static_cast<std::uint8_t>(keywords.size());
  b.insert(b.begin() + 73, keywords.begin(), keywords.end());
  EmbDesign d;
  ASSERT_EQ(readImage(b, d), ReadResult::Ok);
  const AttributeList::Entry* kw = d.attributes.find("vp3keywords");
  ASSERT_NE(kw, nullptr);
  EXPECT_EQ(kw->value, keywords);
  EXPECT_EQ(d.stitches, plain.stitches);
}

TEST(Vp3Reader, AnEntryCountAboveTenReadsAsOneEntry) {
  EmbDesign source = makeDesign({jump(-20, 0), st(10, 0)});
  source.threads[0] = vp3Thread(rgbOf(1, 2, 3), "1", "x", "y");
  ByteBuffer b = writeOk(EmbDesign(source));
  ASSERT_EQ(b[241], 1);  // the first block's entry count
  b[241] = 11;
  EmbDesign d;
  ASSERT_EQ(readImage(b, d), ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 1u);
  EXPECT_EQ(d.threads[0].attributes.getInt("RGB Count"), 1);
  EXPECT_EQ(d.threads[0].rgb, rgbOf(1, 2, 3));
  EXPECT_EQ(d.threads[0].displayName, "y 1 x");
}

TEST(Vp3Reader, PlacesEachBlockWhereItsHeaderSays) {
  const EmbDesign source = makeDesign({jump(-20, 0), st(10, 0), colorChange(), st(10, 0), st(10, 5)});
  ByteBuffer b = writeOk(EmbDesign(source));
  EmbDesign plain;
  ASSERT_EQ(readImage(b, plain), ReadResult::Ok);
  EXPECT_EQ(
      std::count_if(plain.stitches.begin(), plain.stitches.end(), [](const Stitch& s) { return s.isJump(); }),
      2);  // the one from the origin and the one at the head of the data: no placing jump

  // Move the second block's start 3 mm right and 1 mm down (micrometres, Y up).
  const std::size_t firstLength = be32(b, 229);
  const std::size_t secondStart = 233 + firstLength + 7;
  const auto patch = [&](std::size_t at, std::int32_t delta) {
    const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(be32(b, at)) + delta);
    for (int i = 0; i < 4; ++i)
      b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
  };
  patch(secondStart, 3000);
  patch(secondStart + 4, -1000);
  EmbDesign moved;
  ASSERT_EQ(readImage(b, moved), ReadResult::Ok);
  ASSERT_EQ(moved.stitches.size(), plain.stitches.size() + 1);
  const std::vector<Point> was = test::sewnPoints(plain), now = test::sewnPoints(moved);
  ASSERT_EQ(was.size(), now.size());
  EXPECT_EQ(now[0], was[0]);
  EXPECT_EQ(now.back().x, was.back().x + 30);
  EXPECT_EQ(now.back().y, was.back().y - 10);
}

TEST(Vp3Reader, StartsALaterDesignSectionAtItsOwnOrigin) {
  const EmbDesign source = makeDesign({jump(-20, -10), st(10, 0), st(0, 7), st(-3, 2)});
  const ByteBuffer one = writeOk(EmbDesign(source));
  // A second section after the first: 69 bytes whose last two give the distance to its
  // colour count, the count, one block copied from the first section, and a tail.
  ByteBuffer b(one.begin(), one.end() - 1);
  const std::size_t sectionEnd = b.size();
  b.resize(sectionEnd + 69, 0);
  b.push_back(0);
  b.push_back(3);  // colour count at sectionEnd + 3 + 71
  b.insert(b.end(), {0xEE, 0xEE, 0xEE});
  b.insert(b.end(), {0x00, 0x01});
  b.insert(b.end(), one.begin() + 226, one.end() - 1);
  b.resize(b.size() + 20, 0);
  EmbDesign d;
  ASSERT_EQ(readImage(b, d), ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 2u);
  ASSERT_EQ(d.colorChangeCount(), 1u);
  // The second section is the first one again, 160 mm to the left.
  std::vector<Point> pts;
  int x = 0, y = 0;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (!s.isJump() && !s.isColorChange() && !s.isTrim()) pts.push_back({x, y});
  }
  ASSERT_EQ(pts.size() % 2, 0u);
  const std::size_t half = pts.size() / 2;
  for (std::size_t i = 0; i < half; ++i) EXPECT_EQ(pts[half + i], (Point{pts[i].x - 1600, pts[i].y})) << i;
}

TEST(Vp3Reader, EveryCutOfAFileReadsWithoutFault) {
  EmbDesign source =
      makeDesign({jump(-150, -100), st(30, 7), trim(), jump(-90, 200), colorChange(), st(300, -20)});
  const ByteBuffer b = writeOk(EmbDesign(source));
  bool accepted = false;
  for (std::size_t len = 0; len <= b.size(); ++len) {
    EmbDesign d;
    const ReadResult r = readImage(ByteBuffer(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(len)), d);
    // Nothing to show until the first block's description is complete; from then on every
    // longer cut shows what it holds.
    if (len < 233) {
      EXPECT_EQ(r, ReadResult::Failed) << len;
    }
    if (accepted) {
      EXPECT_NE(r, ReadResult::Failed) << len;
    }
    accepted = accepted || r != ReadResult::Failed;
    if (r != ReadResult::Failed) {
      EXPECT_EQ(d.threads.size(), d.colorChangeCount() + 1) << len;
    }
  }
  EXPECT_TRUE(accepted);
}

// ---- Real files -------------------------------------------------------------------------

// Where the independent reader is known to read a file differently. It takes the landing
// point of every long move for a stitch, which this format marks as a jump: the paths below
// therefore include jumps on both sides.
struct PeerDifference {
  const char* file;
  std::size_t peerBlocks;  // 0: as ours
  double agreement;
};
constexpr PeerDifference kPeerDifferences[] = {
    // The peer drops the second colour block, whose header places it away from the first.
    {"Hello_PEmbroider.vp3", 1, 0.88},
    // The peer stops a few records before the end of the stitch data.
    {"PEmbroider_3dmodel.vp3", 0, 0.999},
    {"PEmbroider_svg_image.vp3", 0, 0.996},
    {"35PEmbroider_satin_hatching_1.vp3", 0, 0.997},
};

TEST(Vp3Corpus, EveryFileLoadsAndFollowsTheIndependentReading) {
  const auto all = test::pfaff::files("vp3");
  if (all.empty()) GTEST_SKIP() << "no corpus at " << test::pfaff::corpus();
  for (const auto& file : all) {
    const std::string name = file.filename().string();
    SCOPED_TRACE(name);
    EmbDesign d;
    ASSERT_EQ(readImage(test::pfaff::bytesOf(file), d), ReadResult::Ok);
    ASSERT_FALSE(d.stitches.empty());
    EXPECT_EQ(d.threads.size(), d.colorChangeCount() + 1);
    const auto peer = test::pfaff::peerOf(file);
    if (!peer) continue;
    std::size_t blocks = d.threads.size();
    double agree = 1.0;
    for (const PeerDifference& p : kPeerDifferences) {
      if (name != p.file) continue;
      if (p.peerBlocks) blocks = p.peerBlocks;
      agree = p.agreement;
    }
    EXPECT_EQ(test::pfaff::blockCount(peer->records), blocks);
    EXPECT_GE(test::pfaff::agreement(test::pfaff::path(d.stitches), test::pfaff::path(peer->records), 0),
              agree);
    for (std::size_t k = 0; k < std::min(blocks, peer->colors.size()); ++k)
      EXPECT_EQ(d.threads[k].rgb, peer->colors[k]) << k;
  }
}

TEST(Vp3Corpus, RealFilesSurviveOurWriter) {
  const auto all = test::pfaff::files("vp3");
  if (all.empty()) GTEST_SKIP() << "no corpus at " << test::pfaff::corpus();
  for (const auto& file : all) {
    SCOPED_TRACE(file.filename().string());
    EmbDesign d;
    ASSERT_EQ(readImage(test::pfaff::bytesOf(file), d), ReadResult::Ok);
    EmbDesign back;
    ASSERT_EQ(readImage(writeOk(EmbDesign(d)), back), ReadResult::Ok);
    EXPECT_EQ(visited(back), visited(d));
    ASSERT_EQ(back.threads.size(), d.threads.size());
    for (std::size_t k = 0; k < d.threads.size(); ++k) {
      EXPECT_EQ(back.threads[k].displayName, d.threads[k].displayName) << k;
      EXPECT_EQ(back.threads[k].attributes.getInt("RGB Count"), d.threads[k].attributes.getInt("RGB Count"))
          << k;
    }
  }
}

}  // namespace
}  // namespace lh
