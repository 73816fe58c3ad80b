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
  std::string out;
  out.reserve(data.size() / 2);
  ByteReader in(data, start);
  auto unit = [&] { return bigEndian ? in.u16be() : in.u16le(); };
  while (in.has(2)) {
    std::uint32_t c = unit();
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xDC00) {
      // A high surrogate needs a low one after it.
      const std::size_t at = in.pos();
      const std::uint32_t low = in.has(2) ? unit() : 0;
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      } else {
        c = kReplacement;
        in.seek(at);
      }
    } else if (c >= 0xDC00 && c < 0xE000) {
      c = kReplacement;
    }
    appendUtf8(out, c);
  }
  return out;
}

}  // namespace

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
