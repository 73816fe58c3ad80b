// The design payload: byte-exact blocks built by hand from the field tables, round trips,
// the thread text, and what the reader makes of damaged blocks.
#include <gtest/gtest.h>

#include "plugin/payload.h"
#include "tests/plugin/payload_bytes.h"
#include "tests/support/design_builder.h"
#include "threads/thread_charts.h"

namespace lh {
namespace {

using test::PayloadBytes;

const std::string kLongName = "Madeira Rayon 1000 Black Velvet Midnight";  // 40 characters

// Two blocks: the first thread has the four texts of the worked example line (an empty
// chart name, a 7-byte brand, a 4-byte code, a 5-byte colour name), the second none.
EmbDesign sampleDesign() {
  EmbDesign d = test::makeDesign({test::jump(5, 6), Stitch::withFlags(Trim | Jump, -3, 4), test::colorChange(),
                                  test::st(1, -1)},
                                 {0x00332211, 0x00FFEEDD});
  d.path = "/designs/Rose.pes";
  d.pesVersion = 56;
  d.modifiedFlag = 0;
  d.maxX = 30, d.maxY = 20, d.minX = -10, d.minY = -5;  // as held, not as the stitches say
  ThreadColor& a = d.threads[0];
  a.stitchCount = 3;
  a.threadLength = 120;
  a.chartCode = 0x400;
  a.displayName = kLongName;
  a.chartName = "";
  a.brand = "Madeira";
  a.code = "1000";
  a.colorName = "Black";
  ThreadColor& b = d.threads[1];
  b.stitchCount = 1;
  b.threadLength = 14;
  b.chartCode = 5;
  b.displayName = "Red";
  b.brand = b.code = b.colorName = b.chartName = "";
  return d;
}

TEST(DesignPayload, HostBlockIsByteExact) {
  const auto block = writeDesignPayload(sampleDesign(), PayloadSide::Host);
  ASSERT_TRUE(block);
  PayloadBytes want;
  want.i32(5600).i32(0).cstr("/designs/Rose.pes").i32(30).i32(20).i32(-10).i32(-5);
  want.i32(2).thread(3, 120, 0x00332211, 0x400, kLongName.substr(0, 29)).thread(1, 14, 0x00FFEEDD, 5, "Red");
  want.i32(4).stitch(0x02, 5, 6).stitch(0x0A, -3, 4).stitch(0x01, 0, 0).stitch(0x00, 1, -1);
  want.cstr("1ThreadColors\n0007Madeira04100005Black\n00000000\n");
  EXPECT_EQ(*block, want.take());
}

TEST(DesignPayload, PluginBlockRecomputesBoundsAndMarksModified) {
  EmbDesign d = sampleDesign();
  d.stitches = {test::st(10, 0), test::st(0, -20), test::st(5, 5)};
  d.threads.resize(1);
  const auto block = writeDesignPayload(d, PayloadSide::Plugin);
  ASSERT_TRUE(block);
  ByteReader r(*block);
  EXPECT_EQ(r.i32le(), 5600);
  EXPECT_EQ(r.i32le(), 1);
  r.skip(d.path.size() + 1);
  // Positions (10,0), (10,-20), (15,-15): the origin itself is not a position.
  EXPECT_EQ(r.i32le(), 15);
  EXPECT_EQ(r.i32le(), 0);
  EXPECT_EQ(r.i32le(), 10);
  EXPECT_EQ(r.i32le(), -20);
}

TEST(DesignPayload, WhichDesignsGetNoBlock) {
  EmbDesign empty;
  EXPECT_FALSE(writeDesignPayload(empty, PayloadSide::Host));
  EXPECT_FALSE(writeDesignPayload(empty, PayloadSide::Plugin));

  EmbDesign text;
  text.text = "A note\r\n";
  const auto block = writeDesignPayload(text, PayloadSide::Host);
  ASSERT_TRUE(block);
  EXPECT_EQ(*block, PayloadBytes().i32(0).i32(0).cstr("").i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).cstr("A note\r\n").take());
  EXPECT_FALSE(writeDesignPayload(text, PayloadSide::Plugin));

