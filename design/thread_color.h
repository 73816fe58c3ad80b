#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "design/attribute_list.h"

namespace lh {

// Brand chart ids carried in ThreadColor::chartCode (PEC palette indexes are 0..94).
enum ChartCode : std::int32_t {
  ChartEmbroidery = 0x100,
  ChartCountry = 0x200,
  ChartMadeiraRayon = 0x400,
  ChartMadeiraPoly = 0x700,
  ChartSulkyRayon = 0x1100,
  ChartFleshTone = 0x1200,
  ChartRaPoly = 0x1500,
  ChartRaRayon = 0x1600,
  ChartIsacord = 0x1700,
  ChartGutermannDekor = 0x1800,
};

// One colour: a colour block of a design, a chart row, a thread-table entry or a match.
struct ThreadColor {
  std::int32_t startX = 0, startY = 0;
  std::int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;
  std::int32_t stitchCount = 0;
  std::int64_t threadLength = 0;  // a sum of many moves: 64 bits
  std::uint32_t rgb = 0;  // 0x00BBGGRR
  std::int32_t chartCode = 0;
  // The colour chooser's palette the thread was picked from; -1 when it has no chooser position.
  std::int32_t chartIndex = -1;
  std::int32_t paletteIndex = 0;
  std::int32_t fileThreadIndex = 0;
  std::array<std::int32_t, 4> shades{};
  std::string displayName;
  std::string code;
  std::string colorName;
  std::string brand;
  std::string chartName;
  std::int32_t threadType = 0;
  std::int32_t needle = -1;
  AttributeList attributes;
  // Derived by updateHsb().
  std::int32_t hueGroup = 0;
  std::int32_t saturation = 0;
  std::int32_t brightness = 0;
  std::int32_t hue = 0;
  std::int32_t red = 0, green = 0, blue = 0;
  std::int32_t rgbSum = 0;

  ThreadColor() = default;
  // A chart row that lists one name per colour.
  ThreadColor(std::string name, std::uint32_t rgb, std::int32_t chartCode);
  // A brand-style row; displayName is "brand code colorName" with empty parts left out.
  ThreadColor(std::string brand, std::string colorName, std::string code, std::uint32_t rgb,
              std::int32_t chartCode, std::int32_t threadType);

  // Fills the derived hue, saturation, brightness and channel fields from rgb.
  void updateHsb();

  friend bool operator==(const ThreadColor&, const ThreadColor&) = default;
};

// Same brand (case-insensitive) and same colour value.
bool sameThread(const ThreadColor& a, const ThreadColor& b);

// Colour distances, 0 to 100. They expect updateHsb() to have run on both (colorDistance runs it).
float rgbDistance(const ThreadColor& a, const ThreadColor& b);
float hsbDistance(ThreadColor& a, const ThreadColor& b);
// The thread-matching distance; `a` is the colour matched, `b` the candidate.
float colorDistance(ThreadColor& a, ThreadColor& b);

constexpr std::uint32_t rgbOf(int r, int g, int b) {
  return static_cast<std::uint32_t>(r & 0xFF) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
         (static_cast<std::uint32_t>(b & 0xFF) << 16);
}
constexpr int redOf(std::uint32_t c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }

// A colour as sliders show it: hue 0..359, saturation and brightness 0..255.
struct HsbValue {
  int hue = 0, saturation = 0, brightness = 0;
  friend bool operator==(const HsbValue&, const HsbValue&) = default;
};
HsbValue hsbOfColor(std::uint32_t rgb);
std::uint32_t colorOfHsb(const HsbValue& hsb);

}  // namespace lh
