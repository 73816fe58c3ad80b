#include "print/print_settings.h"

#include <array>

namespace lh::print {

std::span<const SettingKey> printNumberSettings() {
  static constexpr std::array<SettingKey, 11> list{kRows,       kColumns,   kBestUse, kStitchInfo,
                                                   kColorInfo,  kContents,  kDate,    kPageNumber,
                                                   kJump,       kPrintMode, kPrintSel};
  return list;
}

PrintOptions loadPrintOptions(const SettingsStore& store, std::string_view defaultTitle) {
  PrintOptions o;
  o.title = readSetting(store, kTitle);
  if (o.title.empty()) o.title = std::string(defaultTitle);
  o.rows = readSetting(store, kRows);
  o.columns = readSetting(store, kColumns);
  o.bestUse = readSetting(store, kBestUse) != 0;
  o.sewingInfo = readSetting(store, kStitchInfo) != 0;
  o.colorInfo = readSetting(store, kColorInfo) != 0;
  o.contents = readSetting(store, kContents) != 0;
  o.date = readSetting(store, kDate) != 0;
  o.pageNumbers = readSetting(store, kPageNumber) != 0;
  o.jumps = readSetting(store, kJump) != 0;
  o.mode = static_cast<PrintMode>(readSetting(store, kPrintMode));
  o.selectedOnly = readSetting(store, kPrintSel) != 0;
  return o;
}

void savePrintOptions(SettingsStore& store, const PrintOptions& o) {
  store.setString(kTitle.section, kTitle.key, o.title);
  store.setInt(kRows.section, kRows.key, o.rows);
  store.setInt(kColumns.section, kColumns.key, o.columns);
  store.setInt(kBestUse.section, kBestUse.key, o.bestUse ? 1 : 0);
  store.setInt(kStitchInfo.section, kStitchInfo.key, o.sewingInfo ? 1 : 0);
  store.setInt(kColorInfo.section, kColorInfo.key, o.colorInfo ? 1 : 0);
  store.setInt(kContents.section, kContents.key, o.contents ? 1 : 0);
  store.setInt(kDate.section, kDate.key, o.date ? 1 : 0);
  store.setInt(kPageNumber.section, kPageNumber.key, o.pageNumbers ? 1 : 0);
  store.setInt(kJump.section, kJump.key, o.jumps ? 1 : 0);
  store.setInt(kPrintMode.section, kPrintMode.key, static_cast<int>(o.mode));
  store.setInt(kPrintSel.section, kPrintSel.key, o.selectedOnly ? 1 : 0);
}

void saveLandscape(SettingsStore& store, bool landscape) {
  store.setInt(kLandscape.section, kLandscape.key, landscape ? 1 : 0);
}

}  // namespace lh::print
