#pragma once
// PNG output of 8-bit palette images (the renderer's slot buffer and colour table), for the
// command-line tool and the thumbnailer. Needs libpng; the renderer itself does not.
#include <cstdint>
#include <optional>
#include <vector>

#include "design/emb_design.h"

namespace lh {

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;    // width x height indexes, top row first
  std::vector<std::uint32_t> colors;  // 0x00RRGGBB per index, at most 256
  int transparent = -1;               // the index drawn see-through, or -1 for none
};

// The rendered picture of a design with its colour table: renders first when the design has
// no buffer yet (see render/renderer.h buildDib). Nothing when no picture could be built.
std::optional<IndexedImage> renderedImage(EmbDesign& design);

// The PNG file image, or nothing when the image is empty or an index has no colour.
std::optional<std::vector<std::uint8_t>> encodePng(const IndexedImage& image);

}  // namespace lh
