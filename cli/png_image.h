#pragma once
// PNG output of 8-bit palette images (the renderer's slot buffer and colour table).
#include <cstdint>
#include <optional>
#include <vector>

namespace lh::cli {

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;    // width x height indexes, top row first
  std::vector<std::uint32_t> colors;  // 0x00RRGGBB per index, at most 256
};

// The PNG file image, or nothing when the image is empty or an index has no colour.
std::optional<std::vector<std::uint8_t>> encodePng(const IndexedImage& image);

}  // namespace lh::cli
