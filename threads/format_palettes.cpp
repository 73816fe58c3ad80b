#include "threads/format_palettes.h"

#include <limits>

namespace lh {

namespace {

struct NamedColor {
  const char* name;
  std::uint32_t rgb;
};

// Husqvarna entries 0..43; the null names fall to the "Light Gray" default.
constexpr NamedColor kHusqvarnaDefault{"Light Gray", rgbOf(192, 192, 192)};
constexpr std::array<NamedColor, 44> kHusqvarna{{
    {"Black", rgbOf(0, 0, 0)},
    {"Blue", rgbOf(0, 0, 255)},
    {"Light Green", rgbOf(0, 255, 0)},
    {"Red", rgbOf(255, 0, 0)},
    {"Purple", rgbOf(255, 0, 255)},
    {"Yellow", rgbOf(255, 255, 0)},
    {"Gray", rgbOf(127, 127, 127)},
    {"Light Blue", rgbOf(51, 154, 255)},
    {"Green", rgbOf(51, 204, 102)},
    {"Orange", rgbOf(255, 127, 0)},
    {"Pink", rgbOf(255, 160, 180)},
    {"Brown", rgbOf(153, 75, 0)},
    {"White", rgbOf(255, 255, 255)},
    {"Dark Blue", rgbOf(0, 0, 127)},
    {"Dark Green", rgbOf(0, 127, 0)},
    {"Dark Red", rgbOf(127, 0, 0)},
    {"Light Red", rgbOf(255, 127, 127)},
    {"Dark Purple", rgbOf(127, 0, 127)},
    {"Light Purple", rgbOf(255, 127, 255)},
    {"Dark Yellow", rgbOf(200, 200, 0)},
    {"Light Yellow", rgbOf(255, 255, 153)},
    {"Dark Gray", rgbOf(60, 60, 60)},
    {nullptr, 0},  // 22
    {"Dark Orange", rgbOf(232, 63, 0)},
    {"Light Orange", rgbOf(255, 165, 65)},
    {"Dark Pink", rgbOf(255, 102, 122)},
    {"Light Pink", rgbOf(255, 204, 204)},
    {"Dark Brown", rgbOf(115, 40, 0)},
    {"Light Brown", rgbOf(175, 90, 10)},
    {nullptr, 0},  // 29
    {nullptr, 0},  // 30
    {nullptr, 0},  // 31
    {nullptr, 0},  // 32
    {"Dark Blue", rgbOf(0, 0, 128)},
    {"Dark Green", rgbOf(0, 128, 0)},
    {"Dark Red", rgbOf(128, 0, 0)},
    {"Dark Purple", rgbOf(128, 0, 128)},
    {"Dark Yellow", rgbOf(200, 200, 0)},
    {"Dark Gray", rgbOf(60, 60, 60)},
    {nullptr, 0},  // 39
    {nullptr, 0},  // 40
    {"Dark Orange", rgbOf(232, 63, 0)},
    {"Dark Pink", rgbOf(255, 102, 122)},
    {"Dark Brown", rgbOf(115, 40, 0)},
}};

constexpr const NamedColor& husqvarnaEntry(int n) {
  if (n < 0 || n >= static_cast<int>(kHusqvarna.size()) || kHusqvarna[static_cast<std::size_t>(n)].name == nullptr)
    return kHusqvarnaDefault;
  return kHusqvarna[static_cast<std::size_t>(n)];
}

// Janome codes 1..79 at [code - 1].
constexpr std::array<NamedColor, kJanomeCodes> kJanome{{
    {"Black", rgbOf(0, 0, 0)},
    {"White", rgbOf(255, 255, 255)},
    {"Yellow", rgbOf(255, 255, 16)},
    {"Orange", rgbOf(255, 101, 0)},
    {"Olive Green", rgbOf(41, 89, 49)},
    {"Green", rgbOf(33, 113, 49)},
    {"Sky Blue", rgbOf(99, 195, 206)},
    {"Purple", rgbOf(173, 89, 148)},
    {"Pink", rgbOf(247, 105, 165)},
    {"Red", rgbOf(255, 0, 0)},
    {"Brown", rgbOf(181, 113, 74)},
    {"Blue", rgbOf(8, 44, 132)},
    {"Gold", rgbOf(231, 195, 90)},
    {"Dark Brown", rgbOf(74, 24, 0)},
    {"Pale Violet", rgbOf(173, 158, 198)},
    {"Pale Yellow", rgbOf(255, 243, 148)},
    {"Pale Pink", rgbOf(255, 154, 181)},
    {"Peach", rgbOf(255, 178, 132)},
    {"Beige", rgbOf(206, 166, 132)},
    {"Wine Red", rgbOf(148, 4, 49)},
    {"Pale Sky", rgbOf(165, 186, 206)},
    {"Yellow Green", rgbOf(123, 195, 24)},
    {"Silver Gray", rgbOf(231, 231, 231)},
    {"Gray", rgbOf(140, 154, 156)},
    {"Pale Aqua", rgbOf(156, 215, 189)},
    {"Baby Blue", rgbOf(181, 227, 231)},
    {"Powder Blue", rgbOf(49, 138, 165)},
    {"Bright Blue", rgbOf(74, 130, 173)},
    {"Slate Blue", rgbOf(57, 105, 148)},
    {"Navy Blue", rgbOf(0, 20, 82)},
    {"Salmon Pink", rgbOf(255, 154, 165)},
    {"Coral", rgbOf(255, 101, 107)},
    {"Burnt Orange", rgbOf(231, 48, 24)},
    {"Cinnamon", rgbOf(231, 162, 140)},
    {"Umber", rgbOf(181, 150, 115)},
    {"Blond", rgbOf(231, 207, 156)},
    {"Sunflower", rgbOf(255, 203, 0)},
    {"Orchid Pink", rgbOf(231, 174, 214)},
    {"Peony Purple", rgbOf(198, 0, 123)},
    {"Burgundy", rgbOf(132, 0, 74)},
    {"Royal Purple", rgbOf(82, 4, 115)},
    {"Cardinal Red", rgbOf(101, 4, 33)},
    {"Opal Green", rgbOf(206, 227, 198)},
    {"Moss Green", rgbOf(140, 154, 82)},
    {"Meadow", rgbOf(74, 138, 24)},
    {"Dark Green", rgbOf(0, 48, 16)},
    {"Aquamarine", rgbOf(90, 174, 148)},
    {"Emerald", rgbOf(74, 182, 140)},
    {"Peacock Green", rgbOf(0, 117, 115)},
    {"Dark Gray", rgbOf(90, 89, 89)},
    {"Ivory White", rgbOf(255, 255, 247)},
    {"Hazel", rgbOf(101, 89, 24)},
    {"Toast", rgbOf(206, 138, 0)},
    {"Salmon", rgbOf(156, 109, 132)},
    {"Cocoa Brown", rgbOf(156, 105, 41)},
    {"Sienna", rgbOf(74, 52, 24)},
    {"Sepia", rgbOf(74, 48, 8)},
    {"Dark Sepia", rgbOf(49, 52, 8)},
    {"Violet Blue", rgbOf(82, 56, 148)},
    {"Blue Ink", rgbOf(8, 32, 123)},
    {"Solar Blue", rgbOf(24, 117, 173)},
    {"Green Dust", rgbOf(101, 223, 82)},
    {"Crimson", rgbOf(247, 52, 140)},
    {"Floral Pink", rgbOf(222, 101, 156)},
    {"Wine", rgbOf(156, 65, 99)},
    {"Olive Drab", rgbOf(74, 85, 16)},
    {"Meadow Green", rgbOf(90, 150, 24)},
    {"Mustard", rgbOf(231, 223, 123)},
    {"Yellow Ochre", rgbOf(206, 138, 24)},
    {"Old Gold", rgbOf(206, 162, 24)},
    {"Honey Dew", rgbOf(255, 154, 0)},
    {"Tangerine", rgbOf(255, 178, 82)},
    {"Canary Yellow", rgbOf(255, 231, 0)},
    {"Vermillion", rgbOf(247, 48, 24)},
    {"Bright Green", rgbOf(24, 134, 41)},
    {"Ocean Blue", rgbOf(57, 109, 173)},
    {"Beige Gray", rgbOf(231, 149, 101)},
    {"Bamboo", rgbOf(231, 168, 132)},
    {"Other Color", rgbOf(192, 192, 192)},
}};

constexpr std::array<const char*, kWindowsColors> kWindowsNames{
    "Black", "Dark Blue", "Blue",      "Dark Cyan",   "Cyan",        "Dark Magenta", "Magenta", "Dark Red",
    "Red",   "Dark Green", "Green",    "Dark Yellow", "Yellow",      "Medium Gray",  "Light Gray", "White"};

constexpr WindowsColorTable kWindows{
    rgbOf(0, 0, 0),     rgbOf(0, 0, 128),   rgbOf(0, 0, 255),     rgbOf(0, 128, 128),
    rgbOf(0, 255, 255), rgbOf(128, 0, 128), rgbOf(255, 0, 255),   rgbOf(128, 0, 0),
    rgbOf(255, 0, 0),   rgbOf(0, 128, 0),   rgbOf(0, 255, 0),     rgbOf(128, 128, 0),
    rgbOf(255, 255, 0), rgbOf(128, 128, 128), rgbOf(192, 192, 192), rgbOf(255, 255, 255)};

}  // namespace

ThreadColor husqvarnaColor(int n) {
  const NamedColor& e = husqvarnaEntry(n);
  ThreadColor t(e.name, e.rgb, n);
  t.colorName = e.name;
  return t;
}

int nearestHusqvarnaIndex(std::uint32_t rgb) {
  int best = std::numeric_limits<int>::max();
  int result = 0;
  for (int n = 0; n < kHusqvarnaSearchEntries; ++n) {
    const int d = channelDistance(rgb, husqvarnaEntry(n).rgb);
    if (d < best) {
      best = d;
      result = n;
    }
  }
  return result;
}

void janomeColor(ThreadColor& thread, int code) {
  thread.chartCode = code;
  if (code < 1 || code > kJanomeCodes) return;
  const NamedColor& e = kJanome[static_cast<std::size_t>(code - 1)];
  thread.rgb = e.rgb;
  thread.displayName = e.name;
}

ThreadColor janomeColor(int code) {
  ThreadColor t;
  janomeColor(t, code);
  return t;
}

std::uint32_t janomeRgb(int code) {
  if (code < 1 || code > kJanomeCodes) return 0;
  return kJanome[static_cast<std::size_t>(code - 1)].rgb;
}

int nearestJanomeCode(std::uint32_t rgb) {
  int best = 765;
  int result = 1;
  for (int code = 1; code < kJanomeCodes; ++code) {  // 79, "Other Color", is never chosen
    const int d = channelDistance(rgb, kJanome[static_cast<std::size_t>(code - 1)].rgb);
    if (d < best) {
      best = d;
      result = code;
    }
  }
  return result;
}

int nearestJanomeCode(ThreadColor& thread) {
  thread.chartCode = nearestJanomeCode(thread.rgb);
  return thread.chartCode;
}

const WindowsColorTable& windowsPalette() { return kWindows; }

ThreadColor windowsColor(int index) {
  if (index < 0 || index >= kWindowsColors) {
    ThreadColor t;
    t.chartCode = index;
    return t;
  }
  const auto i = static_cast<std::size_t>(index);
  ThreadColor t(kWindowsNames[i], kWindows[i], index);
  t.colorName = kWindowsNames[i];
  return t;
}

int exactWindowsIndex(std::uint32_t rgb) {
  for (int i = 0; i < kWindowsColors; ++i)
    if (kWindows[static_cast<std::size_t>(i)] == rgb) return i;
  return -1;
}

int nearestWindowsIndex(std::uint32_t rgb, const WindowsColorTable& table) {
  int best = 765;
  int result = 0;
  for (int i = 0; i < kWindowsColors; ++i) {
    const int d = channelDistance(rgb, table[static_cast<std::size_t>(i)]);
    if (d < best) {
      best = d;
      result = i;
    }
  }
  return result;
}

int nearestWindowsIndex(std::uint32_t rgb) { return nearestWindowsIndex(rgb, kWindows); }

}  // namespace lh
