#include "browser/view_core/shared_palette.h"

#include <mutex>

#include "render/renderer.h"

namespace lh {

namespace {

std::optional<IndexedPicture> takePicture(EmbDesign& design, const PaletteManager& palette) {
  const DesignBitmap& bitmap = design;
  if (!bitmap.holdsPixels()) return std::nullopt;
  IndexedPicture out;
  out.width = bitmap.width;
  out.height = bitmap.height;
  out.pixels = std::move(design.pixels);
  design.pixels.clear();
  const PaletteManager::Hold hold = palette.hold();
  for (int slot = 0; slot < PaletteManager::kTableSize; ++slot) {
    const std::int32_t value = palette.slotValue(slot);
    out.colors[static_cast<std::size_t>(slot)] = value == PaletteManager::kFree ? 0 : static_cast<std::uint32_t>(value);
  }
  return out;
}

}  // namespace

std::optional<IndexedPicture> SharedPalette::render(EmbDesign& design) {
  usePalette(design, &palette_);
  if (design.shaded) {
    const std::unique_lock alone(order_);
    if (!lh::render(design)) return std::nullopt;
    return takePicture(design, palette_);
  }
  const std::shared_lock together(order_);
  if (!lh::render(design)) return std::nullopt;
  return takePicture(design, palette_);
}

}  // namespace lh
