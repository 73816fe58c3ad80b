#pragma once
// Where the sequencer's preview puts the design: the scale (pixels per 0.1 mm), the origin,
// the frame of the selected block and the needle mark. The scale is kept while the pane's width
// stays, so that edits do not rescale the picture.
#include <cstdint>

namespace lh {

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Extents of a design or block in 0.1 mm, Y up.
struct DesignExtent {
  std::int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;
};

class PreviewGeometry {
 public:
  // Takes the pane's size; the width is rounded up to even. Returns the width used.
  int setPaneSize(int width, int height);
  // Computes the scale for `extent` unless one was computed for the current width already.
  // Returns the scale in use.
  float fit(const DesignExtent& extent);
  // Forgets the kept scale, so that the next fit computes it anew (a new design arrived).
  void forgetScale() { keptWidth_ = -1; }

  int width() const { return width_; }
  int height() const { return height_; }
  float scale() const { return scale_; }
  // The design origin on screen: (W x 0.5 - 1, H x 0.5 - 1).
  float originX() const { return static_cast<float>(width_) * 0.5f - 1.0f; }
  float originY() const { return static_cast<float>(height_) * 0.5f - 1.0f; }

  // A design position (0.1 mm, Y up) in pixels (Y down), truncated like the stitch walk.
  int toPixelX(double x) const;
  int toPixelY(double y) const;
  // A pixel in design units relative to the origin (Y up).
  double toDesignX(int px) const;
  double toDesignY(int py) const;

  // The selected block's bounds scaled about the origin.
  PixelRect frameOf(const DesignExtent& block) const;
  // The 5 x 5 square centred on the needle at design position (x, y); right and bottom exclusive.
  PixelRect needleMark(double x, double y) const;

 private:
  int width_ = 0;
  int height_ = 0;
  int keptWidth_ = -1;
  float scale_ = 1.0f;
};

// The scale that fits `extent` into a pane of width x height with 2 pixels to spare on each
// side, measured from the origin; an axis without extent does not limit it, and a scale is
// always above 0.
float fitScale(int width, int height, const DesignExtent& extent);

}  // namespace lh
