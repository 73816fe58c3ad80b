#include "render/renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::st;

// A design bound to its own palette, with a buffer size set.
struct Fixture {
  PaletteManager palette;
  EmbDesign design;

  Fixture(EmbDesign d, int w, int h) : design(std::move(d)) {
    usePalette(design, &palette);
    setSize(design, w, h);
  }
  const DesignBitmap& bitmap() const { return design; }
  int at(int x, int y) const {
    const DesignBitmap& b = design;
    return b.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(b.width) + static_cast<std::size_t>(x)];
  }
  std::uint32_t colorAt(int x, int y) const { return palette.colourOf(at(x, y)).value_or(0xFFFFFFFFu); }
  int count(int slot) const {
    return static_cast<int>(std::count(bitmap().pixels.begin(), bitmap().pixels.end(), static_cast<std::uint8_t>(slot)));
  }
};

void setBounds(EmbDesign& d, int maxX, int minX, int maxY, int minY) {
  d.maxX = maxX;
  d.minX = minX;
  d.maxY = maxY;
  d.minY = minY;
}

// A bare buffer for the line primitives.
DesignBitmap canvas(int w, int h) {
  DesignBitmap b;
  b.width = w;
  b.height = h;
  b.pixels.assign(static_cast<std::size_t>(w * h), 0);
  return b;
}
std::set<std::pair<int, int>> plotted(const DesignBitmap& b) {
  std::set<std::pair<int, int>> s;
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x)
      if (b.pixels[static_cast<std::size_t>(y * b.width + x)] != 0) s.insert({x, y});
  return s;
}

TEST(DrawLine, TruncatesClipsAndLeavesTheEndPoint) {
  using Px = std::set<std::pair<int, int>>;
  const struct {
    int x0, y0, x1, y1;
    bool thick;
    Px expect;
  } cases[] = {
      {0, 0, 4, 2, false, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
      {4, 2, 0, 0, false, {{4, 2}, {3, 1}, {2, 1}, {1, 0}}},
      {3, 3, 3, 3, false, {}},
      {1, 6, 3, 0, false, {{1, 6}, {1, 5}, {1, 4}, {2, 3}, {2, 2}, {2, 1}}},
      {5, 0, 2, 6, false, {{5, 0}, {4, 1}, {4, 2}, {3, 3}, {3, 4}, {2, 5}}},
      // (-0.5 truncates to row 0 and is drawn; -1 and below are not)
      {0, 0, 4, -2, false, {{0, 0}, {1, 0}}},
      {-3, 1, 3, 1, false, {{0, 1}, {1, 1}, {2, 1}}},
      // the two right-hand columns and bottom rows are never written (room for thick pixels)
      {0, 5, 10, 5, false, {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}}},
      {2, 0, 2, 10, false, {{2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {2, 6}, {2, 7}}},
      {2, 2, 3, 2, true, {{2, 2}, {3, 2}, {2, 3}, {3, 3}}},
      {7, 7, 9, 9, true, {{7, 7}, {8, 7}, {7, 8}, {8, 8}}},
      {-100000, 5, -50000, 5, false, {}},
  };
  for (const auto& c : cases) {
    DesignBitmap b = canvas(10, 10);
    drawLine(b, c.x0, c.y0, c.x1, c.y1, 7, c.thick);
    EXPECT_EQ(plotted(b), c.expect) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
  }
}

TEST(DrawLine, FarOutsideEndPointsDrawOnlyTheVisiblePart) {
  DesignBitmap b = canvas(10, 10);
  drawLine(b, -1000000000, 4, 1000000000, 4, 3, false);
  EXPECT_EQ(plotted(b).size(), 8u);
  DesignBitmap c = canvas(10, 10);
  drawLine(c, -1000000000, -1000000000, 1000000000, 1000000000, 3, false);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(c.pixels[static_cast<std::size_t>(i * 10 + i)], 3) << i;
  EXPECT_EQ(plotted(c).size(), 8u);
}

// Straight from the definition: n pixels at (x0 + k dx / n, y0 + k dy / n), guarded, truncated.
DesignBitmap referenceLine(int w, int h, int x0, int y0, int x1, int y1, bool thick) {
  DesignBitmap b = canvas(w, h);
  const int dx = x1 - x0, dy = y1 - y0, n = std::max(std::abs(dx), std::abs(dy));
  for (int k = 0; k < n; ++k) {
    const double x = x0 + static_cast<double>(k * dx) / n, y = y0 + static_cast<double>(k * dy) / n;
    if (!(x > -1 && y > -1 && y < h - 2 && x < w - 2)) continue;
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    for (int t = 0; t < (thick ? 4 : 1); ++t)
      b.pixels[static_cast<std::size_t>((iy + t / 2) * w + ix + t % 2)] = 5;
  }
  return b;
}

TEST(DrawLine, MatchesTheDefinitionInsideAndAcrossTheEdges) {
  std::uint32_t seed = 12345;
  auto next = [&](int lo, int hi) {
    seed = seed * 1103515245u + 12345u;
    return lo + static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(hi - lo + 1));
  };
  for (int i = 0; i < 3000; ++i) {
    const int x0 = next(-30, 70), y0 = next(-30, 60), x1 = next(-30, 70), y1 = next(-30, 60);
    const bool thick = i % 2;
    DesignBitmap b = canvas(40, 31);
    drawLine(b, x0, y0, x1, y1, 5, thick);
    ASSERT_EQ(b.pixels, referenceLine(40, 31, x0, y0, x1, y1, thick).pixels)
        << x0 << "," << y0 << " -> " << x1 << "," << y1 << (thick ? " thick" : "");
  }
}

