#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sequencer/display_palette.h"
#include "sequencer/preview_click.h"
#include "sequencer/preview_geometry.h"
#include "sequencer/sequencer_layout.h"
#include "sequencer/sequencer_renderer.h"
#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::st;

TEST(DisplayPalette, KeepsColoursExactAndShowsPureWhiteAsLightGrey) {
  DisplayPalette palette;
  std::vector<ThreadColor> threads{test::thread(rgbOf(17, 33, 251)), test::thread(0xFFFFFF),
                                   test::thread(rgbOf(17, 33, 251))};
  palette.enterAll(threads);
  EXPECT_EQ(threads[0].rgb, rgbOf(17, 33, 251));  // the browser's palette would round to 15s
  EXPECT_EQ(threads[1].rgb, rgbOf(240, 240, 240));
  EXPECT_EQ(threads[0].paletteIndex, threads[2].paletteIndex);
  EXPECT_EQ(palette.colorOf(threads[1].paletteIndex), rgbOf(240, 240, 240));
}

TEST(DisplayPalette, RecolourReleasesASlotOnlyWhenNoOtherThreadShowsIt) {
  DisplayPalette palette;
  std::vector<ThreadColor> threads{test::thread(0x0000FF), test::thread(0x0000FF), test::thread(0x00FF00)};
  palette.enterAll(threads);
  const int red = threads[0].paletteIndex;
  const std::vector<ThreadColor> others{threads[1], threads[2]};
  palette.recolor(threads[0], 0xFF0000, others);
  // The second red thread still shows its slot; the new colour got a slot of its own.
  EXPECT_EQ(palette.colorOf(red), 0x0000FFu);
  EXPECT_NE(threads[0].paletteIndex, red);
  EXPECT_EQ(threads[0].rgb, 0xFF0000u);

  const int green = threads[2].paletteIndex;
  const std::vector<ThreadColor> rest{threads[0], threads[1]};
  palette.recolor(threads[2], 0x123456, rest);
  EXPECT_EQ(threads[2].paletteIndex, green);  // freed and taken again
  EXPECT_EQ(palette.colorOf(green), 0x123456u);
}

TEST(DisplayPalette, AFullPaletteGivesTheNearestSlot) {
  DisplayPalette palette;
  for (int i = 1; i < PaletteManager::kSlots; ++i) palette.allocate(rgbOf(i, 0, 0));
  const int slot = palette.allocate(rgbOf(100, 0, 3));
  EXPECT_EQ(palette.colorOf(slot), rgbOf(100, 0, 0));
}

TEST(PreviewShadeRamp, FollowsThePreviewRule) {
  struct Case {
    std::uint32_t color;
    std::array<std::uint32_t, 4> ramp;
  };
  auto grey = [](int v) { return rgbOf(v, v, v); };
  const Case cases[] = {
      {rgbOf(200, 100, 50),
       {rgbOf(220, 110, 55), rgbOf(184, 92, 46), rgbOf(160, 80, 40), rgbOf(120, 60, 30)}},
      // Dark colours are lifted to a sum of 138 first (x 2 here).
      {rgbOf(0, 0, 69), {rgbOf(0, 0, 151), rgbOf(0, 0, 126), rgbOf(0, 0, 110), rgbOf(0, 0, 82)}},
      {0, {grey(60), grey(45), grey(25), grey(0)}},
      {rgbOf(250, 250, 10),
       {rgbOf(255, 255, 11), rgbOf(230, 230, 9), rgbOf(200, 200, 8), rgbOf(150, 150, 6)}},
      {rgbOf(240, 240, 240), {grey(245), grey(238), grey(225), grey(210)}},
  };
  for (const Case& c : cases) EXPECT_EQ(previewShadeRamp(c.color), c.ramp) << std::hex << c.color;
}

TEST(PreviewGeometry, ScaleFitsAndIsKeptWhileTheWidthStays) {
  PreviewGeometry g;
  EXPECT_EQ(g.setPaneSize(203, 104), 204);  // even width
  EXPECT_FLOAT_EQ(g.fit({-100, -50, 100, 40}), 1.0f);
  EXPECT_FLOAT_EQ(g.originX(), 101.0f);
  EXPECT_FLOAT_EQ(g.originY(), 51.0f);
  EXPECT_FLOAT_EQ(g.fit({-400, -50, 100, 40}), 1.0f);  // an edit does not rescale
  g.setPaneSize(204, 404);
  EXPECT_FLOAT_EQ(g.fit({-400, -50, 100, 40}), 1.0f);  // same width: still kept
  g.setPaneSize(404, 404);
  EXPECT_FLOAT_EQ(g.fit({-400, -50, 100, 40}), 0.5f);
  g.forgetScale();
  EXPECT_FLOAT_EQ(g.fit({-10, -10, 10, 10}), 20.0f);

  EXPECT_FLOAT_EQ(fitScale(100, 100, {0, 0, 0, 0}), 1.0f);  // a design without extent
  EXPECT_GT(fitScale(2, 2, {-10, -10, 10, 10}), 0.0f);      // a pane too small for any picture
}