  EmbDesign palette;  // threads without stitches: a colour list from the host, nothing from a plug-in
  palette.threads.push_back(test::thread(0x0000FF));
  EXPECT_TRUE(writeDesignPayload(palette, PayloadSide::Host));
  EXPECT_FALSE(writeDesignPayload(palette, PayloadSide::Plugin));
}

TEST(DesignPayload, KindSplitsIntoVersionAndFormat) {
  EmbDesign d;
  ASSERT_EQ(readDesignPayload(PayloadBytes().i32(5600).i32(0).cstr("a.pes").zeros(24).take(), d, PayloadSide::Host),
            PayloadRead::Whole);
  EXPECT_EQ(d.pesVersion, 56);
  EXPECT_EQ(formatCodeOfKind(d.payloadKind), 0);
  ASSERT_EQ(readDesignPayload(PayloadBytes().i32(11).i32(0).cstr("a.pec").zeros(24).take(), d, PayloadSide::Host),
            PayloadRead::Whole);
  EXPECT_EQ(d.pesVersion, 0);
  EXPECT_EQ(formatCodeOfKind(d.payloadKind), 11);
}

TEST(DesignPayload, FormatCodeOfPath) {
  const struct {
    const char* path;
    int code;
  } cases[] = {{"a.PES", 0},  {"b.sew", 1},   {"c.Jef+", 2}, {"d.hus", 3}, {"e.dst", 5}, {"Zip:/z/a.zip:in/f.vp3", 9},
               {"g.pec", 11}, {"h.phd", 15}, {"i.bmp", 16}, {"j.TXT", 17}, {"k.art", 0}, {"l.emb", 0},
               {"m.jan", 0},  {"n.doc", 0},  {"noext", 0}};
  for (const auto& c : cases) EXPECT_EQ(payloadFormatCode(c.path), c.code) << c.path;
  EmbDesign d;
  d.path = "x.jef";
  d.pesVersion = 3;
  EXPECT_EQ(payloadKindOf(d), 302);
}

TEST(DesignPayload, RoundTripsEveryCarriedField) {
  for (PayloadSide side : {PayloadSide::Host, PayloadSide::Plugin}) {
    const EmbDesign d = sampleDesign();
    EmbDesign back;
    back.text = "stale";
    ASSERT_EQ(readDesignPayload(*writeDesignPayload(d, side), back, side), PayloadRead::Whole);
    EXPECT_EQ(back.path, d.path);
    EXPECT_EQ(back.payloadKind, 5600);
    EXPECT_EQ(back.modifiedFlag, side == PayloadSide::Plugin ? 1 : 0);
    EXPECT_TRUE(back.text.empty());
    ASSERT_EQ(back.threads.size(), 2u);
    EXPECT_EQ(back.threads[0].displayName, kLongName.substr(0, 29));
    EXPECT_EQ(back.threads[0].brand, "Madeira");
    EXPECT_EQ(back.threads[0].code, "1000");
    EXPECT_EQ(back.threads[0].colorName, "Black");
    EXPECT_EQ(back.threads[0].chartCode, 0x400);  // the texts arrived: no guess from the name
    EXPECT_EQ(back.threads[1].rgb, 0x00FFEEDDu);
    EXPECT_EQ(back.threads[1].threadLength, 14);
    // Colour change and jump survive; the trim bit does not.
    ASSERT_EQ(back.stitches.size(), 4u);
    EXPECT_EQ(back.stitches[0], test::jump(5, 6));
    EXPECT_EQ(back.stitches[1], test::jump(-3, 4));
    EXPECT_EQ(back.stitches[2], test::colorChange());
    EXPECT_EQ(back.stitches[3], test::st(1, -1));
  }
}

TEST(DesignPayload, RoundTripsABuiltDesignAndAText) {
  EmbDesign d = test::makeDesign({test::jump(-300, 200), test::st(30000, -32768), test::st(-1, 1), test::colorChange(4, 4),
                                  test::st(2, 2), test::colorChange(), test::st(0, 0)});
  d.path = "Zip:/tmp/a.zip:b/c.dst";
  EmbDesign back;
  ASSERT_EQ(readDesignPayload(*writeDesignPayload(d, PayloadSide::Plugin), back, PayloadSide::Plugin), PayloadRead::Whole);
  EXPECT_EQ(back.stitches, d.stitches);
  ASSERT_EQ(back.threads.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back.threads[i].rgb, d.threads[i].rgb);
    EXPECT_EQ(back.threads[i].brand, "Embroidery");
  }
  EXPECT_EQ(back.payloadKind, 5);
  EXPECT_EQ(back.maxX, d.maxX);
  EXPECT_EQ(back.minY, d.minY);

