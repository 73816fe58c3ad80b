#pragma once
// File-manager thumbnails of designs: the renderer's shaded picture of a design file as a PNG,
// at most a given size on its longer side, the shorter side in proportion. Core libraries
// only, so the thumbnailer needs no Qt at run time.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "formats/design_codec.h"

namespace lh {

// The sizes -s takes: file managers ask for 128 (normal) up to 1024 (xx-large).
inline constexpr int kMinThumbnailSize = 16;
inline constexpr int kMaxThumbnailSize = 2048;

// A size in decimal digits alone within the range; nothing otherwise.
std::optional<int> parseThumbnailSize(std::string_view text);

struct ThumbnailSize {
  int width = 0;
  int height = 0;
};
// The picture size for a loaded, centred design: `size` on the longer side, the shorter in
// proportion (never less than the renderer's margins need); size x size for a design of one
// point.
ThumbnailSize thumbnailSize(const EmbDesign& design, int size);

// Pixels the renderer may step through for one thumbnail: tens of times what the densest real
// designs need at 1024 pixels, and a bound on the time a hostile file (a million stitches
// each across the whole design) takes.
inline constexpr std::int64_t kMaxDrawingSteps = 50'000'000;
// The largest size up to `size` at which drawing the design's stitches takes at most
// kMaxDrawingSteps pixel steps (each line costs its longer extent in pixels); never below
// kMinThumbnailSize.
int affordableSize(const EmbDesign& design, int size);

// Why no thumbnail came of a file, in a few words ("not a design file", ...).
using ThumbnailFailure = std::string;

// The PNG file image of the design at the plain path `path`, at most `size` pixels on its
// longer side (less when drawing it so large would take more than kMaxDrawingSteps; file
// managers scale such pictures up). The background is see-through unless a thread is drawn in the background's
// colour (a white thread on white): then it stays white, so that the thread still shows.
// Zip archives and their members, text files, pictures and files that do not load give a
// failure.
std::variant<std::vector<std::uint8_t>, ThumbnailFailure> designThumbnail(DesignCodec& codec, const std::string& path,
                                                                          int size);

}  // namespace lh
