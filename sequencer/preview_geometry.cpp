#include "sequencer/preview_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace lh {

namespace {

// Smallest scale used: a pane too small for any picture still maps clicks without dividing
// by zero.
constexpr float kMinScale = 1.0e-6f;
constexpr double kPixelLimit = 1.0e9;

int truncPixel(double v) { return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit)); }

}  // namespace

float fitScale(int width, int height, const DesignExtent& e) {
  const std::int64_t mx = std::max(std::llabs(e.maxX), std::llabs(e.minX));
  const std::int64_t my = std::max(std::llabs(e.maxY), std::llabs(e.minY));
  float scale = std::numeric_limits<float>::max();
  if (my != 0) scale = std::min(scale, static_cast<float>(height - 4) / static_cast<float>(2 * my));
  if (mx != 0) scale = std::min(scale, static_cast<float>(width - 4) / static_cast<float>(2 * mx));
  if (mx == 0 && my == 0) scale = 1.0f;
  return std::max(scale, kMinScale);
}

int PreviewGeometry::setPaneSize(int width, int height) {
  width_ = std::max(0, width + (width & 1));
  height_ = std::max(0, height);
  return width_;
}

float PreviewGeometry::fit(const DesignExtent& extent) {
  if (keptWidth_ != width_) {
    scale_ = fitScale(width_, height_, extent);
    keptWidth_ = width_;
  }
  return scale_;
}

int PreviewGeometry::toPixelX(double x) const { return truncPixel(originX() + x * scale_); }
int PreviewGeometry::toPixelY(double y) const { return truncPixel(originY() - y * scale_); }
double PreviewGeometry::toDesignX(int px) const { return (px - static_cast<double>(originX())) / scale_; }
double PreviewGeometry::toDesignY(int py) const { return (static_cast<double>(originY()) - py) / scale_; }

PixelRect PreviewGeometry::frameOf(const DesignExtent& b) const {
  return {toPixelX(b.minX), toPixelY(b.maxY), toPixelX(b.maxX), toPixelY(b.minY)};
}

PixelRect PreviewGeometry::needleMark(double x, double y) const {
  const int px = toPixelX(x), py = toPixelY(y);
  return {px - 2, py - 2, px + 3, py + 3};
}

}  // namespace lh