TEST(DrawShadedLine, ShadesFollowThePositionAlongTheStitch) {
  DesignBitmap b = canvas(120, 4);
  drawShadedLine(b, 0, 0, 100, 0, 10, 11, 12, 13, false);
  const struct {
    int x, slot;
  } cases[] = {{0, 10},  {1, 13},  {4, 13},  {5, 12},  {19, 12}, {20, 11}, {40, 11}, {41, 10}, {50, 10},
               {59, 10}, {60, 11}, {80, 11}, {81, 12}, {95, 12}, {96, 13}, {99, 13}, {100, 0}};
  for (const auto& c : cases) EXPECT_EQ(b.pixels[static_cast<std::size_t>(c.x)], c.slot) << "pixel " << c.x;

  // A 5-pixel stitch: first pixel bright, the others at exactly 1/5 and 2/5 from an end.
  DesignBitmap s = canvas(10, 4);
  drawShadedLine(s, 6, 1, 1, 1, 10, 11, 12, 13, false);
  EXPECT_EQ(std::vector<int>(s.pixels.begin() + 12, s.pixels.begin() + 17), (std::vector<int>{11, 11, 11, 11, 10}));
}

TEST(Render, ScaleAndOriginFollowTheLargerExtent) {
  Fixture f(makeDesign({st(50, 0)}, {0x0000FF}), 200, 200);
  setBounds(f.design, 50, -50, 25, -25);
  ASSERT_TRUE(render(f.design));
  EXPECT_FLOAT_EQ(f.design.scale, 1.88f);
  const int red = f.design.threads[0].paletteIndex;
  EXPECT_EQ(f.colorAt(0, 0), 0xFFFFFFu);
  EXPECT_EQ(f.bitmap().backgroundSlot, f.at(0, 0));
  EXPECT_EQ(f.at(98, 99), f.bitmap().backgroundSlot);
  EXPECT_EQ(f.at(99, 99), red);  // the origin
  EXPECT_EQ(f.at(192, 99), red);
  EXPECT_EQ(f.at(193, 99), f.bitmap().backgroundSlot);  // 99 + 94: the end point
  EXPECT_EQ(f.count(red), 94);
}

TEST(Render, AsymmetricAndFlatExtents) {
  // maxX 300 decides the X scale; the picture stays centred on the origin.
  Fixture a(makeDesign({st(-100, 0)}), 200, 200);
  setBounds(a.design, 300, -100, 0, 0);
  render(a.design);
  EXPECT_FLOAT_EQ(a.design.scale, 188.0f / 600.0f);
  const int slot = a.design.threads[0].paletteIndex;
  EXPECT_EQ(a.at(99, 99), slot);
  EXPECT_EQ(a.at(68, 99), slot);
  EXPECT_EQ(a.at(67, 99), a.bitmap().backgroundSlot);
  EXPECT_EQ(a.count(slot), 32);

  // A vertical design: X sets no limit.
  Fixture v(makeDesign({st(0, 20)}), 100, 60);
  setBounds(v.design, 0, 0, 20, 0);
  render(v.design);
  EXPECT_FLOAT_EQ(v.design.scale, 48.0f / 40.0f);
  EXPECT_EQ(v.count(v.design.threads[0].paletteIndex), 24);

  // No extent at all: nothing drawn, scale untouched.
  Fixture z(makeDesign({st(0, 0), st(0, 0)}), 64, 64);
  setBounds(z.design, 0, 0, 0, 0);
  z.design.scale = 3.5f;
  ASSERT_TRUE(render(z.design));
  EXPECT_EQ(z.count(z.bitmap().backgroundSlot), 64 * 64);
  EXPECT_EQ(z.design.scale, 3.5f);
}

