// The output side of a rendered design: DIB arrays and BMP file images.
#include <algorithm>
#include <cstring>

#include "render/renderer.h"

namespace lh {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kFreeSlotQuad = 0x00FFFFFF;  // a free slot's value (-1) reads as white

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

bool buildDib(EmbDesign& design) {
  DesignBitmap& d = design;  // the bitmap's size (EmbDesign::width() is the design's)
  if (d.holdsPicture || d.palette == nullptr) return false;
  const bool haveBuffer = d.width > 0 && d.height > 0 &&
                          d.pixels.size() == static_cast<std::size_t>(d.width) * static_cast<std::size_t>(d.height);
  if (!haveBuffer && !render(design, -1)) return false;

  const std::size_t w = static_cast<std::size_t>(d.width), h = static_cast<std::size_t>(d.height);
  const std::size_t stride = (w + 3) / 4 * 4;
  d.dibBits.assign(stride * h, 0);
  for (std::size_t j = 0; j < h; ++j)
    std::memcpy(d.dibBits.data() + (h - 1 - j) * stride, d.pixels.data() + j * w, w);

  const int largest = *std::max_element(d.pixels.begin(), d.pixels.end());
  d.dibColours = std::max(largest + 1, 2);

  DibHeader& hd = d.dibInfo.header;
  hd = DibHeader{};
  hd.width = d.width;
  hd.height = d.height;
  hd.planes = 1;
  hd.bitCount = 8;
  hd.compression = 0;
  hd.sizeImage = static_cast<std::uint32_t>(stride * h);
  hd.clrUsed = static_cast<std::uint32_t>(d.dibColours);
  hd.clrImportant = 0;

  d.dibInfo.colors.assign(static_cast<std::size_t>(d.dibColours), kFreeSlotQuad);
  const PaletteManager::Hold hold = d.palette->hold();  // one consistent colour table
  for (int s = 0; s < d.dibColours; ++s) {
    const std::int32_t v = d.palette->slotValue(s);
    if (v == PaletteManager::kFree) continue;
    const auto c = static_cast<std::uint32_t>(v);
    d.dibInfo.colors[static_cast<std::size_t>(s)] =
        (static_cast<std::uint32_t>(redOf(c)) << 16) | (static_cast<std::uint32_t>(greenOf(c)) << 8) |
        static_cast<std::uint32_t>(blueOf(c));
  }
  std::vector<std::uint8_t>().swap(d.pixels);
  d.deviceBitmapValid = false;
  return true;
}

std::vector<std::uint8_t> toBmpFile(EmbDesign& d) {
  if (!buildDib(d)) return {};
  const DibHeader& hd = d.dibInfo.header;
  const std::uint32_t table = 4 * static_cast<std::uint32_t>(d.dibColours);
  const std::uint32_t offBits = kFileHeaderSize + kInfoHeaderSize + table;

  std::vector<std::uint8_t> out;
  out.reserve(offBits + d.dibBits.size());
  out.push_back('B');
  out.push_back('M');
  put32(out, hd.sizeImage + offBits);
  put16(out, 0);
  put16(out, 0);
  put32(out, offBits);

  put32(out, kInfoHeaderSize);
  put32(out, static_cast<std::uint32_t>(hd.width));
  put32(out, static_cast<std::uint32_t>(hd.height));
  put16(out, hd.planes);
  put16(out, hd.bitCount);
  put32(out, hd.compression);
  put32(out, hd.sizeImage);
  put32(out, static_cast<std::uint32_t>(hd.xPelsPerMeter));
  put32(out, static_cast<std::uint32_t>(hd.yPelsPerMeter));
  put32(out, hd.clrUsed);
  put32(out, hd.clrImportant);
  for (std::uint32_t quad : d.dibInfo.colors) put32(out, quad);
  out.insert(out.end(), d.dibBits.begin(), d.dibBits.end());

  std::vector<std::uint8_t>().swap(d.dibBits);
  d.dibInfo.colors.clear();
  return out;
}

void dropDeviceBitmap(DesignBitmap& bitmap) { bitmap.deviceBitmapValid = false; }

void usePalette(DesignBitmap& bitmap, PaletteManager* palette) {
  bitmap.palette = palette;
  dropDeviceBitmap(bitmap);
}

}  // namespace lh
