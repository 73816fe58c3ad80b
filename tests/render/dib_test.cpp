#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "render/cdib.h"
#include "render/renderer.h"
#include "tests/support/design_builder.h"

namespace lh {
namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16)) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A design whose buffer is filled by hand (slot = (x + y) % (top + 1)), bound to `pal`.
EmbDesign handFilled(PaletteManager& pal, int w, int h, int top) {
  EmbDesign d = test::makeDesign({test::st(5, 5)});
  usePalette(d, &pal);
  setSize(d, w, h);
  DesignBitmap& b = d;
  b.pixels.resize(static_cast<std::size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.pixels[static_cast<std::size_t>(y * w + x)] = static_cast<std::uint8_t>((x + y) % (top + 1));
  return d;
}

TEST(BuildDib, BottomUpPaddedRowsAndColorTable) {
  PaletteManager pal;
  pal.addColour(255, 0, 0);  // slot 1
  EmbDesign d = handFilled(pal, 201, 3, 2);
  DesignBitmap& b = d;
  b.width = 201;  // as a hand-made buffer: odd width
  b.pixels.resize(201 * 3);
  const std::vector<std::uint8_t> rows = b.pixels;
  ASSERT_TRUE(buildDib(d));
  EXPECT_TRUE(b.pixels.empty());  // released
  EXPECT_EQ(b.dibColours, 3);
  EXPECT_EQ(b.dibInfo.header.sizeImage, 204u * 3u);
  ASSERT_EQ(b.dibBits.size(), 204u * 3u);
  for (int j = 0; j < 3; ++j)
    EXPECT_EQ(0, std::memcmp(b.dibBits.data() + (2 - j) * 204, rows.data() + j * 201, 201)) << j;
  EXPECT_EQ(b.dibBits[203], 0);  // padding
  // RGB quads as 0x00RRGGBB: black, red, and a free slot read as white.
  EXPECT_EQ(b.dibInfo.colors, (std::vector<std::uint32_t>{0x000000, 0xFF0000, 0xFFFFFF}));
}

TEST(BuildDib, RendersFirstWhenThereIsNoBufferAndNeedsTwoColors) {
  PaletteManager pal;
  EmbDesign d = test::makeDesign({});
  usePalette(d, &pal);
  setSize(d, 201, 10);
  setBackground(d, 0);
  ASSERT_TRUE(buildDib(d));
  const DesignBitmap& b = d;
  EXPECT_EQ(b.width, 202);
  EXPECT_EQ(b.dibInfo.header.width, 202);
  EXPECT_EQ(b.dibBits.size(), 204u * 10u);
  EXPECT_EQ(b.dibColours, 2);
  EXPECT_EQ(b.dibInfo.header.clrUsed, 2u);

  d.holdsPicture = true;
  EXPECT_FALSE(buildDib(d));
  EXPECT_TRUE(toBmpFile(d).empty());
}

TEST(ToBmpFile, LaysOutHeadersTableAndRows) {
  PaletteManager pal;
  for (int i = 1; i <= 40; ++i) pal.addColour(i * 6, 255 - i * 6, 128, -1, true, true);
  EmbDesign d = handFilled(pal, 256, 256, 40);
  const std::vector<std::uint8_t> bmp = toBmpFile(d);
  ASSERT_EQ(bmp.size(), 65536u + 164u + 54u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(le32(bmp, 2), 65536u + 164u + 54u);
  EXPECT_EQ(le32(bmp, 6), 0u);
  EXPECT_EQ(le32(bmp, 10), 218u);
  const std::uint32_t info[] = {40, 256, 256, 0x00080001, 0, 65536, 0, 0, 41, 0};
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(le32(bmp, 14 + 4 * i), info[i]) << "header field " << i;
  // slot 1 = (6, 249, 128) quantised to (0, 255, 135): stored blue, green, red, 0
  EXPECT_EQ(le32(bmp, 54 + 4), 0x0000FF87u);
  // the first file row is the bottom buffer row (y = 255): slot (x + 255) % 41
  EXPECT_EQ(bmp[218], 255 % 41);
  EXPECT_EQ(bmp[218 + 1], 256 % 41);
  EXPECT_EQ(bmp[218 + 255 * 256], 0);  // the top buffer row comes last
  const DesignBitmap& b = d;
  EXPECT_TRUE(b.dibBits.empty());
}

TEST(ToBmpFile, AFullPaletteShowsByte255AsWhite) {
  PaletteManager pal;
  EmbDesign d = test::makeDesign({test::st(10, 0)}, {rgbOf(1, 200, 200)});
  usePalette(d, &pal);
  setSize(d, 16, 16);
  pal.addColour(255, 255, 255);
  for (int i = 2; i < PaletteManager::kSlots; ++i) pal.addColour(i, 0, 0, -1, true, true);
  const std::vector<std::uint8_t> bmp = toBmpFile(d);
  ASSERT_EQ(le32(bmp, 14 + 32), 256u);
  EXPECT_EQ(le32(bmp, 54 + 4 * 255), 0x00FFFFFFu);
  EXPECT_EQ(le32(bmp, 54 + 4 * 240), 0x00FFFFFFu);  // never-used slots read as white
  EXPECT_EQ(le32(bmp, 54 + 4 * 2), 0x00000000u);   // (2, 0, 0) quantised to black
}

TEST(DeviceBitmap, DroppedByRenderAndPaletteSwitch) {
  PaletteManager a, b;
  EmbDesign d = test::makeDesign({test::st(10, 0)});
  usePalette(d, &a);
  setSize(d, 16, 16);
  d.deviceBitmapValid = true;
  render(d);
  EXPECT_FALSE(d.deviceBitmapValid);
  d.deviceBitmapValid = true;
  usePalette(d, &b);
  EXPECT_EQ(d.palette, &b);
  EXPECT_FALSE(d.deviceBitmapValid);
  d.deviceBitmapValid = true;
  dropDeviceBitmap(d);
  EXPECT_FALSE(d.deviceBitmapValid);
}

std::vector<std::uint8_t> sampleBmp() {
  PaletteManager pal;
  EmbDesign d = test::makeDesign({test::st(30, 10), test::colorChange(), test::st(-10, 20)});
  usePalette(d, &pal);
  setSize(d, 37, 21);
  return toBmpFile(d);
}

TEST(CDib, ReadsWhatToBmpFileWritesAndWritesItBack) {
  const std::vector<std::uint8_t> bmp = sampleBmp();
  CDib dib;
  ASSERT_EQ(dib.readFromMemory(bmp), bmp.size());
  EXPECT_EQ(dib.width(), 38);
  EXPECT_EQ(dib.height(), 21);
  EXPECT_EQ(dib.colourCount(), static_cast<int>(le32(bmp, 46)));
  EXPECT_EQ(dib.paletteSize(), dib.colourCount() * 4);
  EXPECT_EQ(dib.bits().size(), 40u * 21u);
  EXPECT_EQ(dib.palette().size(), static_cast<std::size_t>(dib.colourCount()));
  EXPECT_EQ(dib.palette()[0], 0u);
  EXPECT_EQ(dib.write(), bmp);

  CDib copy;
  copy.copyFrom(dib);
  EXPECT_EQ(copy.write(), bmp);
  EXPECT_EQ(copy.palette(), dib.palette());
}

TEST(CDib, ColorCountFromHeaderOrBitDepth) {
  std::vector<std::uint8_t> bmp = sampleBmp();
  const struct {
    std::uint16_t bits;
    std::uint32_t used;
    int colors;
  } cases[] = {{8, 0, 256}, {8, 7, 7}, {4, 0, 16}, {1, 0, 2}, {24, 0, 0}, {32, 0, 0}};
  for (const auto& c : cases) {
    std::vector<std::uint8_t> f = bmp;
    f[28] = static_cast<std::uint8_t>(c.bits);
    put32(f, 46, c.used);
    put32(f, 18, 10);  // narrow enough for the rows of every depth to fit
    CDib dib;
    ASSERT_NE(dib.readFromMemory(f), 0u) << c.bits;
    EXPECT_EQ(dib.colourCount(), c.colors) << c.bits;
    EXPECT_GE(dib.info().size(), 40u + static_cast<std::size_t>(c.colors) * 4) << c.bits;  // short tables read as zeros
  }
}

TEST(CDib, RejectsDamagedFilesWithoutKeepingAnything) {
  const std::vector<std::uint8_t> good = sampleBmp();
  using Edit = void (*)(std::vector<std::uint8_t>&);
  const struct {
    const char* name;
    Edit edit;
  } cases[] = {
      {"not BM", [](std::vector<std::uint8_t>& f) { f[1] = 'A'; }},
      {"short file header", [](std::vector<std::uint8_t>& f) { f.resize(13); }},
      {"empty", [](std::vector<std::uint8_t>& f) { f.clear(); }},
      {"bits offset past the end", [](std::vector<std::uint8_t>& f) { put32(f, 10, static_cast<std::uint32_t>(f.size() + 1)); }},
      {"bits offset inside the header", [](std::vector<std::uint8_t>& f) { put32(f, 10, 40); }},
      {"huge bits offset", [](std::vector<std::uint8_t>& f) { put32(f, 10, 0xFFFFFFF0u); }},
      {"core header", [](std::vector<std::uint8_t>& f) { put32(f, 14, 12); }},
      {"header larger than offset", [](std::vector<std::uint8_t>& f) { put32(f, 14, 4000); }},
      {"rows cut short", [](std::vector<std::uint8_t>& f) { f.pop_back(); }},
      {"zero width", [](std::vector<std::uint8_t>& f) { put32(f, 18, 0); }},
      {"negative width", [](std::vector<std::uint8_t>& f) { put32(f, 18, 0xFFFFFFFFu); }},
      {"zero height", [](std::vector<std::uint8_t>& f) { put32(f, 22, 0); }},
      {"giant size", [](std::vector<std::uint8_t>& f) { put32(f, 18, 0x7FFFFFFF); put32(f, 22, 0x7FFFFFFF); }},
      {"most negative height", [](std::vector<std::uint8_t>& f) { put32(f, 22, 0x80000000u); }},
      {"odd bit depth", [](std::vector<std::uint8_t>& f) { f[28] = 7; }},
      {"too many colours", [](std::vector<std::uint8_t>& f) { put32(f, 46, 257); }},
      {"unknown compression", [](std::vector<std::uint8_t>& f) { put32(f, 30, 4); }},
      {"RLE image larger than the data", [](std::vector<std::uint8_t>& f) { put32(f, 30, 1); put32(f, 34, 100000); }},
  };
  CDib dib;
  ASSERT_NE(dib.readFromMemory(good), 0u);
  for (const auto& c : cases) {
    std::vector<std::uint8_t> f = good;
    c.edit(f);
    EXPECT_EQ(dib.readFromMemory(f), 0u) << c.name;
    EXPECT_FALSE(dib.valid()) << c.name;
    EXPECT_TRUE(dib.write().empty()) << c.name;
    EXPECT_EQ(dib.width(), 0) << c.name;
  }
  // A top-down bitmap (negative height) with full rows is fine.
  std::vector<std::uint8_t> topDown = good;
  put32(topDown, 22, static_cast<std::uint32_t>(-21));
  EXPECT_EQ(dib.readFromMemory(topDown), topDown.size());
  EXPECT_EQ(dib.height(), -21);
}

TEST(CDib, BitFieldMasksSurviveAWriteBack) {
  // 2 x 2, 32 bits per pixel, channel masks after a 40-byte header.
  std::vector<std::uint8_t> f(14 + 40 + 12 + 16, 0);
  f[0] = 'B';
  f[1] = 'M';
  put32(f, 2, static_cast<std::uint32_t>(f.size()));
  put32(f, 10, 66);
  put32(f, 14, 40);
  put32(f, 18, 2);
  put32(f, 22, 2);
  f[26] = 1;
  f[28] = 32;
  put32(f, 30, 3);
  put32(f, 34, 16);
  put32(f, 54, 0x00FF0000);
  put32(f, 58, 0x0000FF00);
  put32(f, 62, 0x000000FF);
  for (std::size_t i = 66; i < f.size(); ++i) f[i] = static_cast<std::uint8_t>(i);
  CDib dib;
  ASSERT_EQ(dib.readFromMemory(f), f.size());
  EXPECT_EQ(dib.colourCount(), 0);
  EXPECT_EQ(dib.write(), f);
}

TEST(CDib, ReadsFilesFromDisk) {
  const std::vector<std::uint8_t> bmp = sampleBmp();
  const std::string path = ::testing::TempDir() + "cdib_read_test.bmp";
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  }
  CDib dib;
  EXPECT_EQ(dib.read(path), bmp.size());
  EXPECT_EQ(dib.write(), bmp);
  std::remove(path.c_str());
  EXPECT_EQ(dib.read("/nonexistent/file.bmp"), 0u);
  EXPECT_FALSE(dib.valid());
}

TEST(CDib, PaintFitsTheSourceKeepingItsProportions) {
  const struct {
    DibRect dest, src;
    DibRect fit;
    bool unscaled;
  } cases[] = {
      {{0, 0, 200, 200}, {0, 0, 100, 50}, {0, 50, 200, 150}, false},
      {{0, 0, 200, 200}, {0, 0, 50, 100}, {50, 0, 150, 200}, false},
      {{10, 20, 110, 70}, {0, 0, 100, 50}, {10, 20, 110, 70}, true},
      {{0, 0, 49, 48}, {0, 0, 49, 48}, {0, 0, 48, 48}, false},  // odd width: halves truncate
      {{0, 0, 300, 100}, {0, 0, 30, 20}, {75, 0, 225, 100}, false},
  };
  for (const auto& c : cases) {
    const auto plan = CDib::paintPlan(c.dest, c.src);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->dest, c.fit) << c.fit.left << "," << c.fit.top << "," << c.fit.right << "," << c.fit.bottom;
    EXPECT_EQ(plan->unscaled, c.unscaled);
  }
  EXPECT_FALSE(CDib::paintPlan({0, 0, 0, 100}, {0, 0, 10, 10}));
  EXPECT_FALSE(CDib::paintPlan({0, 0, 100, 100}, {0, 0, 10, 0}));
  EXPECT_FALSE(CDib::paintPlan({5, 5, 0, 100}, {0, 0, 10, 10}));
}

TEST(SetPicture, SwitchesToPictureModeOnlyForValidBitmaps) {
  const std::vector<std::uint8_t> bmp = sampleBmp();
  PaletteManager pal;
  EmbDesign d = test::makeDesign({test::st(10, 0)});
  usePalette(d, &pal);
  setSize(d, 16, 16);
  std::vector<std::uint8_t> junk = bmp;
  junk[0] = 'X';
  EXPECT_FALSE(setPicture(d, junk));
  EXPECT_FALSE(d.holdsPicture);
  EXPECT_TRUE(d.picture.empty());

  ASSERT_TRUE(setPicture(d, bmp));
  EXPECT_TRUE(d.holdsPicture);
  EXPECT_EQ(d.picture, bmp);
  EXPECT_FALSE(render(d));
  EXPECT_TRUE(static_cast<DesignBitmap&>(d).pixels.empty());

  EmbDesign copy(d);
  EXPECT_TRUE(copy.holdsPicture);
  EXPECT_EQ(copy.picture, bmp);
}

}  // namespace
}  // namespace lh
