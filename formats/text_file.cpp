#include "formats/text_file.h"

namespace lh {

namespace {

void appendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

constexpr std::uint32_t kReplacement = 0xFFFD;

std::string fromUtf16(ByteSpan data, std::size_t start, bool bigEndian) {
  std::u16string units;
  units.reserve(data.size() / 2);
  ByteReader in(data, start);
  while (in.has(2)) {
    const std::uint16_t c = bigEndian ? in.u16be() : in.u16le();
    if (c == 0) break;
    units += static_cast<char16_t>(c);
  }
  return utf16ToUtf8(units);
}

}  // namespace

std::string utf16ToUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = kReplacement;  // an unpaired surrogate
    }
    appendUtf8(out, c);
  }
  return out;
}

std::string decodeText(ByteSpan data) {
  const std::size_t n = data.size();
  if (n >= 2 && data[0] == 0xFF && data[1] == 0xFE) return fromUtf16(data, 2, false);
  if (n >= 2 && data[0] == 0xFE && data[1] == 0xFF) return fromUtf16(data, 2, true);
  const std::size_t whole = n & ~std::size_t{1};  // a text cut at an odd length ends mid-character
  if (whole >= 4 && data[whole - 1] == 0 && data[whole - 3] == 0) return fromUtf16(data, 0, false);
  std::string out;
  for (std::uint8_t b : data) {
    if (b == 0) break;
    out += static_cast<char>(b);
  }
  return out;
}

}  // namespace lh
