// Arbitrary stitches, bounds, sizes and flags: rendering must stay inside the buffer.
#include <cstdint>
#include <cstring>

#include "render/renderer.h"

namespace {

std::int32_t take32(const std::uint8_t*& p, std::size_t& n) {
  std::int32_t v = 0;
  if (n >= 4) {
    std::memcpy(&v, p, 4);
    p += 4;
    n -= 4;
  }
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 12) return 0;
  const std::uint8_t* p = data;
  std::size_t n = size;
  const std::uint8_t flags = *p++;
  const int w = *p++ % 80, h = *p++ % 80;
  const int filter = static_cast<std::int8_t>(*p++) % 4;
  n -= 4;
  lh::EmbDesign d;
  d.maxX = take32(p, n) % 40000;
  d.minX = take32(p, n) % 40000;
  d.maxY = take32(p, n) % 40000;
  d.minY = take32(p, n) % 40000;
  while (n >= 5) {
    lh::Stitch s;
    s.flags = p[0] & 0x0B;
    std::memcpy(&s.dx, p + 1, 2);
    std::memcpy(&s.dy, p + 3, 2);
    d.stitches.push_back(s);
    p += 5;
    n -= 5;
  }
  for (int i = 0; i < (flags >> 4); ++i) {
    lh::ThreadColor t;
    t.rgb = static_cast<std::uint32_t>(i * 0x3F1D27) & 0xFFFFFF;
    d.threads.push_back(t);
  }
  lh::PaletteManager palette;
  lh::usePalette(d, &palette);
  lh::setSize(d, w, h);
  d.shaded = flags & 1;
  d.thickLines = flags & 2;
  d.showJumps = flags & 4;
  lh::render(d, filter < -1 ? -1 : filter);
  std::vector<std::uint8_t> mask;
  lh::renderBlockMask(d, 0, mask);
  if (flags & 8) lh::renderOutline(d);
  (void)lh::toBmpFile(d);
  return 0;
}