TEST(Render, JumpsShowOnlyWhenAskedAndInTheirBlockColor) {
  for (bool show : {false, true}) {
    Fixture f(makeDesign({jump(20, 0), st(20, 0)}, {0x00FF00}), 100, 100);
    setBounds(f.design, 40, 0, 0, 0);  // scale 1.1: 22 pixels per move
    f.design.showJumps = show;
    render(f.design);
    const int green = f.design.threads[0].paletteIndex;
    EXPECT_EQ(f.at(49, 49) == f.bitmap().backgroundSlot, !show) << show;  // the origin lies on the jump
    EXPECT_EQ(f.at(80, 49), green);
    EXPECT_EQ(f.count(green), show ? 44 : 22);
  }
}

TEST(Render, WhiteThreadIsDrawnLightGreyAndBlocksTakeTheirColors) {
  Fixture f(makeDesign({st(10, 0), colorChange(), st(10, 0), colorChange(), st(10, 0)},
                       {0xFFFFFF, rgbOf(104, 98, 101), rgbOf(100, 100, 100)}),
            64, 64);
  render(f.design);
  const auto& t = f.design.threads;
  EXPECT_EQ(f.palette.colourOf(t[0].paletteIndex), rgbOf(240, 240, 240));
  EXPECT_EQ(f.palette.colourOf(t[1].paletteIndex), rgbOf(105, 105, 105));
  EXPECT_EQ(t[1].paletteIndex, t[2].paletteIndex);
  EXPECT_NE(t[0].paletteIndex, f.bitmap().backgroundSlot);
}

TEST(Render, ColorChangesBeyondTheLastThreadKeepTheLastColor) {
  Fixture f(makeDesign({st(10, 0)}, {0x0000FF}), 64, 64);
  f.design.stitches = {st(10, 0), colorChange(), st(10, 0), colorChange(), st(-30, 0)};
  setBounds(f.design, 20, -10, 0, 0);
  render(f.design);
  const int slot = f.design.threads[0].paletteIndex;
  EXPECT_EQ(f.count(slot) + f.count(f.bitmap().backgroundSlot), 64 * 64);
  EXPECT_EQ(f.count(slot), 39);  // x 19..57: out 26 pixels, back 39
}

TEST(Render, ADesignWithoutThreadsDrawsInBlack) {
  Fixture f(makeDesign({st(10, 0)}), 64, 64);
  f.design.threads.clear();
  ASSERT_TRUE(render(f.design));
  EXPECT_EQ(f.at(31, 31), 0);
  f.design.shaded = true;
  ASSERT_TRUE(render(f.design));
  EXPECT_EQ(f.at(31, 31), 0);
}

TEST(Render, BufferSizeAndRefusals) {
  Fixture f(makeDesign({st(10, 0)}), 201, 50);
  ASSERT_TRUE(render(f.design));
  EXPECT_EQ(f.bitmap().width, 202);
  EXPECT_EQ(f.bitmap().pixels.size(), 202u * 50u);

  const auto refreshes = f.palette.refreshCount();
  render(f.design);
  EXPECT_LE(f.palette.refreshCount() - refreshes, 2u);  // background, then all blocks at once

  setSize(f.design, 0, 50);
  EXPECT_FALSE(render(f.design));
  EXPECT_TRUE(f.bitmap().pixels.empty());
  setSize(f.design, 100000, 100000);
  EXPECT_FALSE(render(f.design));
  setSize(f.design, 64, 64);
  f.design.holdsPicture = true;
  EXPECT_FALSE(render(f.design));
  f.design.holdsPicture = false;
  usePalette(f.design, nullptr);
  EXPECT_FALSE(render(f.design));
}

