#include "render/png_image.h"

#include <png.h>

#include <algorithm>

#include "render/renderer.h"

namespace lh {

namespace {

void appendData(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void noFlush(png_structp) {}

}  // namespace

std::optional<IndexedImage> renderedImage(EmbDesign& design) {
  if (!buildDib(design)) return std::nullopt;
  const DibHeader& hd = design.dibInfo.header;
  IndexedImage image;
  image.width = hd.width;
  image.height = hd.height;
  image.colors = design.dibInfo.colors;
  const std::size_t w = static_cast<std::size_t>(hd.width);
  const std::size_t stride = (w + 3) / 4 * 4;
  for (int y = 0; y < hd.height; ++y) {
    const std::size_t row = static_cast<std::size_t>(hd.height - 1 - y) * stride;
    image.pixels.insert(image.pixels.end(), design.dibBits.begin() + static_cast<std::ptrdiff_t>(row),
                        design.dibBits.begin() + static_cast<std::ptrdiff_t>(row + w));
  }
  return image;
}

std::optional<std::vector<std::uint8_t>> encodePng(const IndexedImage& image) {
  const auto w = static_cast<std::size_t>(image.width);
  const auto h = static_cast<std::size_t>(image.height);
  if (image.width <= 0 || image.height <= 0 || image.pixels.size() != w * h || image.colors.empty() ||
      image.colors.size() > 256)
    return std::nullopt;
  if (*std::max_element(image.pixels.begin(), image.pixels.end()) >= image.colors.size())
    return std::nullopt;

  // Everything the library reads is ready before the error jump point.
  std::vector<png_color> palette;
  for (std::uint32_t c : image.colors)
    palette.push_back(
        {static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
  // Opaque up to the see-through index, which is the last entry of the alpha table.
  std::vector<png_byte> alpha;
  if (image.transparent >= 0 && static_cast<std::size_t>(image.transparent) < palette.size()) {
    alpha.assign(static_cast<std::size_t>(image.transparent) + 1, 255);
    alpha.back() = 0;
  }
  std::vector<png_bytep> rows(h);
  for (std::size_t y = 0; y < h; ++y) rows[y] = const_cast<png_bytep>(image.pixels.data() + y * w);
  std::vector<std::uint8_t> out;

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return std::nullopt;
  }
  png_set_write_fn(png, &out, appendData, noFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!alpha.empty()) png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace lh
