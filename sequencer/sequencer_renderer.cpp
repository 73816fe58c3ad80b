#include "sequencer/sequencer_renderer.h"

#include <algorithm>
#include <cmath>

#include "render/renderer.h"

namespace lh {

namespace {

constexpr float kCoordLimit = 1.0e9f;
int truncToPixel(float v) { return static_cast<int>(std::clamp(v, -kCoordLimit, kCoordLimit)); }

std::uint32_t grey(int v) { return rgbOf(v, v, v); }

}  // namespace

std::array<std::uint32_t, 4> previewShadeRamp(std::uint32_t color) {
  int ch[3] = {redOf(color), greenOf(color), blueOf(color)};
  int sum = ch[0] + ch[1] + ch[2];
  if (sum > 0 && sum < 105) {
    // Dark colours are lifted to a channel sum of about 138 so that their relief shows.
    const double lift = 138.0 / sum;
    for (int& c : ch) c = static_cast<int>(std::trunc(c * lift));
    sum = ch[0] + ch[1] + ch[2];
  }
  if (sum > 715) return {grey(245), grey(238), grey(225), grey(210)};
  if (sum <= 39) return {grey(60), grey(45), grey(25), grey(0)};  // only black gets here
  double ramp[4][3];
  for (int c = 0; c < 3; ++c) {
    ramp[0][c] = std::min(1.1 * ch[c], 255.0);
    ramp[1][c] = 0.92 * ch[c];
    ramp[2][c] = 0.8 * ch[c];
    ramp[3][c] = 0.6 * ch[c];
  }
  std::array<std::uint32_t, 4> out{};
  for (std::size_t level = 0; level < 4; ++level)
    out[level] = rgbOf(static_cast<int>(ramp[level][0]), static_cast<int>(ramp[level][1]),
                       static_cast<int>(ramp[level][2]));
  return out;
}

void placePreviewColors(EmbDesign& d, DisplayPalette& palette) {
  usePalette(d, &palette.manager());
  PaletteManager& pal = palette.manager();
  const PaletteManager::Hold hold = pal.hold();
  pal.releaseShadeSlots();
  d.backgroundSlot = pal.addColour(redOf(d.background), greenOf(d.background), blueOf(d.background));
  for (ThreadColor& t : d.threads) t.paletteIndex = palette.allocate(t.rgb);
  if (d.shaded) {
    for (ThreadColor& t : d.threads) {
      const auto ramp = previewShadeRamp(palette.colorOf(t.paletteIndex));
      for (std::size_t level = 0; level < 4; ++level) {
        const std::uint32_t c = ramp[level];
        t.shades[level] = pal.findOrAddShade(redOf(c), greenOf(c), blueOf(c), true, false);
      }
      pal.setShadeOut(t.shades);
    }
  }
  pal.refresh();
}

void PreviewPainter::restart() {
  setSize(design_, geometry_.width(), geometry_.height());
  const bool made = render(static_cast<DesignBitmap&>(design_));
  started_ = made;
  next_ = 0;
  penX_ = geometry_.originX();
  penY_ = geometry_.originY();
  selectBlock(0);
}

void PreviewPainter::selectBlock(std::size_t block) {
  block_ = block;
  if (block >= design_.threads.size()) {
    flat_ = 0;
    shades_.fill(0);
    return;
  }
  const ThreadColor& t = design_.threads[block];
  flat_ = t.paletteIndex;
  for (std::size_t s = 0; s < 4; ++s) shades_[s] = t.shades[s];
}

void PreviewPainter::drawRecord(const Stitch& s) {
  const float scale = geometry_.scale();
  const float qx = penX_ + static_cast<float>(s.dx) * scale;
  const float qy = penY_ - static_cast<float>(s.dy) * scale;
  if (s.isColorChange() && block_ + 1 < design_.threads.size()) selectBlock(block_ + 1);
  const int x0 = truncToPixel(penX_), y0 = truncToPixel(penY_);
  const int x1 = truncToPixel(qx), y1 = truncToPixel(qy);
  if (s.isJump()) {
    if (design_.showJumps) drawDashedLine(design_, x0, y0, x1, y1, flat_);
  } else if (design_.shaded) {
    drawShadedLine(design_, x0, y0, x1, y1, shades_[0], shades_[1], shades_[2], shades_[3], true);
  } else {
    drawLine(design_, x0, y0, x1, y1, flat_, true);
  }
  penX_ = qx;
  penY_ = qy;
}

void PreviewPainter::drawTo(std::size_t end) {
  end = std::min(end, design_.stitches.size());
  if (!started_ || end < next_) restart();
  if (!started_) return;
  for (; next_ < end; ++next_) drawRecord(design_.stitches[next_]);
}

}  // namespace lh
