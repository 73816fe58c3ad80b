#include "tools/setting_keys.h"

#include <algorithm>
#include <vector>

#include "formats/format_table.h"
#include "tools/conversion_settings.h"

namespace lh {

int readSetting(const SettingsStore& store, const SettingKey& key) {
  const int v = store.getInt(key.section, key.key, key.defaultValue);
  if (key.flag) return v != 0 ? 1 : 0;
  return std::clamp(v, key.min, key.max);
}

std::string readSetting(const SettingsStore& store, const TextSettingKey& key) {
  return store.getString(key.section, key.key, key.defaultValue);
}

namespace {

std::vector<KnownSetting> collectKnownSettings() {
  std::vector<KnownSetting> out;
  auto add = [&](const SettingKey& k) {
    out.push_back({std::string(k.section), std::string(k.key), k.min, k.max, k.flag});
  };
  for (const SettingKey& k : {kToolsSelected, kToolsKeep, kToolsReport, kBasteLength, kBasteCombine, kBasteCross,
                              kBasteEdge, kBmpSize, kMake3d, kOutline, kEnglishUnits, kColorSortThreshold})
    add(k);
  for (const ConversionKey& k : conversionKeys())
    out.push_back({std::string(kConversionSection), k.key, k.min, k.max, k.flag});
  out.push_back({std::string(kConversionSection), "selection", 0, kWritableFormats - 1, false});
  for (const FormatInfo& f : formatTable()) {
    const bool listed = std::any_of(out.begin(), out.end(), [&](const KnownSetting& s) { return s.key == f.viewKey; });
    if (!listed) out.push_back({std::string(kSettingsSection), std::string(f.viewKey), 0, 1, true});
  }
  return out;
}

}  // namespace

std::span<const KnownSetting> knownSettings() {
  static const std::vector<KnownSetting> list = collectKnownSettings();
  return list;
}

void copyRunSettings(const SettingsStore& from, MemorySettings& to) {
  // A value that is not stored reads as its default in both stores, so only stored ones go over.
  const auto copy = [&](std::string_view section, std::string_view key) {
    const std::string value = from.getString(section, key, "");
    if (!value.empty()) to.setString(section, key, value);
  };
  for (const KnownSetting& s : knownSettings()) copy(s.section, s.key);
  for (const SettingKey& k : {kSelectConverted, kKeepOriginalSelection, kWorkspaceOn, kDeleteTemporaries})
    copy(k.section, k.key);
  for (const TextSettingKey& k : {kToolsOtf, kWorkspaceDirectory, kOriginalDirectory}) copy(k.section, k.key);
}

const KnownSetting* findKnownSetting(std::string_view section, std::string_view key) {
  for (const KnownSetting& s : knownSettings())
    if (s.section == section && s.key == key) return &s;
  return nullptr;
}

}  // namespace lh