  EmbDesign note;
  note.path = "/notes/read me.txt";
  note.text = "line one\nline two";
  ASSERT_EQ(readDesignPayload(*writeDesignPayload(note, PayloadSide::Host), back, PayloadSide::Host), PayloadRead::Whole);
  EXPECT_EQ(back.text, note.text);
  EXPECT_TRUE(back.threads.empty());
  EXPECT_TRUE(back.stitches.empty());
}

TEST(ThreadText, CutsTextsAtNinetyNineBytesAndTheirNul) {
  ThreadColor t;
  t.chartName = std::string(120, 'c');
  t.brand = std::string(98, 'b') + "\xC3\xA9";  // the two-byte character would end at byte 100
  t.code = std::string("12\0" "34", 5);
  t.colorName = std::string(99, 'n');
  const std::string text = threadText(std::span(&t, 1));
  EXPECT_EQ(text, "1ThreadColors\n99" + std::string(99, 'c') + "98" + std::string(98, 'b') + "0212" + "99" +
                      std::string(99, 'n') + "\n");
  ThreadColor back;
  EXPECT_EQ(applyThreadText(text, std::span(&back, 1)), 1u);
  EXPECT_EQ(back.chartName, std::string(99, 'c'));
  EXPECT_EQ(back.code, "12");
}

TEST(ThreadText, ReadsAsFarAsItsLinesAreWhole) {
  const struct {
    std::string text;
    std::optional<std::size_t> named;
  } cases[] = {
      {"1ThreadColors\n00020a01b00\n0001c0000\n", 2},
      {"1ThreadColors\n00020a01b00\n0001c0000", 2},                // last newline missing
      {"1ThreadColors\n00020a01b00\n0001c00", 1},                  // second line cut short
      {"1ThreadColors\n00020a01b00\n0001c0009zz\n", 1},           // length past the end
      {"1ThreadColors\n00020a01b00\n0x01c0000\n", 1},             // a length that is not two digits
      {"1ThreadColors\n00020a01b00X0001c0000\n", 1},               // no newline between lines
      {"1ThreadColors\n00020a01b00\n0001c0000\n00000000\n", 2},  // an extra line is ignored
      {"1ThreadColors\n", 0},
      {"2ThreadColors\n00020a01b00\n", std::nullopt},
      {"1ThreadColors", std::nullopt},
  };
  for (const auto& c : cases) {
    std::vector<ThreadColor> threads(2);
    EXPECT_EQ(applyThreadText(c.text, threads), c.named) << c.text;
    if (c.named.value_or(0) >= 1) {
      EXPECT_EQ(threads[0].brand, "0a");
      EXPECT_EQ(threads[0].code, "b");
    }
    if (c.named.value_or(0) < 2) {
      EXPECT_TRUE(threads[1].brand.empty()) << c.text;
    } else {
      EXPECT_EQ(threads[1].brand, "c");
    }
  }
}

TEST(DesignPayload, HostGuessesPesChartsWithoutThreadTexts) {
  auto block = [](std::int32_t kind, std::string_view text) {
    PayloadBytes b;
    b.i32(kind).i32(0).cstr("x").zeros(16).i32(1).thread(0, 0, 0x123456, 7, "Sulky 1005").i32(0);
    if (!text.empty()) b.cstr(text);
    return b.take();
  };
  const struct {
    std::int32_t kind;
    std::string text;
    PayloadSide side;
    std::int32_t chart;
  } cases[] = {
      {5600, "", PayloadSide::Host, ChartSulkyRayon},
      {5600, "not a thread text", PayloadSide::Host, ChartSulkyRayon},
      {5600, "1ThreadColors\n00000000\n", PayloadSide::Host, 7},
      {5600, "", PayloadSide::Plugin, 7},
      {5, "", PayloadSide::Host, 7},
  };
  for (const auto& c : cases) {
    EmbDesign d;
    ASSERT_NE(readDesignPayload(block(c.kind, c.text), d, c.side), PayloadRead::Refused);
    ASSERT_EQ(d.threads.size(), 1u);
    EXPECT_EQ(d.threads[0].chartCode, c.chart) << c.kind << " '" << c.text << "'";
  }
}

