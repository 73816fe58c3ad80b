#pragma once
// Rendering on the one screen palette from several threads at once.
#include <array>
#include <cstdint>
#include <optional>
#include <shared_mutex>
#include <vector>

#include "design/emb_design.h"
#include "render/palette_manager.h"

namespace lh {

// A rendered picture as plain data: slot numbers and the colour of every slot value at the
// time it was rendered, so it stays right whatever the palette does afterwards.
struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;         // width x height slot numbers, top row first
  std::array<std::uint32_t, 256> colors{};  // 0x00BBGGRR for each slot value; free slots black
};

// The screen palette with the order its renders must keep. A shaded render gives up the
// shade slots of the shaded render before it, so a shaded render and the reading of its
// colours run alone; flat renders only add colours and run side by side. Everything that
// renders on the palette (the thumbnail workers, the preview pane) goes through render().
class SharedPalette {
 public:
  explicit SharedPalette(PaletteManager& palette) : palette_(palette) {}
  SharedPalette(const SharedPalette&) = delete;
  SharedPalette& operator=(const SharedPalette&) = delete;

  PaletteManager& palette() const { return palette_; }

  // Binds the design to the palette, renders it at its set size and flags, and takes its
  // pixels (the design's buffer is left empty) with their colours. Nothing when no buffer
  // was made (a picture, an empty size).
  std::optional<IndexedPicture> render(EmbDesign& design);

 private:
  PaletteManager& palette_;
  std::shared_mutex order_;
};

}  // namespace lh
