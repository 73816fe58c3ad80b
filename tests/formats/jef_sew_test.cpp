#include "formats/jef_sew.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/palette_manager.h"
#include "render/renderer.h"
#include "tests/support/design_builder.h"
#include "threads/format_palettes.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::sewnPoints;
using test::st;

std::int32_t i32At(const ByteBuffer& b, std::size_t at) {
  ByteReader r(b, at);
  return r.i32le();
}
std::uint16_t u16At(const ByteBuffer& b, std::size_t at) {
  ByteReader r(b, at);
  return r.u16le();
}
bool contains(const ByteBuffer& haystack, std::initializer_list<std::uint8_t> needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// A JEF image with the given Janome codes and stream (colour count from the codes unless given).
ByteBuffer jefFile(std::vector<int> codes, std::vector<std::uint8_t> stream, int colorCount = -1) {
  ByteWriter w;
  const std::size_t streamAt = 116 + 8 * codes.size();
  w.u32le(static_cast<std::uint32_t>(streamAt));
  w.fill(0, 20);
  w.u32le(static_cast<std::uint32_t>(colorCount < 0 ? static_cast<int>(codes.size()) : colorCount));
  w.fill(0, 116 - 28);
  for (int c : codes) w.u32le(static_cast<std::uint32_t>(c));
  for (std::size_t k = 0; k < codes.size(); ++k) w.u32le(13);
  w.bytes(stream);
  return w.take();
}

// A design whose needle positions span w x h (0.1 mm), in records short enough for JEF.
EmbDesign box(int w, int h) {
  EmbDesign d = makeDesign({st(0, 0)}, {0x0000FF});
  for (int x = 0; x < w; x += std::min(100, w - x)) d.stitches.push_back(st(std::min(100, w - x), 0));
  for (int y = 0; y < h; y += std::min(100, h - y)) d.stitches.push_back(st(0, std::min(100, h - y)));
  d.computeBounds();
  return d;
}

const JefDate kDate{2008, 8, 13, 17, 5, 9};

// The stream of a written JEF.
ByteBuffer jefStream(const ByteBuffer& f) { return ByteBuffer(f.begin() + i32At(f, 0), f.end()); }

TEST(JanomeStream, DecodesPairsAndCommands) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::vector<Stitch> records;
    std::size_t changes;
  };
  const Case cases[] = {
      {{0x01, 0x02, 0xFF, 0xFE}, {st(1, 2), st(-1, -2)}, 0},
      {{0x80, 0x01, 0x05, 0x06, 0x01, 0x00}, {colorChange(5, 6), st(1, 0)}, 1},
      {{0x80, 0x02, 0x7F, 0x81}, {jump(127, -127)}, 0},
      {{0x80, 0x03, 0x01, 0x02}, {st(1, 2)}, 0},                  // unknown command: a plain move
      {{0x01, 0x01, 0x80, 0x10, 0x05, 0x05}, {st(1, 1)}, 0},      // end mark stops the stream
      {{0x01, 0x01, 0x80, 0x02}, {st(1, 1), jump(0, 0)}, 0},      // command without its move
      {{0x01, 0x01, 0x02}, {st(1, 1)}, 0},                        // a lone last byte is not a pair
      {{0x80, 0x01, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00}, {colorChange(), colorChange()}, 2},
  };
  for (const Case& c : cases) {
    std::vector<Stitch> out;
    EXPECT_EQ(decodeJanomeStream(c.bytes, 0, out), c.changes);
    EXPECT_EQ(out, c.records) << testing::PrintToString(c.bytes);
  }
  std::vector<Stitch> out;
  EXPECT_EQ(decodeJanomeStream(ByteBuffer{0x01, 0x01}, 5, out), 0u);
  EXPECT_TRUE(out.empty());
}