TEST(Render, EmptyDesignIsPlainBackground) {
  Fixture f(makeDesign({}), 32, 32);
  setBackground(f.design, rgbOf(0, 0, 200));
  ASSERT_TRUE(render(f.design));
  EXPECT_EQ(f.count(f.bitmap().backgroundSlot), 32 * 32);
  EXPECT_EQ(f.palette.colourOf(f.bitmap().backgroundSlot), rgbOf(0, 0, 195));
}

TEST(Render, PaletteFullDrawsWithByte255) {
  Fixture f(makeDesign({st(10, 0)}, {rgbOf(1, 200, 200)}), 64, 64);
  f.palette.addColour(255, 255, 255);
  for (int i = 2; i < PaletteManager::kSlots; ++i) f.palette.addColour(i, 0, 0, -1, true, true);
  render(f.design);
  EXPECT_EQ(f.design.threads[0].paletteIndex, -1);
  EXPECT_EQ(f.at(31, 31), 255);
}

TEST(ShadeRamp, DarkBlackWhiteAndOrdinaryColors) {
  const struct {
    std::uint32_t color;
    std::array<std::uint32_t, 4> ramp;
    bool quantise;
  } cases[] = {
      {rgbOf(0, 0, 0), {rgbOf(60, 60, 60), rgbOf(45, 45, 45), rgbOf(25, 25, 25), rgbOf(0, 0, 0)}, true},
      {rgbOf(250, 250, 250),
       {rgbOf(245, 245, 245), rgbOf(238, 238, 238), rgbOf(225, 225, 225), rgbOf(210, 210, 210)},
       false},
      {rgbOf(240, 240, 236), {rgbOf(245, 245, 245), rgbOf(238, 238, 238), rgbOf(225, 225, 225), rgbOf(210, 210, 210)}, false},
      {rgbOf(240, 240, 235), {rgbOf(255, 255, 255), rgbOf(220, 220, 216), rgbOf(192, 192, 188), rgbOf(144, 144, 141)}, true},
      {rgbOf(200, 100, 50), {rgbOf(220, 110, 55), rgbOf(184, 92, 46), rgbOf(160, 80, 40), rgbOf(120, 60, 30)}, true},
      // dark: A = 50, K = 1.375, then 1.1875, 1.09375, 1.046875
      {rgbOf(100, 50, 0), {rgbOf(151, 75, 0), rgbOf(109, 54, 0), rgbOf(87, 43, 0), rgbOf(62, 31, 0)}, true},
      {rgbOf(0, 0, 100), {rgbOf(0, 0, 151), rgbOf(0, 0, 109), rgbOf(0, 0, 87), rgbOf(0, 0, 62)}, true},
  };
  for (const auto& c : cases) {
    const ShadeRamp r = shadeRampOf(c.color);
    EXPECT_EQ(r.colors, c.ramp) << std::hex << c.color;
    EXPECT_EQ(r.quantise, c.quantise) << std::hex << c.color;
  }
}

TEST(Render, ShadedRenderTakesShadeSlotsFromTheTopAgainEveryTime) {
  Fixture f(makeDesign({st(40, 0), colorChange(), st(0, 40)}, {rgbOf(0, 0, 0), rgbOf(250, 250, 250)}), 100, 100);
  f.design.shaded = true;
  for (int pass = 0; pass < 2; ++pass) {
    render(f.design);
    const auto& black = f.design.threads[0].shades;
    const auto& white = f.design.threads[1].shades;
    EXPECT_EQ(black[0], 235) << pass;
    EXPECT_EQ(f.palette.colourOf(black[0]), rgbOf(60, 60, 60));
    EXPECT_EQ(f.palette.colourOf(black[1]), rgbOf(45, 45, 45));
    EXPECT_EQ(f.palette.colourOf(black[2]), rgbOf(30, 30, 30));  // 25 quantised
    EXPECT_EQ(black[3], f.design.threads[0].paletteIndex);      // black itself
    EXPECT_EQ(f.palette.colourOf(white[1]), rgbOf(238, 238, 238));  // not quantised
    EXPECT_EQ(f.palette.shadeMark(), white[3]);
    EXPECT_EQ(f.palette.shadeOut(), white);
  }
  // The horizontal stitch is 47 pixels long: bright first pixel, darkest next to it.
  EXPECT_EQ(f.at(49, 49), f.design.threads[0].shades[0]);
  EXPECT_EQ(f.at(50, 49), f.design.threads[0].shades[3]);
  EXPECT_EQ(f.at(49 + 23, 49), f.design.threads[0].shades[0]);
}

