#include "browser/prefs_core/pref_rules.h"

#include <algorithm>

#include "formats/format_table.h"

namespace lh {

namespace {

constexpr std::array<ViewTypeEntry, kViewTypeCount> kViewTypes{{
    {"View Bmp", ".BMP (Window Bitmap)"},
    {"View Dst", ".DST (Tajima)"},
    {"View Hus", ".HUS (Husqvarna Viking)"},
    {"View Pcs", ".PCS (Pfaff)"},
    {"View Pec", ".PEC/.PHC (Quenby/Brother)"},
    {"View Pes", ".PES (Quenby/Brother/Bernina Deco)"},
    {"View Sew", ".SEW (Elna/Janome-New Home/Kenmore)"},
    {"View Jef", ".JEF/JEF+ (Janome-New Home)"},
    {"View Emd", ".EMD (Elna Xpressive)"},
    {"View Xxx", ".XXX (Singer Compucon)"},
    {"View Exp", ".EXP (Melco Expanded)"},
    {"View vip", ".VIP (Husqvarna Viking/Pfaff)"},
    {"View Shv", ".SHV (Husqvarna Viking Designer 1)"},
    {"View Txt", ".TXT (Windows Text)"},
    {"View Art", ".ART Bernina v.1 - 3"},
    {"View Emb", ".EMB Wilcom ver. 1-6"},
    {"View Jan", ".JAN Janome Digitizer 10000"},
    {"View Vp3", ".VP3 Viking / Pfaff"},
}};

constexpr std::array<std::uint32_t, kStoredColorCount> kDefaultColors{
    0xFFFFFF, 0xE6E6E6, 0xAAAAAA, 0x888888, 0x555555, 0x333333, 0xFFF5EB, 0xFFE5ED,
    0xAA8A64, 0x3E3BFF, 0xA5A4FF, 0x1394FD, 0xF6FCFF, 0x99FFFF, 0x7CB8DC, 0xFFDDDD,
    0xCBCBFF, 0xCCA3F9, 0xD9D9E6, 0xC26191, 0xFFDBB8, 0xE09C65, 0xE8FFCC, 0x74B16C};

bool validIndex(int index) { return index >= 0 && index < kStoredColorCount; }

}  // namespace

std::span<const ViewTypeEntry> viewTypeEntries() { return kViewTypes; }

bool mayUntick(const ViewTicks& ticks, std::size_t index) {
  if (index >= ticks.size() || !ticks[index]) return true;
  return std::count(ticks.begin(), ticks.end(), true) > 1;
}

bool keptInList(std::string_view location, const std::vector<std::string>& viewed) {
  const FormatInfo* f = formatOfPath(location);
  return f == nullptr || std::find(viewed.begin(), viewed.end(), upperName(*f)) != viewed.end();
}

std::vector<std::string> toolFormatTitles() {
  std::vector<std::string> out;
  for (int code = 0; code < kWritableFormats; ++code) {
    const FormatInfo* f = findFormat(static_cast<FormatCode>(code));
    out.emplace_back(f != nullptr ? f->title : std::string_view{});
  }
  return out;
}

std::string otfLetters(std::string_view title) { return std::string(title.substr(std::min<std::size_t>(1, title.size()), 3)); }

int typedValue(int value, const TypingRule& rule) {
  if (value < rule.min) return rule.belowMin;
  if (value > rule.max) return rule.aboveMax;
  return value;
}

int bitmapSizeOnApply(int typed) { return std::clamp(typed, kBmpSize.min, kBmpSize.max); }

std::string storedColorKey(int index) { return "s" + std::to_string(index); }

BackgroundColors BackgroundColors::defaults() {
  BackgroundColors c;
  c.stored = kDefaultColors;
  c.selected = kBackgroundIndex.defaultValue;
  c.color = kDefaultColors[static_cast<std::size_t>(c.selected)];
  return c;
}

void BackgroundColors::pick(int index) {
  if (!validIndex(index)) return;
  selected = index;
  color = stored[static_cast<std::size_t>(index)];
}

void BackgroundColors::setColor(std::uint32_t rgb) {
  color = rgb & 0xFFFFFFu;
  selected = -1;
}

void BackgroundColors::dropOn(int index) {
  if (!validIndex(index)) return;
  stored[static_cast<std::size_t>(index)] = color;
  selected = index;
}

void BackgroundColors::resetStored() {
  stored = kDefaultColors;
  if (validIndex(selected)) color = stored[static_cast<std::size_t>(selected)];
}

}  // namespace lh