TEST(ReadJef, ColorListFollowsTheColorChanges) {
  const std::vector<std::uint8_t> oneStitch = {0x0A, 0x00};
  const std::vector<std::uint8_t> change = {0x80, 0x01, 0x00, 0x00, 0x0A, 0x00};
  auto stream = [&](int changes) {
    std::vector<std::uint8_t> s = oneStitch;
    for (int i = 0; i < changes; ++i) s.insert(s.end(), change.begin(), change.end());
    s.insert(s.end(), {0x80, 0x10});
    return s;
  };
  DesignCodec codec;
  {  // 3 colours, 4 colour changes: two "Unknown" colours are added
    EmbDesign d;
    ASSERT_EQ(readJef(codec, d, jefFile({10, 2, 3}, stream(4))), ReadResult::Ok);
    ASSERT_EQ(d.threads.size(), 5u);
    EXPECT_EQ(d.threads[0].displayName, "Red");
    EXPECT_EQ(d.threads[0].chartCode, 10);
    EXPECT_EQ(d.threads[2].displayName, "Yellow");
    EXPECT_EQ(d.threads[3].displayName, "Unknown");
    EXPECT_EQ(d.threads[4].displayName, "Unknown");
    EXPECT_EQ(d.threads[4].rgb, 0u);
    EXPECT_EQ(d.colorChangeCount(), 4u);
  }
  {  // 3 colours, 1 colour change: the surplus colour goes
    EmbDesign d;
    ASSERT_EQ(readJef(codec, d, jefFile({10, 2, 3}, stream(1))), ReadResult::Ok);
    ASSERT_EQ(d.threads.size(), 2u);
    EXPECT_EQ(d.threads[1].displayName, "White");
  }
  {  // a stop just before the end mark opens no block and adds no colour
    EmbDesign d;
    std::vector<std::uint8_t> s = {0x0A, 0x00, 0x0A, 0x00, 0x80, 0x01, 0x00, 0x00, 0x80, 0x10};
    ASSERT_EQ(readJef(codec, d, jefFile({10}, s)), ReadResult::Ok);
    EXPECT_EQ(d.threads.size(), 1u);
    EXPECT_EQ(d.colorChangeCount(), 0u);
  }
  {  // a colour change before the first stitch takes the first colour with it
    EmbDesign d;
    std::vector<std::uint8_t> s = {0x80, 0x01, 0x00, 0x00, 0x0A, 0x00, 0x0A, 0x00, 0x80, 0x10};
    ASSERT_EQ(readJef(codec, d, jefFile({10, 2}, s)), ReadResult::Ok);
    ASSERT_EQ(d.threads.size(), 1u);
    EXPECT_EQ(d.threads[0].displayName, "White");
  }
}

TEST(ReadJefSew, RejectOnlyMoreThan100Colors) {
  DesignCodec codec;
  EmbDesign d;
  const std::vector<std::uint8_t> s = {0x0A, 0x00, 0x80, 0x10};
  EXPECT_EQ(readJef(codec, d, jefFile(std::vector<int>(101, 1), s)), ReadResult::Failed);
  EXPECT_EQ(readJef(codec, d, jefFile(std::vector<int>(100, 1), s)), ReadResult::Ok);
  ByteBuffer sew(7544, 0);
  sew[0] = 101;
  EXPECT_EQ(readSew(codec, d, sew), ReadResult::Failed);
  sew[0] = 100;
  EXPECT_EQ(readSew(codec, d, sew), ReadResult::Ok);
  // A truncated file reads as far as it goes.
  EXPECT_EQ(readJef(codec, d, ByteBuffer{0x74, 0, 0, 0, 0, 0}), ReadResult::Ok);
  EXPECT_TRUE(d.stitches.empty());
}

TEST(WriteJef, HoopCodeExtentsAndDistances) {
  struct Case {
    int w, h;  // 0.1 mm
    int hoop;
    std::array<int, 4> smallHoop;   // at 52
    std::array<int, 4> field;       // at 84 (and again at 100)
    int at4;
  };
  const Case cases[] = {
      {600, 600, 0, {250, 250, 250, 250}, {400, 700, 400, 700}, 10},
      {400, 400, 1, {350, 350, 350, 350}, {500, 800, 500, 800}, 10},
      {1500, 1500, 4, {-1, -1, -1, -1}, {-1, -1, -1, -1}, 20},
      {1500, 1000, 2, {-1, -1, -1, -1}, {-50, 500, -50, 500}, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    EmbDesign d = box(c.w, c.h);
    auto f = writeJef(d, kDate);
    ASSERT_TRUE(f);
    EXPECT_EQ(i32At(*f, 32), c.hoop);
    EXPECT_EQ(jefHoopCode(d), c.hoop);
    EXPECT_EQ(i32At(*f, 4), c.at4);
    const int hw = c.w / 2, hh = c.h / 2;
    EXPECT_EQ((std::array{i32At(*f, 36), i32At(*f, 40), i32At(*f, 44), i32At(*f, 48)}), (std::array{hw, hh, hw, hh}));
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(i32At(*f, 52 + 4 * i), c.smallHoop[i]);
      EXPECT_EQ(i32At(*f, 68 + 4 * i), -1);
      EXPECT_EQ(i32At(*f, 84 + 4 * i), c.field[i]);
      EXPECT_EQ(i32At(*f, 100 + 4 * i), c.field[i]);
    }
    // Stream length in words; hoop code 4 pads the file to a multiple of 4 (and 4 more).
    const std::size_t streamAt = static_cast<std::size_t>(i32At(*f, 0));
    EXPECT_EQ(streamAt, 116u + 8u);
    const std::size_t streamBytes = 2 * static_cast<std::size_t>(i32At(*f, 28));
    EXPECT_EQ((*f)[streamAt + streamBytes - 2], 0x80);
    EXPECT_EQ((*f)[streamAt + streamBytes - 1], 0x10);
    if (c.hoop == 4) {
      EXPECT_EQ(f->size(), (streamAt + streamBytes) / 4 * 4 + 4);
    } else {
      EXPECT_EQ(f->size(), streamAt + streamBytes);
    }
  }
}

