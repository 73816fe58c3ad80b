#pragma once
// The stored choices of a printed catalog (section "Print") and the page orientation last
// printed ("Settings"/"Landscape").
#include <span>
#include <string>
#include <string_view>

#include "design/settings.h"
#include "print/print_layout.h"
#include "tools/setting_keys.h"

namespace lh::print {

inline constexpr std::string_view kPrintSection = "Print";
inline constexpr TextSettingKey kTitle{"Print", "Title", ""};
inline constexpr SettingKey kRows{"Print", "Rows", 3, 1, 20};
inline constexpr SettingKey kColumns{"Print", "Columns", 2, 1, 20};
inline constexpr SettingKey kBestUse{"Print", "Best Use", 1, 0, 1, true};
inline constexpr SettingKey kStitchInfo{"Print", "Stitch Info", 1, 0, 1, true};
inline constexpr SettingKey kColorInfo{"Print", "Color Info", 1, 0, 1, true};
inline constexpr SettingKey kContents{"Print", "Table of contents", 0, 0, 1, true};
inline constexpr SettingKey kDate{"Print", "Date", 1, 0, 1, true};
inline constexpr SettingKey kPageNumber{"Print", "Page Number", 1, 0, 1, true};
inline constexpr SettingKey kJump{"Print", "Jump", 1, 0, 1, true};
inline constexpr SettingKey kPrintMode{"Print", "Print", 0, 0, 2};
inline constexpr SettingKey kPrintSel{"Print", "Print Sel", 0, 0, 1};
inline constexpr SettingKey kLandscape{"Settings", "Landscape", 0, 0, 1, true};

// The number settings above, for checking "--set Print/key=value".
std::span<const SettingKey> printNumberSettings();

struct PrintOptions {
  std::string title;  // printed at the top of every page
  int rows = 3;
  int columns = 2;
  bool bestUse = true;
  bool sewingInfo = true;
  bool colorInfo = true;
  bool contents = false;  // append table-of-contents pages
  bool date = true;
  bool pageNumbers = true;
  bool jumps = true;
  PrintMode mode = PrintMode::Thumbnails;
  bool selectedOnly = false;
};

// The stored options; an empty or missing title becomes `defaultTitle`.
PrintOptions loadPrintOptions(const SettingsStore& store, std::string_view defaultTitle);
void savePrintOptions(SettingsStore& store, const PrintOptions& options);
// After printing: whether the page printed was wider than tall.
void saveLandscape(SettingsStore& store, bool landscape);

}  // namespace lh::print
