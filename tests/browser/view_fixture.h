#pragma once
// A temporary folder of small files that a design cell can show: stitch designs (written as
// DST by the writer), a text document, a bitmap file and a damaged design.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/design_codec.h"
#include "formats/dst.h"
#include "render/renderer.h"
#include "tests/support/design_builder.h"
#include "tests/zip/temp_dir.h"

namespace lh::test {

// Design i: two to four zigzag blocks; i also changes the stitch lengths and colours.
// `dense` multiplies the stitches of every block.
inline EmbDesign zigzagDesign(int i, int dense = 1) {
  static const std::uint32_t colors[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0x3060C0, 0xC06030};
  EmbDesign d;
  const int blocks = 2 + i % 3;
  for (int b = 0; b < blocks; ++b) {
    if (b > 0) d.stitches.push_back(colorChange());
    d.stitches.push_back(jump(-60 + 10 * b, 20 * b - 40));
    for (int k = 0; k < (12 + i % 5) * dense; ++k) d.stitches.push_back(st(k % 2 ? 50 + i : -50 - i, k % 7 == 0 ? 3 + b : -1));
    d.threads.push_back(thread(colors[static_cast<std::size_t>(i * 3 + b) % std::size(colors)]));
  }
  d.computeBounds();
  d.centreDesign();
  return d;
}

class ViewFolder : public TempDir {
 public:
  // Writes design i as "<name>" in DST; returns its path.
  std::string addDesign(const std::string& name, int i, int dense = 1) const {
    DesignCodec codec;
    EmbDesign d = zigzagDesign(i, dense);
    write(name, writeDst(codec, d).value());
    return file(name);
  }
  std::string addText(const std::string& name, const std::string& text) const {
    write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
    return file(name);
  }
  // A bitmap file: a small design rendered on a palette of its own.
  std::string addBitmap(const std::string& name) const {
    PaletteManager palette;
    EmbDesign d = zigzagDesign(1);
    usePalette(d, &palette);
    setSize(d, 32, 24);
    write(name, toBmpFile(d));
    return file(name);
  }
  // A design file whose bytes no reader takes.
  std::string addDamaged(const std::string& name) const {
    write(name, std::vector<std::uint8_t>(64, 0xEE));
    return file(name);
  }
};

}  // namespace lh::test