TEST(WriteJef, HeaderColorsDateAndStreamWords) {
  EmbDesign d = makeDesign({st(10, 0), st(10, 0), colorChange(), st(0, 10), colorChange(), st(5, 5)},
                           {rgbOf(255, 0, 0), rgbOf(255, 255, 255), rgbOf(0, 0, 0)});
  auto f = writeJef(d, kDate);
  ASSERT_TRUE(f);
  EXPECT_EQ(i32At(*f, 0), 116 + 8 * 3);
  EXPECT_EQ(i32At(*f, 24), 3);
  EXPECT_EQ((std::array{i32At(*f, 116), i32At(*f, 120), i32At(*f, 124)}), (std::array{10, 2, 1}));
  EXPECT_EQ((std::array{i32At(*f, 128), i32At(*f, 132), i32At(*f, 136)}), (std::array{13, 13, 13}));
  // Well formed: records + jumps + 3 x colours words cover the whole stream.
  std::size_t jumps = 0;
  for (const Stitch& s : d.stitches) jumps += s.isJump();
  EXPECT_EQ(static_cast<std::size_t>(i32At(*f, 28)), d.stitches.size() + jumps + 3 * 3);
  EXPECT_EQ(2 * static_cast<std::size_t>(i32At(*f, 28)), f->size() - 140);
  // Every stream opens with a zero jump.
  const ByteBuffer s = jefStream(*f);
  EXPECT_EQ((ByteBuffer(s.begin(), s.begin() + 4)), (ByteBuffer{0x80, 0x02, 0x00, 0x00}));

  struct DateCase {
    JefDate date;
    std::string text;  // 14 bytes at offset 8
  };
  const DateCase dates[] = {
      {{2008, 8, 13, 17, 5, 9}, std::string("2008081317059\0", 14)},
      {{2008, 8, 13, 17, 5, 39}, "20080813170539"},
      {{2024, 12, 1, 0, 0, 0}, std::string("2024120100000\0", 14)},
  };
  for (const DateCase& c : dates) {
    EmbDesign copy = makeDesign({st(1, 1)});
    auto g = writeJef(copy, c.date);
    ASSERT_TRUE(g);
    EXPECT_EQ(std::string(g->begin() + 8, g->begin() + 22), c.text);
    EXPECT_EQ((*g)[22], 0);
    EXPECT_EQ((*g)[23], 0);
  }
}