TEST(PreviewGeometry, FrameAndNeedleMarkAreScaledAboutTheOrigin) {
  PreviewGeometry g;
  g.setPaneSize(204, 104);
  g.fit({-100, -50, 100, 50});
  EXPECT_EQ(g.frameOf({-10, -20, 30, 40}), (PixelRect{91, 11, 131, 71}));
  EXPECT_EQ(g.needleMark(0, 0), (PixelRect{99, 49, 104, 54}));
  EXPECT_EQ(g.toPixelX(g.toDesignX(150)), 150);
  EXPECT_DOUBLE_EQ(g.toDesignY(41), 10.0);
}

// Three blocks side by side: red at x -80..-40, blue at -20..20, red again at 40..80.
struct ClickFixture {
  EmbDesign design = makeDesign(
      {jump(-80, 0), st(40, 0), colorChange(), jump(20, 0), st(40, 0), colorChange(), jump(20, 0), st(40, 0)},
      {0x0000FF, 0xFF0000, 0x0000FF});
  DisplayPalette palette;
  PreviewGeometry geometry;

  ClickFixture() {
    design.shaded = false;
    geometry.setPaneSize(204, 104);
    geometry.fit({design.minX, design.minY, design.maxX, design.maxY});
    placePreviewColors(design, palette);
    PreviewPainter(design, geometry).drawAll();
  }
  int click(int x, int y) {
    return blockAtClick(design, palette.manager(), geometry, x, y,
                        previewColorAt(design, palette.manager(), x, y));
  }
};

TEST(PreviewClick, FindsTheNearestBlockDrawnInTheClickedColour) {
  ClickFixture f;
  const int y = f.geometry.toPixelY(0);
  EXPECT_EQ(f.click(f.geometry.toPixelX(-60), y), 0);
  EXPECT_EQ(f.click(f.geometry.toPixelX(0), y), 1);
  EXPECT_EQ(f.click(f.geometry.toPixelX(60), y), 2);                  // red, but nearer the third block
  EXPECT_EQ(f.click(f.geometry.toPixelX(0), 5), kNoBlockHit);         // background
  EXPECT_EQ(rowOfPreviewBlock(kNoBlockHit, {true, true, true}), -1);  // the selection stays
}

TEST(PreviewClick, ShadedBlocksAreFoundByTheirShadeColours) {
  ClickFixture f;
  f.design.shaded = true;
  placePreviewColors(f.design, f.palette);
  PreviewPainter(f.design, f.geometry).drawAll();
  const int y = f.geometry.toPixelY(0);
  EXPECT_EQ(f.click(f.geometry.toPixelX(-79), y), 0);  // the dark end of a stitch
}

