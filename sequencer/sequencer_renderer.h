#pragma once
// The sequencer's preview drawing on the core renderer's 8-bit buffer. It differs from the
// browser's thumbnails: lines are always 2 x 2 pixels thick, jumps are never sewn but shown (when
// wanted) as thin dashed lines in the block's flat colour, the 3D ramp follows its own rule, the
// scale is the preview's kept scale, and the picture can stop after any number of records so
// that the sewing simulation can draw it stitch by stitch.
#include <array>
#include <cstddef>
#include <cstdint>

#include "design/emb_design.h"
#include "sequencer/display_palette.h"
#include "sequencer/preview_geometry.h"

namespace lh {

// Highlight and three darker shades of a block colour for the preview's 3D look.
std::array<std::uint32_t, 4> previewShadeRamp(std::uint32_t color);

// Binds the design to the display palette and gives the background and every thread its slot
// (and, when shaded, its four shade slots, replacing the previous render's); one refresh.
void placePreviewColors(EmbDesign& design, DisplayPalette& palette);

// Draws a design into its own buffer (sized to the geometry's pane) record by record. Drawing
// on from the last record drawn costs only the new records, which is what a running simulation
// needs; going back starts over.
class PreviewPainter {
 public:
  // Both must outlive the painter; the design's colours must be placed (placePreviewColors).
  PreviewPainter(EmbDesign& design, const PreviewGeometry& geometry) : design_(design), geometry_(geometry) {}

  // A blank buffer in the background colour, the pen at the origin.
  void restart();
  // Shows records 0 .. end - 1 (clamped to the record count).
  void drawTo(std::size_t end);
  void drawAll() { drawTo(design_.stitches.size()); }
  // Records drawn so far.
  std::size_t drawn() const { return next_; }

 private:
  void selectBlock(std::size_t block);
  void drawRecord(const Stitch& s);

  EmbDesign& design_;
  const PreviewGeometry& geometry_;
  std::size_t next_ = 0;
  std::size_t block_ = 0;
  float penX_ = 0.0f, penY_ = 0.0f;
  int flat_ = 0;
  std::array<int, 4> shades_{};
  bool started_ = false;
};

}  // namespace lh
