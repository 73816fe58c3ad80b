// loomhall-cli render [--size N] [--3d] [--jumps] [--background #RRGGBB] FILE OUT.bmp|OUT.png
#include <cstdio>
#include <cstdlib>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/design_io.h"
#include "design/attribute_list.h"
#include "files/save_file.h"
#include "render/cdib.h"
#include "render/png_image.h"
#include "render/renderer.h"

namespace lh::cli {

namespace {

constexpr int kDefaultSize = 400;
constexpr int kMaxSize = kPictureSizes.max;

// An uncompressed 4- or 8-bit BMP file image as indexes and colours.
std::optional<IndexedImage> pictureImage(std::span<const std::uint8_t> file) {
  CDib dib;
  if (dib.readFromMemory(file) == 0 || dib.compression() != 0) return std::nullopt;
  const int bits = dib.bitCount();
  const int w = dib.width();
  const int h = std::abs(dib.height());
  if ((bits != 4 && bits != 8) || w <= 0 || h <= 0 || w > kMaxSize * 4 || h > kMaxSize * 4)
    return std::nullopt;
  const std::size_t stride = (static_cast<std::size_t>(bits) * static_cast<std::size_t>(w) + 31) / 32 * 4;
  const auto pixels = dib.bits();
  if (pixels.size() < stride * static_cast<std::size_t>(h)) return std::nullopt;
  IndexedImage image;
  image.width = w;
  image.height = h;
  for (int i = 0; i < dib.colourCount() && i < 256; ++i) {
    const std::uint32_t c = dib.colourAt(i);
    image.colors.push_back((static_cast<std::uint32_t>(redOf(c)) << 16) |
                            (static_cast<std::uint32_t>(greenOf(c)) << 8) |
                            static_cast<std::uint32_t>(blueOf(c)));
  }
  const bool bottomUp = dib.height() > 0;
  for (int y = 0; y < h; ++y) {
    const std::size_t row = static_cast<std::size_t>(bottomUp ? h - 1 - y : y) * stride;
    for (int x = 0; x < w; ++x) {
      const std::size_t ux = static_cast<std::size_t>(x);
      const std::uint8_t v =
          bits == 8 ? pixels[row + ux]
                    : static_cast<std::uint8_t>((pixels[row + ux / 2] >> (ux % 2 ? 0 : 4)) & 0x0F);
      image.pixels.push_back(v);
    }
  }
  return image;
}
}  // namespace

int runRender(Args args) {
  int size = kDefaultSize;
  bool shaded = false, jumps = false;
  std::string backgroundText;
  std::uint32_t background = 0xFFFFFF;
  std::vector<std::string> files;
  CommandLine line("render", "Draws a design into a BMP or PNG picture; an existing OUT is never replaced.");
  line.app.add_option("--size", size, "picture width and height in pixels (default 400)")
      ->check(CLI::Range(kPictureSizes.min, kPictureSizes.max));
  line.app.add_flag("--3d", shaded, "draw the stitches shaded");
  line.app.add_flag("--jumps", jumps, "draw the jumps too");
  line.app.add_option("--background", backgroundText, "background colour #RRGGBB (default white)");
  line.app.add_option("FILE", files, "the design, then OUT.bmp or OUT.png")->expected(2)->required();
  if (const auto status = line.parse(args)) return *status;
  if (!backgroundText.empty() && !parseRgb(backgroundText, background))
    return usageError("render: --background needs a colour #RRGGBB");
  const std::string& out = files[1];
  const std::string_view ext = extensionOf(out);
  const bool png = equalsNoCase(ext, "png");
  if (!png && !equalsNoCase(ext, "bmp")) return usageError("render: OUT must end in .bmp or .png");

  CliCodec cli;
  EmbDesign design;
  const LoadResult result = loadOrComplain(cli.codec, design, files[0]);
  PaletteManager palette;
  usePalette(design, &palette);
  setSize(design, size, size);
  setBackground(design, background);
  design.shaded = shaded;
  design.showJumps = jumps;

  // A picture (a bitmap file, or the picture saying why nothing loaded) is written as it is.
  std::vector<std::uint8_t> image;
  if (png) {
    auto indexed = design.holdsPicture ? pictureImage(design.picture) : renderedImage(design);
    if (indexed) image = encodePng(*indexed).value_or(std::vector<std::uint8_t>{});
  } else {
    image = design.holdsPicture ? design.picture : toBmpFile(design);
  }
  if (image.empty()) {
    std::fprintf(stderr, "loomhall-cli: %s: nothing to render\n", files[0].c_str());
    return Failed;
  }
  const auto saved = saveUnique(out, image);
  if (!saved) {
    std::fprintf(stderr, "loomhall-cli: %s: could not be written\n", out.c_str());
    return Failed;
  }
  std::printf("%s\n", saved->c_str());
  return result == LoadResult::Ok ? Ok : Failed;
}

}  // namespace lh::cli
