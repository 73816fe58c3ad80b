#pragma once
// A Windows bitmap file (.BMP) held in memory: shown instead of stitches when a design is a
// picture, and the source of the error pictures.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "design/design_bitmap.h"

namespace lh {

// Destination of CDib::paint: the rectangle the bitmap is drawn into, and whether that is
// its own size (rows copied unscaled) or a stretch.
struct DibRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const DibRect&, const DibRect&) = default;
};
struct PaintPlan {
  DibRect dest;
  bool unscaled = false;
};

class CDib {
 public:
  static constexpr std::size_t kFileHeaderSize = 14;
  static constexpr std::size_t kInfoHeaderSize = 40;

  // Loads a BMP file image. Returns the bytes taken (the whole span) or 0 when the data is
  // not a bitmap this class can hold: no "BM" signature, a short file, or header sizes that
  // do not fit the data. On failure the object is left empty, never half loaded.
  std::size_t readFromMemory(std::span<const std::uint8_t> file);
  // Reads a whole file from disk and loads it as readFromMemory does.
  std::size_t read(const std::string& path);
  // A validated copy of a BMP file image, or nothing.
  static std::optional<CDib> fromMemory(std::span<const std::uint8_t> file);

  // The BMP file image (file header, info header and colour table, rows); empty when no
  // bitmap is held. The image size is recomputed for uncompressed bitmaps.
  std::vector<std::uint8_t> write() const;

  bool valid() const { return !info_.empty(); }
  std::int32_t width() const;
  std::int32_t height() const;  // as stored: negative for a top-down bitmap
  std::uint16_t bitCount() const;
  std::uint32_t compression() const;
  // Colours used from the header when non-zero; else 2, 16 or 256 for 1, 4 or 8 bits per
  // pixel, 0 for more.
  int colourCount() const;
  int paletteSize() const { return colourCount() * 4; }
  // The info header and the colour table, zero-padded so that colourCount() entries exist.
  std::span<const std::uint8_t> info() const { return info_; }
  // The pixel rows (everything after the bits offset).
  std::span<const std::uint8_t> bits() const { return bits_; }
  // Colour-table entry i as 0x00BBGGRR (0 outside the table).
  std::uint32_t colourAt(int i) const;

  // Rebuilds the palette from the colour table; false when no bitmap is held.
  bool createPalette();
  // Colours of the palette as 0x00BBGGRR, empty for bitmaps without a colour table.
  const std::vector<std::uint32_t>& palette() const { return palette_; }

  // Duplicates another bitmap (both blocks) and rebuilds the palette.
  void copyFrom(const CDib& other);
  void clear();

  // Where paint draws: the source fitted into the destination keeping its proportions and
  // centred. Nothing when either rectangle is empty.
  static std::optional<PaintPlan> paintPlan(const DibRect& dest, const DibRect& src);

 private:
  std::vector<std::uint8_t> info_;
  std::vector<std::uint8_t> bits_;
  std::vector<std::uint32_t> palette_;
};

// The load dispatcher's BMP entry: validates `file` as a BMP file image and, when it is one,
// stores it in bitmap.picture and switches the bitmap to picture mode (holdsPicture, device
// image dropped). Returns false and changes nothing otherwise.
bool setPicture(DesignBitmap& bitmap, std::span<const std::uint8_t> file);

}  // namespace lh
