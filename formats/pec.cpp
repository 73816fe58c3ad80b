#include "formats/pec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "render/palette_manager.h"
#include "render/renderer.h"
#include "threads/pec_palette.h"

namespace lh {

namespace {

// Colour-change marker and the long-form flag bytes.
constexpr std::uint8_t kColorChange0 = 0xFE;
constexpr std::uint8_t kColorChange1 = 0xB0;
constexpr std::uint8_t kLongFlag = 0x80;
constexpr std::uint8_t kFirstFlag = 0x90;
constexpr std::uint8_t kJumpFlag = 0xA0;
// Section length = bytes before the end byte + this.
constexpr std::uint32_t kSectionExtra = 17;
// Piece length for moves beyond the 12-bit range; the slack below 2047 absorbs truncation.
constexpr int kSplitStep = 2000;

// One value at `cursor`; false when the bytes run out.
inline bool decodeValue(ByteSpan bytes, std::size_t& cursor, int& value, bool& jump) {
  if (cursor >= bytes.size()) return false;
  const std::uint8_t b = bytes[cursor++];
  if (b & 0x80) {
    if (cursor >= bytes.size()) return false;
    int v = ((b & 0x0F) << 8) + bytes[cursor++];
    if (v > 0x7FF) v -= 4096;
    if (b > 0x8F) jump = true;
    value = v;
  } else {
    value = b > 0x3F ? b - 128 : b;
  }
  return true;
}

inline std::uint8_t* putValue(std::uint8_t* p, int v, bool isLong, std::uint8_t high) {
  if (isLong) {
    const int u = v < 0 ? v + 4096 : v;
    *p++ = static_cast<std::uint8_t>(((u >> 8) & 0x0F) | high);
    *p++ = static_cast<std::uint8_t>(u & 0xFF);
  } else {
    *p++ = static_cast<std::uint8_t>(v < 0 ? v + 128 : v);
  }
  return p;
}

bool pixelOf(const std::uint8_t* pic, int x, int y) {
  return (pic[y * kPecPictureStride + x / 8] >> (x % 8)) & 1;
}
void setPixel(std::uint8_t* pic, int x, int y) {
  pic[y * kPecPictureStride + x / 8] = static_cast<std::uint8_t>(pic[y * kPecPictureStride + x / 8] | (1 << (x % 8)));
}
void clearPixel(std::uint8_t* pic, int x, int y) {
  pic[y * kPecPictureStride + x / 8] =
      static_cast<std::uint8_t>(pic[y * kPecPictureStride + x / 8] & ~(1 << (x % 8)));
}

void framePicture(std::uint8_t* pic) {
  for (int x = 4; x <= 43; ++x) {
    setPixel(pic, x, 1);
    setPixel(pic, x, 36);
  }
  for (int y = 4; y <= 33; ++y) {
    setPixel(pic, 1, y);
    setPixel(pic, 46, y);
  }
  static constexpr int corners[8][2] = {{3, 2}, {2, 3}, {44, 2}, {45, 3}, {2, 34}, {3, 35}, {45, 34}, {44, 35}};
  for (const auto& c : corners) setPixel(pic, c[0], c[1]);
}

}  // namespace

std::optional<Stitch> decodePecStitch(ByteSpan bytes, std::size_t& cursor) {
  if (cursor >= bytes.size()) return std::nullopt;
  if (bytes[cursor] == kColorChange0 && cursor + 1 < bytes.size() && bytes[cursor + 1] == kColorChange1) {
    cursor += 3;
    return Stitch(0, 0, false, true);
  }
  int x = 0, y = 0;
  bool jump = false;
  if (!decodeValue(bytes, cursor, x, jump) || !decodeValue(bytes, cursor, y, jump)) return std::nullopt;
  return Stitch(x, -y, jump);
}

void pecBlockColors(EmbDesign& design, ByteSpan indexes) {
  for (std::uint8_t index : indexes) {
    ThreadColor t;
    t.chartCode = index;
    t.displayName = std::string(pecColorName(index));
    t.rgb = pecColor(index);
    design.threads.push_back(std::move(t));
  }
}

int encodePecStitch(std::uint8_t* buffer, const Stitch& r, int colourNumber) {
  std::uint8_t* p = buffer;
  std::uint8_t f = kLongFlag;
  bool longX = false, longY = false;
  const int x = r.dx;
  const int y = -r.dy;
  if (r.isColorChange()) {
    *p++ = kColorChange0;
    *p++ = kColorChange1;
    *p++ = (colourNumber % 2 != 0) ? 1 : 2;
    if (r.isZeroMove() && !r.isJump()) return 3;
    if (!r.isZeroMove()) {
      f = kFirstFlag;
      longX = longY = true;
    }
  }
  if (colourNumber == 0) {
    f = kFirstFlag;
    longX = longY = true;
  }
  if (x >= 64 || x < -64) longX = true;
  if (y >= 64 || y < -64) longY = true;
  if (r.isJump()) longX = longY = true;
  const std::uint8_t high = r.isJump() ? kJumpFlag : f;
  p = putValue(p, x, longX, high);
  p = putValue(p, y, longY, high);
  return static_cast<int>(p - buffer);
}

std::uint32_t writePecStitches(const EmbDesign& design, ByteWriter& out) {
  ByteBuffer& buf = out.buffer();
  const std::size_t start = buf.size();
  buf.resize(start + design.stitches.size() * 7 + 1);
  std::size_t at = start;
  int colourNumber = 0;
  for (const Stitch& s : design.stitches) {
    if (s.isColorChange()) ++colourNumber;
    Stitch r = s;
    const int x = r.dx, y = -r.dy;
    if (x < kPecLongMin || x > kPecLongMax || y < kPecLongMin || y > kPecLongMax) {
      // Out of the 12-bit range (only a first record carrying a large offset can be): lead
      // with jumps that bring the rest into range.
      const int pieces = (std::max(std::abs(x), std::abs(y)) + kSplitStep - 1) / kSplitStep;
      const Stitch piece(r.dx / pieces, r.dy / pieces, true);
      buf.resize(buf.size() + static_cast<std::size_t>(pieces) * 4);
      for (int k = 1; k < pieces; ++k) {
        at += static_cast<std::size_t>(encodePecStitch(buf.data() + at, piece, 1));
        r.addMove(-piece.dx, -piece.dy);
      }
    }
    at += static_cast<std::size_t>(encodePecStitch(buf.data() + at, r, colourNumber));
    if (colourNumber == 0) colourNumber = 1;
  }
  const std::uint32_t length = static_cast<std::uint32_t>(at - start) + kSectionExtra;
  buf[at++] = kPecEndByte;
  buf.resize(at);
  return length;
}

std::string pecLabel(std::string_view path) {
  const auto slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const auto dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return {};
  return std::string(name.substr(0, std::min(dot, kPecLabelLength)));
}

void writePecHeader(ByteWriter& out, std::string_view label, std::span<const std::uint8_t> colorIndexes,
                    bool threadTableMark) {
  ByteBuffer& buf = out.buffer();
  const std::size_t h = buf.size();
  buf.resize(h + kPecHeaderSize, 0x20);
  std::uint8_t* p = buf.data() + h;
  std::memcpy(p, "LA:", 3);
  label = label.substr(0, kPecLabelLength);
  std::memcpy(p + 3, label.data(), label.size());
  p[19] = 0x0D;
  p[31] = threadTableMark ? 0xFF : 0x20;
  p[32] = 0xFF;
  p[33] = 0x00;
  p[34] = kPecPictureStride;
  p[35] = kPecPictureRows;
  const std::size_t n = std::min(colorIndexes.size(), kPecColorListCapacity);
  p[kPecColorCountOffset] = static_cast<std::uint8_t>(n == 0 ? 0 : n - 1);
  std::memcpy(p + kPecColorListOffset, colorIndexes.data(), n);
}

void writePecSectionHeader(ByteWriter& out, std::uint32_t sectionLength, int width, int height) {
  out.u16le(0);
  out.u24le(sectionLength);
  out.u8(0x31);
  out.u8(0xFF);
  out.u8(0xF0);
  out.u16le(static_cast<unsigned>(width) & 0xFFFF);
  out.u16le(static_cast<unsigned>(height) & 0xFFFF);
  out.u16le(0x01E0);
  out.u16le(0x01B0);
}

void pecColourPicture(EmbDesign& design, int block, std::uint8_t* out) {
  std::memset(out, 0, kPecPictureSize);
  PaletteManager local;
  PaletteManager* const saved = design.palette;
  const bool savedShaded = design.shaded, savedThick = design.thickLines, savedJumps = design.showJumps;
  design.palette = &local;
  design.shaded = design.thickLines = design.showJumps = false;
  setSize(design, kPecRenderWidth, kPecRenderHeight);
  const bool drawn = render(design, block);
  if (drawn && !design.pixels.empty()) {
    const int w = static_cast<const DesignBitmap&>(design).width;
    for (int r = 0; r < kPecPictureRows; ++r) {
      const std::uint8_t* row = design.pixels.data() + static_cast<std::size_t>(3 * r) * static_cast<std::size_t>(w);
      for (int c = 0; c < kPecPictureStride; ++c) {
        std::uint8_t byte = 0;
        for (int k = 0; k < 8; ++k)
          if (row[24 * c + 3 * k] != 0) byte = static_cast<std::uint8_t>(byte | (1 << k));
        out[r * kPecPictureStride + c] = byte;
      }
    }
  }
  design.pixels.clear();
  design.palette = saved;
  design.shaded = savedShaded;
  design.thickLines = savedThick;
  design.showJumps = savedJumps;
}

void pecDesignPicture(std::uint8_t* pictures, std::size_t blocks) {
  for (std::size_t i = 0; i <= blocks; ++i) framePicture(pictures + i * kPecPictureSize);
  std::uint8_t copy[kPecPictureSize];
  for (std::size_t i = 1; i <= blocks; ++i) {
    const std::uint8_t* pic = pictures + i * kPecPictureSize;
    std::memcpy(copy, pic, kPecPictureSize);
    for (int y = 3; y <= 34; ++y) {
      for (int x = 3; x <= 44; ++x) {
        if (!pixelOf(pic, x, y)) continue;
        bool inner = true;
        for (int dy = -1; dy <= 1 && inner; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            if ((dx || dy) && !pixelOf(pic, x + dx, y + dy)) {
              inner = false;
              break;
            }
        if (inner) clearPixel(copy, x, y);
      }
    }
    for (std::size_t b = 0; b < kPecPictureSize; ++b) pictures[b] = static_cast<std::uint8_t>(pictures[b] | copy[b]);
  }
}

ByteBuffer pecPictures(EmbDesign& design) {
  const std::size_t blocks = design.threads.size();
  ByteBuffer pics((blocks + 1) * kPecPictureSize, 0);
  for (std::size_t i = 0; i < blocks; ++i)
    pecColourPicture(design, static_cast<int>(i), pics.data() + (i + 1) * kPecPictureSize);
  pecDesignPicture(pics.data(), blocks);
  return pics;
}

}  // namespace lh