TEST(WriteJef, RecordsWithinTheStreamLimits) {
  struct Case {
    const char* what;
    std::initializer_list<Stitch> records;
    std::initializer_list<std::uint8_t> bytes;
  };
  const Case cases[] = {
      // A colour change's move goes on as a jump; a run of jumps ends in one zero stitch (the
      // landing readers fold into the jumps) before the stitch after it.
      {"colour change with a move",
       {st(1, 0), colorChange(10, 0), st(1, 0)},
       {0x80, 0x01, 0x00, 0x00, 0x80, 0x02, 0x00, 0x00, 0x00, 0x00, 0x80, 0x02, 0x0A, 0x00, 0x00, 0x00, 0x01, 0x00}},
      {"move of 200",
       {st(1, 0), st(200, 0), st(1, 0)},
       {0x01, 0x00, 0x80, 0x02, 0x7E, 0x00, 0x00, 0x00, 0x4A, 0x00, 0x01, 0x00}},
      {"move of -300",
       {st(1, 0), st(0, -300), st(1, 0)},
       {0x80, 0x02, 0x00, 0x82, 0x80, 0x02, 0x00, 0x82, 0x00, 0x00, 0x00, 0xD0, 0x01, 0x00}},
      {"jump", {st(1, 0), jump(10, 0), st(1, 0)}, {0x01, 0x00, 0x80, 0x02, 0x0A, 0x00, 0x00, 0x00, 0x01, 0x00}},
      // The colour change's own zero jump is followed by a zero stitch too.
      {"colour change", {st(1, 0), colorChange(), st(2, 0)},
       {0x01, 0x00, 0x80, 0x01, 0x00, 0x00, 0x80, 0x02, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}},
  };
  for (const Case& c : cases) {
    EmbDesign d = makeDesign(c.records);
    auto f = writeJef(d, kDate);
    ASSERT_TRUE(f);
    EXPECT_TRUE(contains(jefStream(*f), c.bytes)) << c.what << ": " << testing::PrintToString(jefStream(*f));
  }
}

TEST(WriteJefSew, RefuseWhatTheFormatCannotHold) {
  DesignCodec codec;
  EmbDesign empty = makeDesign({});
  EXPECT_FALSE(writeJef(codec, empty));
  EmbDesign noColors = makeDesign({st(1, 1)});
  noColors.threads.clear();
  EXPECT_FALSE(writeJef(codec, noColors));
  EmbDesign empty2 = makeDesign({});
  EXPECT_FALSE(writeSew(codec, empty2));

  auto colors = [](int n) {
    EmbDesign d = makeDesign({st(5, 5)});
    for (int k = 1; k < n; ++k) d.stitches.insert(d.stitches.end(), {colorChange(), st(5, 5)});
    d.threads.assign(static_cast<std::size_t>(n), d.threads.front());
    return d;
  };
  EmbDesign thirteen = colors(13);
  EXPECT_FALSE(writeSew(codec, thirteen));
  EmbDesign twelve = colors(12);
  EXPECT_TRUE(writeSew(codec, twelve));
}

// Written, read back: the same needle positions, blocks and (Janome) colours.
TEST(JefSewRoundTrip, KeepsNeedlePositionsAndBlocks) {
  DesignCodec codec;
  const auto original = makeDesign({st(20, 5), st(-20, 5), jump(300, -40), st(5, 5), st(126, -126), colorChange(),
                                    jump(-500, 200), st(-3, 4), st(3, 4), jump(7, 0), st(1, 1), colorChange(), st(-126, 126)},
                                   {rgbOf(255, 0, 0), rgbOf(8, 44, 132), rgbOf(250, 250, 250)});
  for (const bool sew : {false, true}) {
    SCOPED_TRACE(sew ? "SEW" : "JEF");
    EmbDesign work(original);
    auto f = sew ? writeSew(codec, work) : writeJef(work, kDate);
    ASSERT_TRUE(f);
    EmbDesign back;
    ASSERT_EQ(sew ? readSew(codec, back, *f) : readJef(codec, back, *f), ReadResult::Ok);
    EXPECT_EQ(sewnPoints(back), sewnPoints(original));
    EXPECT_EQ(back.colorChangeCount(), 2u);
    ASSERT_EQ(back.threads.size(), 3u);
    EXPECT_EQ(back.threads[0].displayName, "Red");
    EXPECT_EQ(back.threads[1].displayName, "Blue");
    // (250, 250, 250) is nearest to "Ivory White" (255, 255, 247), not to "White".
    EXPECT_EQ(back.threads[2].displayName, "Ivory White");
    EXPECT_EQ(back.threads[2].rgb, janomeRgb(51));
  }
}

