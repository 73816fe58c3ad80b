#pragma once
// The rules of the preferences pages that hold while the user types or clicks: the lists the
// pages offer, the limits that replace a typed number, the rule that keeps one view type
// ticked, and the 24 stored background colours with the chosen one.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/setting_keys.h"

namespace lh {

// One check box of the view-types page: the "Settings" flag it sets and its text.
struct ViewTypeEntry {
  std::string_view key;
  std::string_view text;
};
inline constexpr std::size_t kViewTypeCount = 18;
using ViewTicks = std::array<bool, kViewTypeCount>;
// The check boxes in page order.
std::span<const ViewTypeEntry> viewTypeEntries();
// Whether box `index` may be unticked: false when it is the last ticked one (the page then
// says prefs_texts::kLastTypeText and keeps it ticked).
bool mayUntick(const ViewTicks& ticks, std::size_t index);

// Whether a listed file stays in the list when `viewed` (viewedTypes) are the types shown:
// files of other known types go; files of no known type stay.
bool keptInList(std::string_view location, const std::vector<std::string>& viewed);

// The tool format list: one text per format code 0 to 9, as the format table titles it.
std::vector<std::string> toolFormatTitles();
// The three letters "Tools otf" keeps for a list text: its characters 2 to 4 (".DST (Tajima)"
// gives "DST").
std::string otfLetters(std::string_view title);

// What a number field does with a typed value: below `min` it becomes `belowMin`, above
// `max` it becomes `aboveMax`.
struct TypingRule {
  int min = 0;
  int max = 0;
  int belowMin = 0;
  int aboveMax = 0;
};
// A rule that brings a value to the nearest limit.
constexpr TypingRule nearestLimit(int min, int max) { return {min, max, min, max}; }
int typedValue(int value, const TypingRule& rule);

inline constexpr TypingRule kHoopTyping = nearestLimit(0, 1000);
inline constexpr TypingRule kTrimLengthTyping = nearestLimit(0, 100);
inline constexpr TypingRule kTrimCommandsTyping = nearestLimit(0, 12);
inline constexpr TypingRule kPercentTyping = nearestLimit(0, 100);
inline constexpr TypingRule kSortTyping = nearestLimit(kColorSortThreshold.min, kColorSortThreshold.max);
inline constexpr TypingRule kBasteLengthTyping = nearestLimit(kBasteLength.min, kBasteLength.max);
// A negative bitmap size becomes 150 and a size above 2000 (5000, or anything past 9999)
// becomes 2000 while typing; the stored size is brought into 32 to 1024 on apply
// (bitmapSizeOnApply).
inline constexpr TypingRule kBitmapTyping{0, 2000, 150, 2000};
int bitmapSizeOnApply(int typed);

// The background colours (section "BkgColors"): "s0" to "s23", the chosen position
// "selectedColor" (-1: none) and the colour itself "selectedColorRGB", all 0x00BBGGRR.
inline constexpr std::string_view kBackgroundSection = "BkgColors";
inline constexpr std::string_view kBackgroundColorKey = "selectedColorRGB";
inline constexpr SettingKey kBackgroundIndex{"BkgColors", "selectedColor", 18, -1, 23};
inline constexpr int kStoredColorCount = 24;
// "s0" ... "s23".
std::string storedColorKey(int index);

struct BackgroundColors {
  std::array<std::uint32_t, kStoredColorCount> stored{};
  int selected = kBackgroundIndex.defaultValue;
  std::uint32_t color = 0;

  // The 24 built-in colours with position 18 chosen ("Reset" restores the colours).
  static BackgroundColors defaults();
  // Clicking stored position `index` chooses it; ignored outside 0 to 23.
  void pick(int index);
  // A colour set with the sliders: no stored position holds it any more.
  void setColor(std::uint32_t rgb);
  // The current colour dropped on position `index` (ignored outside 0 to 23); the position
  // becomes the chosen one.
  void dropOn(int index);
  // "Reset": the 24 built-in colours; a chosen position stays chosen and gives its new colour.
  void resetStored();

  friend bool operator==(const BackgroundColors&, const BackgroundColors&) = default;
};

}  // namespace lh