TEST(PreviewClick, BlockMapsToTheRowOfTheBlockthShownStop) {
  struct Case {
    int block;
    std::vector<bool> shown;
    int row;
  };
  const Case cases[] = {
      {0, {true, true, true}, 0},
      {1, {true, false, true}, 2},
      {0, {false, false, true}, 2},                // removed stops before the block
      {0, {false, false, false, true, false}, 3},  // "Selected" mode shows one stop
      {2, {true, false, true}, -1},
      {-2, {true}, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(rowOfPreviewBlock(c.block, c.shown), c.row) << c.block;
}

TEST(PreviewPainter, DrawingOnInStepsGivesTheWholePicture) {
  EmbDesign d =
      makeDesign({st(10, 0), st(0, 10), jump(-30, 0), st(0, -20), colorChange(), st(15, 15), st(5, -25)});
  d.shaded = true;
  DisplayPalette palette;
  PreviewGeometry g;
  g.setPaneSize(120, 100);
  g.fit({d.minX, d.minY, d.maxX, d.maxY});
  placePreviewColors(d, palette);
  PreviewPainter painter(d, g);
  painter.drawAll();
  const std::vector<std::uint8_t> whole = d.pixels;
  painter.drawTo(2);  // going back starts over
  EXPECT_EQ(painter.drawn(), 2u);
  EXPECT_NE(d.pixels, whole);
  for (std::size_t end = 3; end <= d.stitches.size(); ++end) painter.drawTo(end);
  EXPECT_EQ(d.pixels, whole);
}

TEST(PreviewPainter, JumpsAreThinDashesOnlyWhenShown) {
  EmbDesign d = makeDesign({jump(-40, 0), st(0, 0), jump(80, 0)});
  d.shaded = false;
  DisplayPalette palette;
  PreviewGeometry g;
  g.setPaneSize(100, 40);
  g.fit({-40, -1, 40, 1});
  placePreviewColors(d, palette);
  PreviewPainter painter(d, g);
  const auto slot = static_cast<std::uint8_t>(d.threads[0].paletteIndex);
  auto countSlot = [&] { return std::count(d.pixels.begin(), d.pixels.end(), slot); };

  d.showJumps = false;
  painter.restart();
  painter.drawAll();
  EXPECT_EQ(countSlot(), 0);

  d.showJumps = true;
  painter.restart();
  painter.drawAll();
  // Two of every five steps on one row: dashes, not a line, and not 2 x 2 thick.
  const auto lit = countSlot();
  EXPECT_GT(lit, 20);
  EXPECT_LT(lit, 60);
  const int row = g.toPixelY(0);
  EXPECT_EQ(std::count(d.pixels.begin() + (row + 1) * d.DesignBitmap::width,
                       d.pixels.begin() + (row + 2) * d.DesignBitmap::width, slot),
            0);
}

TEST(PreviewPainter, StitchesAreAlwaysThick) {
  EmbDesign d = makeDesign({st(20, 0)});
  d.shaded = false;
  d.thickLines = false;
  DisplayPalette palette;
  PreviewGeometry g;
  g.setPaneSize(50, 50);
  g.fit({-20, -1, 20, 1});
  placePreviewColors(d, palette);
  PreviewPainter(d, g).drawAll();
  const auto slot = static_cast<std::uint8_t>(d.threads[0].paletteIndex);
  const int row = g.toPixelY(0), w = d.DesignBitmap::width;
  EXPECT_GT(std::count(d.pixels.begin() + row * w, d.pixels.begin() + (row + 1) * w, slot), 0);
  EXPECT_GT(std::count(d.pixels.begin() + (row + 1) * w, d.pixels.begin() + (row + 2) * w, slot), 0);
}

TEST(SequencerLayout, RectanglesFollowTheClientSize) {
  const SequencerLayout l = sequencerLayout(1000, 700, 176, 20);
  EXPECT_EQ(l.stopList, (PixelRect{184, 48, 350, 640}));
  EXPECT_EQ(l.preview, (PixelRect{358, 48, 992, 640}));
  EXPECT_EQ(l.scrollBar, (PixelRect{0, 659, 1000, 675}));
  EXPECT_EQ(l.colorBar, (PixelRect{0, 645, 1000, 655}));
  EXPECT_EQ(l.statusBar, (PixelRect{0, 680, 1000, 700}));
  const SequencerLayout narrow = sequencerLayout(400, 90, 176, 20);
  EXPECT_EQ(narrow.preview.right - narrow.preview.left, 50);
  EXPECT_EQ(narrow.stopList.bottom, narrow.stopList.top);  // no negative heights
  EXPECT_EQ(statusPaneEdges(800, 7), (std::array<int, 4>{526, 666, 722, 792}));
}

TEST(SequencerLayout, ColorBarSegmentsFollowTheStitchCounts) {
  std::vector<ThreadColor> threads{test::thread(1), test::thread(2), test::thread(3)};
  threads[0].stitchCount = 50;
  threads[1].stitchCount = 25;
  threads[2].stitchCount = 23;
  const ColorBar bar = colorBarOf({0, 0, 248, 10}, threads, 100);
  ASSERT_EQ(bar.segments.size(), 3u);
  EXPECT_EQ(bar.segments[0].rect, (PixelRect{32, 0, 132, 10}));
  EXPECT_EQ(bar.segments[1].rect, (PixelRect{132, 0, 182, 10}));
  EXPECT_EQ(bar.segments[2].rect, (PixelRect{182, 0, 228, 10}));
  EXPECT_EQ(bar.segments[2].rgb, 3u);
  EXPECT_EQ(bar.marker, (PixelRect{20, 1, 28, 9}));
  threads[2].stitchCount = 1000;  // stale counts never run past the strip
  EXPECT_EQ(colorBarOf({0, 0, 248, 10}, threads, 100).segments[2].rect.right, 232);
  EXPECT_TRUE(colorBarOf({0, 0, 248, 10}, threads, 0).segments.empty());
}

}  // namespace
}  // namespace lh
