#include "sequencer/preview_click.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace lh {

namespace {

// Colours compare on their top five bits per channel.
constexpr std::uint32_t kColorMask = 0xF8F8F8;
constexpr int kColorTolerance = 25;
constexpr double kFarthestHit = 10000.0;

int channelDistance(std::uint32_t a, std::uint32_t b) {
  return std::abs(redOf(a) - redOf(b)) + std::abs(greenOf(a) - greenOf(b)) + std::abs(blueOf(a) - blueOf(b));
}

// Whether block colour `t` (its rgb, its slot's colour or one of its shades) is near `clicked`.
bool blockDrawnIn(const ThreadColor& t, const PaletteManager& palette, std::uint32_t clicked) {
  std::array<std::uint32_t, 6> colors{};
  std::size_t n = 0;
  colors[n++] = t.rgb;
  if (auto c = palette.colourOf(t.paletteIndex)) colors[n++] = *c;
  for (std::int32_t slot : t.shades)
    if (slot > 0)
      if (auto c = palette.colourOf(slot)) colors[n++] = *c;
  for (std::size_t i = 0; i < n; ++i)
    if (channelDistance(colors[i] & kColorMask, clicked) <= kColorTolerance) return true;
  return false;
}

}  // namespace

std::uint32_t previewColorAt(const DesignBitmap& preview, const PaletteManager& palette, int x, int y) {
  const bool inside = preview.holdsPixels() && x >= 0 && y >= 0 && x < preview.width && y < preview.height;
  const int slot =
      inside ? preview.pixels[static_cast<std::size_t>(y) * preview.width + x] : preview.backgroundSlot;
  return palette.colourOf(slot).value_or(preview.background);
}

int blockAtClick(const EmbDesign& d, const PaletteManager& palette, const PreviewGeometry& g, int px, int py,
                 std::uint32_t clickedColor) {
  const std::uint32_t clicked = clickedColor & kColorMask;
  std::vector<bool> near(d.threads.size());
  for (std::size_t k = 0; k < d.threads.size(); ++k) near[k] = blockDrawnIn(d.threads[k], palette, clicked);
  const double cx = g.toDesignX(px), cy = g.toDesignY(py);
  double best = kFarthestHit;
  int hit = kNoBlockHit;
  std::size_t block = 0;
  std::int64_t x = 0, y = 0;
  for (const Stitch& s : d.stitches) {
    if (s.isColorChange()) ++block;
    x += s.dx;
    y += s.dy;
    if (block >= near.size() || !near[block]) continue;
    const double dist = std::abs(static_cast<double>(x) - cx) + std::abs(static_cast<double>(y) - cy);
    if (dist <= best) {
      best = dist;
      hit = static_cast<int>(block);
    }
  }
  return hit;
}

int rowOfPreviewBlock(int block, const std::vector<bool>& shown) {
  if (block < 0) return -1;
  int seen = 0;
  for (std::size_t row = 0; row < shown.size(); ++row)
    if (shown[row] && seen++ == block) return static_cast<int>(row);
  return -1;
}

}  // namespace lh