TEST(Render, BlockFilterDrawsOneBlockInSlotOne) {
  Fixture f(makeDesign({st(20, 0), colorChange(), st(0, 20), colorChange(), st(-20, 0)}), 100, 100);
  f.design.shaded = true;  // filtered renders stay flat
  for (int k : {0, 1, 2}) {
    render(f.design, k);
    EXPECT_EQ(f.bitmap().backgroundSlot, 0);
    EXPECT_EQ(f.count(1) + f.count(0), 100 * 100) << k;
    EXPECT_GT(f.count(1), 30) << k;
  }
  render(f.design, 0);
  EXPECT_EQ(f.at(50, 49), 1);
  EXPECT_EQ(f.at(94, 40), 0);
  render(f.design, 3);
  EXPECT_EQ(f.count(0), 100 * 100);
  render(f.design, 99);
  EXPECT_EQ(f.count(0), 100 * 100);
}

TEST(RenderBlockMask, PacksLeastSignificantBitFirst) {
  Fixture f(makeDesign({st(20, 0), colorChange(), st(0, 20)}), 64, 32);
  std::vector<std::uint8_t> mask;
  ASSERT_EQ(renderBlockMask(f.design, 1, mask), 64 * 32 / 8);
  const std::vector<std::uint8_t> pixels = f.bitmap().pixels;
  ASSERT_EQ(mask.size(), 256u);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    ASSERT_EQ((mask[i / 8] >> (i % 8)) & 1, pixels[i] != 0 ? 1 : 0) << i;
  EXPECT_GT(std::count(pixels.begin(), pixels.end(), 1), 0);

  ASSERT_EQ(renderBlockMask(f.design, 5, mask), 256);
  EXPECT_EQ(std::count(mask.begin(), mask.end(), 0), 256);

  f.design.holdsPicture = true;
  EXPECT_EQ(renderBlockMask(f.design, 0, mask), 0);
  EXPECT_EQ(std::count(mask.begin(), mask.end(), 0), 256);
}

TEST(RenderBlockIcon, HeaderThenMostSignificantBitFirst) {
  Fixture f(makeDesign({st(20, 0), colorChange(), st(0, 20)}), 10, 10);
  std::vector<std::uint8_t> icon;
  ASSERT_EQ(renderBlockIcon(f.design, 0, icon, 48, 38), 48 * 38 / 8);
  ASSERT_EQ(icon.size(), 2u + 228u);
  EXPECT_EQ(icon[0], 6);
  EXPECT_EQ(icon[1], 38);
  EXPECT_EQ(f.bitmap().width, 48);
  const std::vector<std::uint8_t>& pixels = f.bitmap().pixels;
  for (std::size_t i = 0; i < pixels.size(); ++i)
    ASSERT_EQ((icon[2 + i / 8] >> (7 - i % 8)) & 1, pixels[i] != 0 ? 1 : 0) << i;
  EXPECT_GT(std::count(pixels.begin(), pixels.end(), 1), 0);
}

TEST(RenderOutline, OutlinesColorRegionsInBlackOnWhite) {
  Fixture f(makeDesign({st(10, 0)}, {0x0000FF}), 40, 40);
  setBounds(f.design, 10, 0, 0, 0);  // scale 28 / 20: the stitch covers x 19..32 of row 19
  f.design.shaded = true;
  ASSERT_TRUE(renderOutline(f.design));
  EXPECT_FALSE(f.design.shaded);
  const int white = f.palette.addColour(255, 255, 255);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool edge = (y == 18 || y == 19) && x >= 18 && x <= 32;
      ASSERT_EQ(f.at(x, y), edge ? 0 : white) << x << "," << y;
    }

  Fixture flat(makeDesign({st(10, 0)}), 40, 2);
  ASSERT_TRUE(renderOutline(flat.design));
  EXPECT_EQ(flat.count(flat.palette.addColour(255, 255, 255)), 80);
}

}  // namespace
}  // namespace lh