// Every prefix of a block: refused until the thread entries are whole, then partial, except
// where it ends with the stitches (the thread text is optional); the refused ones leave the
// design as it was.
TEST(DesignPayload, TruncatedBlocks) {
  const ByteBuffer block = *writeDesignPayload(sampleDesign(), PayloadSide::Host);
  const std::size_t threadsEnd = 8 + 18 + 16 + 4 + 2 * 46;
  const std::size_t stitchesEnd = threadsEnd + 4 + 4 * 5;
  for (std::size_t n = 0; n < block.size(); ++n) {
    EmbDesign d = test::makeDesign({test::st(1, 1)});
    d.path = "untouched";
    const PayloadRead read = readDesignPayload(ByteSpan(block).first(n), d, PayloadSide::Host);
    if (n < threadsEnd) {
      EXPECT_EQ(read, PayloadRead::Refused) << n;
      EXPECT_EQ(d.path, "untouched");
      EXPECT_EQ(d.stitches.size(), 1u);
    } else {
      EXPECT_EQ(read, n == stitchesEnd ? PayloadRead::Whole : PayloadRead::Partial) << n;
      EXPECT_EQ(d.threads.size(), 2u);
      EXPECT_EQ(d.stitches.size(), std::min<std::size_t>(4, n < threadsEnd + 4 ? 0 : (n - threadsEnd - 4) / 5));
    }
  }
}

TEST(DesignPayload, CountsThatDoNotFit) {
  auto head = [] { return PayloadBytes().i32(0).i32(0).cstr("p").zeros(16); };
  const struct {
    const char* what;
    ByteBuffer block;
    PayloadRead read;
    std::size_t stitches;
  } cases[] = {
      {"path without NUL", PayloadBytes().i32(0).i32(0).raw("path").take(), PayloadRead::Refused, 0},
      {"negative thread count", head().i32(-1).i32(0).take(), PayloadRead::Refused, 0},
      {"thread count past the end", head().i32(2).thread(0, 0, 0, 0, "").i32(0).take(), PayloadRead::Refused, 0},
      {"largest thread count", head().i32(0x7FFFFFFF).zeros(100).take(), PayloadRead::Refused, 0},
      {"negative stitch count", head().i32(0).i32(-5).stitch(0, 1, 1).take(), PayloadRead::Refused, 0},
      {"largest stitch count", head().i32(0).i32(0x7FFFFFFF).stitch(0, 1, 1).stitch(0, 2, 2).u8(0).take(),
       PayloadRead::Partial, 2},
      {"stitch count missing", head().i32(0).take(), PayloadRead::Partial, 0},
      {"text without NUL", head().i32(0).i32(1).stitch(1, 0, 0).raw("abc").take(), PayloadRead::Partial, 1},
      {"bad thread text", head().i32(1).thread(0, 0, 0, 0, "").i32(0).cstr("1ThreadColors\n0").take(),
       PayloadRead::Partial, 0},
      {"no thread text", head().i32(0).i32(1).stitch(1, 0, 0).take(), PayloadRead::Whole, 1},
  };
  for (const auto& c : cases) {
    EmbDesign d;
    EXPECT_EQ(readDesignPayload(c.block, d, PayloadSide::Host), c.read) << c.what;
    EXPECT_EQ(d.stitches.size(), c.stitches) << c.what;
  }
  EmbDesign d;
  readDesignPayload(head().i32(0).i32(0).raw("abc").take(), d, PayloadSide::Host);
  EXPECT_EQ(d.text, "abc");
}

}  // namespace
}  // namespace lh