TEST(WriteSew, HeaderCountsAndStream) {
  DesignCodec codec;
  EmbDesign d = makeDesign({st(10, 0), st(10, 0), colorChange(), st(0, 10)}, {rgbOf(255, 0, 0), rgbOf(0, 0, 0)});
  auto f = writeSew(codec, d);
  ASSERT_TRUE(f);
  EXPECT_EQ(u16At(*f, 0), 2);
  EXPECT_EQ(u16At(*f, 2), 10);
  EXPECT_EQ(u16At(*f, 4), 1);
  // Centred, the head jump is (-15, -5); moved to the SEW origin it is (160, -105), cut at 127
  // into two jumps. Block 0: zero jump, the two jump pieces, the landing, two stitches = 6;
  // block 1: the colour change and one stitch, plus the end mark = 3.
  EXPECT_EQ(u16At(*f, 50), 6);
  EXPECT_EQ(u16At(*f, 52), 3);
  EXPECT_EQ(u16At(*f, 54), 0);
  const ByteBuffer stream(f->begin() + 7544, f->end());
  EXPECT_EQ(stream, (ByteBuffer{0x80, 0x02, 0x00, 0x00, 0x80, 0x02, 0x7F, 0x97, 0x80, 0x02, 0x21, 0x00, 0x00, 0x00,
                                0x0A, 0x00, 0x0A, 0x00, 0x80, 0x01, 0x00, 0x00, 0x00, 0x0A, 0x80, 0x10}));
}

// Icon slots: each block's 24 x 22 and 64 x 48 icons, the last block's 48 x 32 icon, and the
// outline of all blocks at 120 x 80.
TEST(WriteSew, BlockIconsAndOutline) {
  // Block 0 fills a square with a dense zigzag; block 1 is a line beside it.
  EmbDesign d = makeDesign({st(0, 0)}, {rgbOf(255, 0, 0), rgbOf(0, 0, 255)});
  for (int i = 0; i < 60; ++i) d.stitches.insert(d.stitches.end(), {st(200, 1), st(-200, 1)});
  d.stitches.insert(d.stitches.end(), {colorChange(), jump(300, 0), st(0, -100)});
  d.threads.push_back(test::thread(rgbOf(0, 0, 255)));
  EmbDesign centred(d);
  centred.centreDesign();

  DesignCodec codec;
  EmbDesign work(d);
  auto f = writeSew(codec, work);
  ASSERT_TRUE(f);
  EXPECT_EQ(work.palette, nullptr);  // the icon renders leave no palette behind

  PaletteManager palette;
  usePalette(centred, &palette);
  auto slot = [&](std::size_t at, std::size_t n) { return std::vector<std::uint8_t>(f->begin() + at, f->begin() + at + n); };
  std::vector<std::uint8_t> icon;
  for (int k = 0; k < 2; ++k) {
    renderBlockIcon(centred, k, icon, 24, 22);
    EXPECT_EQ(slot(268 + 68 * k, 68), icon) << "24 x 22, block " << k;
    renderBlockIcon(centred, k, icon, 64, 48);
    EXPECT_EQ(slot(1084 + 386 * k, 386), icon) << "64 x 48, block " << k;
  }
  EXPECT_GT(std::count_if(f->begin() + 270, f->begin() + 336, [](std::uint8_t b) { return b != 0; }), 0);
  EXPECT_EQ(slot(268 + 68 * 2, 68), std::vector<std::uint8_t>(68, 0));
  renderBlockIcon(centred, 1, icon, 48, 32);
  EXPECT_EQ(slot(74, 194), icon);

  // The outline: a pixel of the union of the blocks stays exactly when some pixel of its
  // 3 x 3 neighbourhood is clear.
  std::vector<std::uint8_t> all(1200, 0);
  for (int k = 0; k < 2; ++k) {
    renderBlockIcon(centred, k, icon, 120, 80);
    for (std::size_t i = 0; i < 1200; ++i) all[i] |= icon[i + 2];
  }
  auto bit = [](const std::vector<std::uint8_t>& b, int x, int y, std::size_t skip) {
    return (b[skip + static_cast<std::size_t>(y * 15 + x / 8)] >> (7 - x % 8)) & 1;
  };
  const std::vector<std::uint8_t> outline = slot(6102, 1200);
  EXPECT_EQ(outline[0], 15);
  EXPECT_EQ(outline[1], 80);
  int interior = 0, edges = 0;
  for (int y = 1; y < 79; ++y) {
    for (int x = 1; x < 119; ++x) {
      bool full = true;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) full = full && bit(all, x + dx, y + dy, 0);
      const int expected = bit(all, x, y, 0) && !full;
      interior += full;
      edges += expected;
      ASSERT_EQ(bit(outline, x, y, 2), expected) << x << "," << y;
    }
  }
  EXPECT_GT(interior, 20);
  EXPECT_GT(edges, 20);
}

}  // namespace
}  // namespace lh
