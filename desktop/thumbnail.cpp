#include "desktop/thumbnail.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "design/attribute_list.h"
#include "render/png_image.h"
#include "render/renderer.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

// Pixels the renderer leaves free around a design on each side.
constexpr int kRendererMargin = 6;

std::string_view loadFailureText(LoadResult result) {
  switch (result) {
    case LoadResult::Unsupported:
      return "a version of the format that is not supported";
    case LoadResult::NoMedium:
      return "no medium in the drive";
    default:
      return "missing, unreadable or not a valid design";
  }
}

bool sharesBackground(const EmbDesign& design) {
  for (const ThreadColor& t : design.threads) {
    if (t.paletteIndex == design.backgroundSlot) return true;
    if (design.shaded && std::find(t.shades.begin(), t.shades.end(), design.backgroundSlot) != t.shades.end())
      return true;
  }
  return false;
}

// Keeps the first `width` columns (the renderer makes widths even, one past an odd size).
void cropWidth(IndexedImage& image, int width) {
  if (image.width <= width) return;
  const auto w = static_cast<std::size_t>(width);
  const auto from = static_cast<std::size_t>(image.width);
  for (std::size_t y = 0; y < static_cast<std::size_t>(image.height); ++y)
    std::copy_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(y * from), w,
                image.pixels.begin() + static_cast<std::ptrdiff_t>(y * w));
  image.pixels.resize(w * static_cast<std::size_t>(image.height));
  image.width = width;
}

}  // namespace

std::optional<int> parseThumbnailSize(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < kMinThumbnailSize || value > kMaxThumbnailSize) return std::nullopt;
  return value;
}

ThumbnailSize thumbnailSize(const EmbDesign& design, int size) {
  // The renderer scales the larger distance from the centre to fill its side.
  const std::int64_t mx = std::max(std::llabs(design.maxX), std::llabs(design.minX));
  const std::int64_t my = std::max(std::llabs(design.maxY), std::llabs(design.minY));
  const std::int64_t longer = std::max(mx, my);
  if (longer == 0) return {size, size};
  const double scale = static_cast<double>(size - 2 * kRendererMargin) / static_cast<double>(longer);
  auto side = [&](std::int64_t half) {
    const int drawn = static_cast<int>(std::ceil(static_cast<double>(half) * scale - 1e-9));
    return std::min(size, drawn + 2 * kRendererMargin + 1);
  };
  return mx >= my ? ThumbnailSize{size, side(my)} : ThumbnailSize{side(mx), size};
}

int affordableSize(const EmbDesign& design, int size) {
  const std::int64_t longer = std::max({std::llabs(design.maxX), std::llabs(design.minX), std::llabs(design.maxY),
                                        std::llabs(design.minY)});
  std::int64_t units = 0;  // the lines' longer extents, in design units
  for (const Stitch& s : design.stitches)
    if (!s.isJump()) units += std::max(std::abs(int{s.dx}), std::abs(int{s.dy}));
  const auto records = static_cast<std::int64_t>(design.stitches.size());
  if (longer == 0 || units == 0) return size;
  // Steps at size s: units x (s - 2 margins) / (2 x longer) + one per record.
  const std::int64_t room = std::max<std::int64_t>(kMaxDrawingSteps - records, 0);
  const std::int64_t drawn = room * 2 * longer / units;
  return static_cast<int>(std::clamp<std::int64_t>(drawn + 2 * kRendererMargin, kMinThumbnailSize, size));
}

std::variant<std::vector<std::uint8_t>, ThumbnailFailure> designThumbnail(DesignCodec& codec, const std::string& path,
                                                                          int size) {
  if (isZipPath(path) || equalsNoCase(extensionOf(path), "zip")) return ThumbnailFailure("zip archives are not thumbnailed");
  EmbDesign design;
  codec.busyCount.fetch_add(1);
  const LoadResult result = codec.loadDesign(&design, path);
  if (result != LoadResult::Ok) return ThumbnailFailure(loadFailureText(result));
  if (design.isText || design.holdsPicture || design.stitches.empty()) return ThumbnailFailure("not a design file");

  PaletteManager palette;
  usePalette(design, &palette);
  size = affordableSize(design, size);
  const ThumbnailSize picture = thumbnailSize(design, size);
  setSize(design, picture.width, picture.height);
  design.shaded = true;
  if (!render(design)) return ThumbnailFailure("could not be drawn");
  const bool opaque = sharesBackground(design);
  std::optional<IndexedImage> image = renderedImage(design);
  if (!image) return ThumbnailFailure("could not be drawn");
  cropWidth(*image, size);
  if (!opaque) image->transparent = design.backgroundSlot;
  auto png = encodePng(*image);
  if (!png) return ThumbnailFailure("could not be encoded");
  return std::move(*png);
}

}  // namespace lh
