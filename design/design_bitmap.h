#pragma once
#include <cstdint>
#include <vector>

namespace lh {

class PaletteManager;  // render/palette_manager.h

// Header of a device-independent bitmap (the 40-byte BITMAPINFOHEADER fields).
struct DibHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 8;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t clrUsed = 0;
  std::uint32_t clrImportant = 0;
};

// Header plus colour table (RGB quads as 0x00RRGGBB, the byte order of a BMP file).
struct DibInfo {
  DibHeader header;
  std::vector<std::uint32_t> colors;
};

// The rendered 8-bit thumbnail every design carries. Plain state only: drawing lives in
// render/, and the GUI wraps the finished buffer.
struct DesignBitmap {
  bool thickLines = false;
  bool shaded = false;
  std::int32_t width = 0;   // always even once a buffer is allocated
  std::int32_t height = 0;
  std::vector<std::uint8_t> picture;  // a BMP file image shown instead of stitches (see render/cdib.h)
  std::uint32_t background = 0xFFFFFF;
  std::int32_t backgroundSlot = 0;
  std::vector<std::uint8_t> pixels;  // width x height slots, top row first, no padding
  std::int32_t dibColours = 0;
  std::vector<std::uint8_t> dibBits;  // bottom-up rows padded to 4 bytes
  DibInfo dibInfo;
  PaletteManager* palette = nullptr;
  bool holdsPicture = false;
  // The GUI's device-side image made from the DIB is current. Cleared whenever the buffer or
  // the palette binding changes so that the next paint rebuilds it.
  bool deviceBitmapValid = false;

  // The pixel buffer holds width x height slots, so it can be drawn into and read.
  bool holdsPixels() const {
    return width > 0 && height > 0 &&
           pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  }
  // Resets to a blank rendering (no buffer, no picture); size, background and palette stay.
  void resetBitmap() {
    pixels.clear();
    dibBits.clear();
    dibInfo = DibInfo{};
    dibColours = 0;
    picture.clear();
    holdsPicture = false;
    deviceBitmapValid = false;
  }
  // Copies the picture state (the shown bitmap file and whether it is shown).
  void copyPictureFrom(const DesignBitmap& other) {
    picture = other.picture;
    holdsPicture = other.holdsPicture;
    deviceBitmapValid = false;
  }
};

}  // namespace lh
