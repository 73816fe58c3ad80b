#include "render/cdib.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "design/thread_color.h"

namespace lh {

namespace {

// Compression values of the info header.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

// Dimensions beyond this are damaged headers, not pictures (and would overflow row sizes).
constexpr std::int64_t kMaxDimension = 1 << 20;
constexpr int kMaxColors = 256;

std::uint32_t le32(std::span<const std::uint8_t> d, std::size_t at) {
  if (at + 4 > d.size()) return 0;
  return static_cast<std::uint32_t>(d[at]) | (static_cast<std::uint32_t>(d[at + 1]) << 8) |
         (static_cast<std::uint32_t>(d[at + 2]) << 16) | (static_cast<std::uint32_t>(d[at + 3]) << 24);
}
std::uint16_t le16(std::span<const std::uint8_t> d, std::size_t at) {
  if (at + 2 > d.size()) return 0;
  return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}
void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

int colorCountOf(std::uint32_t clrUsed, std::uint16_t bitCount) {
  if (clrUsed != 0) return clrUsed > static_cast<std::uint32_t>(kMaxColors) ? kMaxColors + 1 : static_cast<int>(clrUsed);
  switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

// Bytes between the info header and the colour table: the three channel masks that follow a
// 40-byte header in a bit-field bitmap.
std::size_t maskBytes(std::uint32_t headerSize, std::uint32_t compression) {
  return compression == kBiBitfields && headerSize == CDib::kInfoHeaderSize ? 12 : 0;
}

std::uint64_t rowBytes(std::uint64_t width, std::uint16_t bitCount) {
  return ((static_cast<std::uint64_t>(bitCount) * width + 31) / 32) * 4;
}

}  // namespace

std::size_t CDib::readFromMemory(std::span<const std::uint8_t> file) {
  clear();
  const std::size_t n = file.size();
  if (n < kFileHeaderSize || file[0] != 'B' || file[1] != 'M') return 0;
  const std::uint32_t offBits = le32(file, 10);
  if (offBits < kFileHeaderSize + kInfoHeaderSize || offBits > n) return 0;

  const std::span<const std::uint8_t> header = file.subspan(kFileHeaderSize, offBits - kFileHeaderSize);
  const std::uint32_t headerSize = le32(header, 0);
  if (headerSize < kInfoHeaderSize || headerSize > header.size()) return 0;
  const auto width = static_cast<std::int32_t>(le32(header, 4));
  const auto height = static_cast<std::int32_t>(le32(header, 8));
  const std::uint16_t bitCount = le16(header, 14);
  const std::uint32_t compression = le32(header, 16);
  const std::uint32_t sizeImage = le32(header, 20);
  const std::uint32_t clrUsed = le32(header, 32);
  if (width <= 0 || width > kMaxDimension || height == 0 || height < -kMaxDimension || height > kMaxDimension)
    return 0;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    return 0;
  const int colors = colorCountOf(clrUsed, bitCount);
  if (colors > kMaxColors) return 0;

  const std::size_t bitsSize = n - offBits;
  switch (compression) {
    case kBiRgb:
    case kBiBitfields: {
      if (compression == kBiBitfields && bitCount != 16 && bitCount != 32) return 0;
      const std::uint64_t need = rowBytes(static_cast<std::uint64_t>(width), bitCount) *
                                 static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
      if (need > bitsSize) return 0;
      break;
    }
    case kBiRle8:
    case kBiRle4:
      if ((compression == kBiRle8 && bitCount != 8) || (compression == kBiRle4 && bitCount != 4)) return 0;
      if (sizeImage > bitsSize || bitsSize == 0) return 0;
      break;
    default:
      return 0;
  }

  // The colour table follows the header; a table cut short by the bits offset reads as zeros.
  info_.assign(header.begin(), header.end());
  const std::size_t wanted = headerSize + maskBytes(headerSize, compression) + static_cast<std::size_t>(colors) * 4;
  if (info_.size() < wanted) info_.resize(wanted, 0);
  bits_.assign(file.begin() + static_cast<std::ptrdiff_t>(offBits), file.end());
  createPalette();
  return n;
}

std::size_t CDib::read(const std::string& path) {
  clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return 0;
  return readFromMemory(data);
}

std::optional<CDib> CDib::fromMemory(std::span<const std::uint8_t> file) {
  CDib dib;
  if (dib.readFromMemory(file) == 0) return std::nullopt;
  return dib;
}

std::vector<std::uint8_t> CDib::write() const {
  if (!valid()) return {};
  const std::uint32_t headerSize = le32(info_, 0);
  const std::size_t palette = maskBytes(headerSize, compression()) + static_cast<std::size_t>(paletteSize());
  std::uint64_t imageSize = le32(info_, 20);
  if (compression() == kBiRgb || compression() == kBiBitfields) {
    const std::int64_t h = height();
    imageSize = rowBytes(static_cast<std::uint64_t>(width()), bitCount()) *
                static_cast<std::uint64_t>(h < 0 ? -h : h);
  } else if (imageSize == 0) {
    imageSize = bits_.size();
  }
  const std::size_t image = static_cast<std::size_t>(imageSize);  // validated on read to fit bits_
  const std::size_t offBits = kFileHeaderSize + headerSize + palette;
  std::vector<std::uint8_t> out(offBits + image, 0);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, static_cast<std::uint32_t>(offBits + image));
  put32(out, 10, static_cast<std::uint32_t>(offBits));
  std::memcpy(out.data() + kFileHeaderSize, info_.data(), headerSize + palette);
  put32(out, kFileHeaderSize + 20, static_cast<std::uint32_t>(image));
  std::memcpy(out.data() + offBits, bits_.data(), image);
  return out;
}

std::int32_t CDib::width() const { return static_cast<std::int32_t>(le32(info_, 4)); }
std::int32_t CDib::height() const { return static_cast<std::int32_t>(le32(info_, 8)); }
std::uint16_t CDib::bitCount() const { return le16(info_, 14); }
std::uint32_t CDib::compression() const { return le32(info_, 16); }

int CDib::colourCount() const {
  if (!valid()) return 0;
  return colorCountOf(le32(info_, 32), bitCount());
}

std::uint32_t CDib::colourAt(int i) const {
  if (!valid() || i < 0 || i >= colourCount()) return 0;
  const std::uint32_t headerSize = le32(info_, 0);
  const std::size_t at = headerSize + maskBytes(headerSize, compression()) + static_cast<std::size_t>(i) * 4;
  return rgbOf(info_[at + 2], info_[at + 1], info_[at]);
}

bool CDib::createPalette() {
  palette_.clear();
  if (!valid()) return false;
  const int n = colourCount();
  palette_.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) palette_.push_back(colourAt(i));
  return true;
}

