#pragma once
// Which colour block a click into the preview hit, and which stop list row shows that block.
#include <cstdint>
#include <vector>

#include "design/emb_design.h"
#include "render/palette_manager.h"
#include "sequencer/preview_geometry.h"

namespace lh {

// The selection message's value for a click that hit no block.
inline constexpr int kNoBlockHit = -2;

// The colour of a preview pixel (the background colour outside the buffer).
std::uint32_t previewColorAt(const DesignBitmap& preview, const PaletteManager& palette, int x, int y);

// The 0-based colour block of `design` (the design the preview shows) sewn nearest to the
// clicked pixel (px, py) among the blocks drawn in a colour within 25 of the clicked colour;
// kNoBlockHit when no block is drawn in such a colour or none is within 10000 of the click.
int blockAtClick(const EmbDesign& design, const PaletteManager& palette, const PreviewGeometry& geometry,
                 int px, int py, std::uint32_t clickedColor);

// The stop list row of preview block `block`, given for every row whether its stop is shown
// in the preview: the row of the block-th shown stop; -1 when there is none.
int rowOfPreviewBlock(int block, const std::vector<bool>& shown);

}  // namespace lh