void CDib::copyFrom(const CDib& other) {
  if (&other == this) return;
  info_ = other.info_;
  bits_ = other.bits_;
  createPalette();
}

void CDib::clear() {
  info_.clear();
  bits_.clear();
  palette_.clear();
}

std::optional<PaintPlan> CDib::paintPlan(const DibRect& dest, const DibRect& src) {
  const int dw = dest.width(), dh = dest.height();
  const int sw = src.width(), sh = src.height();
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return std::nullopt;
  PaintPlan plan;
  plan.dest = dest;
  if (sh - dh < sw - dw) {
    const int h = static_cast<int>(std::trunc(sh / (static_cast<double>(sw) / dw)));
    const int c = dest.top + dh / 2;
    plan.dest.top = c - h / 2;
    plan.dest.bottom = c + h / 2;
  } else {
    const int w = static_cast<int>(std::trunc(sw / (static_cast<double>(sh) / dh)));
    const int c = dest.left + dw / 2;
    plan.dest.left = c - w / 2;
    plan.dest.right = c + w / 2;
  }
  plan.unscaled = plan.dest.width() == sw && plan.dest.height() == sh;
  return plan;
}

bool setPicture(DesignBitmap& bitmap, std::span<const std::uint8_t> file) {
  CDib dib;
  if (dib.readFromMemory(file) == 0) return false;
  bitmap.picture.assign(file.begin(), file.end());
  bitmap.holdsPicture = true;
  bitmap.pixels.clear();
  bitmap.dibBits.clear();
  bitmap.deviceBitmapValid = false;
  return true;
}

}  // namespace lh
