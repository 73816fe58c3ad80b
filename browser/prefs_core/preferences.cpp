#include "browser/prefs_core/preferences.h"

#include <filesystem>
#include <system_error>

#include "catalog/catalog_location.h"
#include "files/paths.h"

namespace lh {

namespace {

bool flag(const SettingsStore& s, const SettingKey& k) { return readSetting(s, k) != 0; }
void put(SettingsStore& s, const SettingKey& k, int v) { s.setInt(k.section, k.key, v); }
void put(SettingsStore& s, const TextSettingKey& k, std::string_view v) { s.setString(k.section, k.key, v); }

// `folder` under the home folder, made with its parents when missing; "" when there is no
// home folder or it still is not a folder.
std::string madeFolder(const std::string& home, std::string_view folder) {
  if (home.empty()) return {};
  const std::string path = withTrailingSlash(home) + std::string(folder);
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec) ? path : std::string();
}

std::string temporaryFolder(std::string stored, const PrefsPlaces& places) {
  if (!stored.empty()) return stored;
  std::string made = madeFolder(places.home, "Loomhall/My Temps/");
  if (!made.empty() || places.tempFolder.empty()) return made;
  return withTrailingSlash(places.tempFolder);
}

std::string originalFolder(std::string stored, const std::string& temporary, const PrefsPlaces& places) {
  if (!stored.empty()) return stored;
  std::string made = madeFolder(places.home, "Loomhall/My Original Designs/");
  return made.empty() ? temporary : made;
}

WorkspacePrefs loadWorkspace(const SettingsStore& s, const PrefsPlaces& places) {
  WorkspacePrefs w;
  w.selectConverted = flag(s, kSelectConverted);
  w.useTemporary = flag(s, kWorkspaceOn);
  w.temporaryFolder = temporaryFolder(readSetting(s, kWorkspaceDirectory), places);
  w.deleteAtClose = flag(s, kDeleteTemporaries);
  w.confirmDelete = flag(s, kConfirmDeleteTemporaries);
  w.originalFolder = originalFolder(readSetting(s, kOriginalDirectory), w.temporaryFolder, places);
  return w;
}

void saveWorkspace(SettingsStore& s, const WorkspacePrefs& w) {
  put(s, kSelectConverted, w.selectConverted ? 1 : 0);
  put(s, kKeepOriginalSelection, w.selectConverted ? 0 : 1);
  put(s, kWorkspaceOn, w.useTemporary ? 1 : 0);
  put(s, kWorkspaceDirectory, w.temporaryFolder);
  put(s, kDeleteTemporaries, w.deleteAtClose ? 1 : 0);
  put(s, kConfirmDeleteTemporaries, w.confirmDelete ? 1 : 0);
  put(s, kOriginalDirectory, w.originalFolder);
}


void saveColors(SettingsStore& s, const BackgroundColors& c) {
  for (int i = 0; i < kStoredColorCount; ++i)
    s.setInt(kBackgroundSection, storedColorKey(i), static_cast<int>(c.stored[static_cast<std::size_t>(i)]));
  put(s, kBackgroundIndex, c.selected);
  s.setInt(kBackgroundSection, kBackgroundColorKey, static_cast<int>(c.color));
}

}  // namespace

Preferences loadPreferences(const SettingsStore& s, const PrefsPlaces& places) {
  Preferences p;
  const auto types = viewTypeEntries();
  for (std::size_t i = 0; i < types.size(); ++i) p.viewTypes[i] = s.getInt(kSettingsSection, types[i].key, 1) != 0;
  p.workspace = loadWorkspace(s, places);
  p.conversion = loadConversionTable(s);
  p.conversionSelection = loadConversionSelection(s);
  p.tools = {flag(s, kToolsKeep), readSetting(s, kToolsSelected), flag(s, kToolsReport)};
  p.english = flag(s, kEnglishUnits);
  p.sortThreshold = readSetting(s, kColorSortThreshold);
  p.baste = {readSetting(s, kBasteLength), flag(s, kBasteCombine), flag(s, kBasteCross), readSetting(s, kBasteEdge)};
  p.colors = loadColors(s);
  p.bitmap = {readSetting(s, kBmpSize), flag(s, kMake3d), flag(s, kOutline)};
  p.tagLine = readSetting(s, kTagLine);
  p.catalogFolder = catalogFolder(s, places.dataFolder);
  return p;
}

void savePreferences(SettingsStore& s, const Preferences& p) {
  const auto types = viewTypeEntries();
  for (std::size_t i = 0; i < types.size(); ++i) s.setInt(kSettingsSection, types[i].key, p.viewTypes[i] ? 1 : 0);
  saveWorkspace(s, p.workspace);
  for (const ConversionSettings& c : p.conversion) saveConversionSettings(s, c);
  s.setInt(kConversionSection, "selection", p.conversionSelection);
  put(s, kToolsKeep, p.tools.keep ? 1 : 0);
  put(s, kToolsSelected, p.tools.selected);
  put(s, kToolsReport, p.tools.report ? 1 : 0);
  const std::vector<std::string> titles = toolFormatTitles();
  put(s, kToolsOtf, otfLetters(titles.at(static_cast<std::size_t>(p.tools.selected))));
  put(s, kEnglishUnits, p.english ? 1 : 0);
  put(s, kColorSortThreshold, p.sortThreshold);
  put(s, kBasteLength, p.baste.length);
  put(s, kBasteCombine, p.baste.combine ? 1 : 0);
  put(s, kBasteCross, p.baste.cross ? 1 : 0);
  put(s, kBasteEdge, p.baste.edge);
  saveColors(s, p.colors);
  put(s, kBmpSize, bitmapSizeOnApply(p.bitmap.size));
  put(s, kMake3d, p.bitmap.make3d ? 1 : 0);
  put(s, kOutline, p.bitmap.outline ? 1 : 0);
  put(s, kTagLine, p.tagLine);
}

Preferences writeBackPreferences(SettingsStore& store, const PrefsPlaces& places) {
  Preferences p = loadPreferences(store, places);
  savePreferences(store, p);
  store.setString(kCatalogPathSection, kCatalogPathKey, p.catalogFolder);
  return p;
}

PrefsEffects effectsOf(const Preferences& before, const Preferences& after) {
  PrefsEffects e;
  e.viewTypes = before.viewTypes != after.viewTypes;
  e.workspace = before.workspace != after.workspace;
  e.colors = before.colors != after.colors;
  e.units = before.english != after.english;
  e.tagLine = before.tagLine != after.tagLine;
  if (withoutTrailingSlash(before.catalogFolder) != withoutTrailingSlash(after.catalogFolder))
    e.catalogFolder = withoutTrailingSlash(after.catalogFolder);
  return e;
}

BackgroundColors loadColors(const SettingsStore& s) {
  BackgroundColors c = BackgroundColors::defaults();
  for (int i = 0; i < kStoredColorCount; ++i) {
    auto& slot = c.stored[static_cast<std::size_t>(i)];
    slot = static_cast<std::uint32_t>(s.getInt(kBackgroundSection, storedColorKey(i), static_cast<int>(slot))) &
           0xFFFFFFu;
  }
  c.selected = readSetting(s, kBackgroundIndex);
  const std::uint32_t fallback = c.selected >= 0 ? c.stored[static_cast<std::size_t>(c.selected)] : c.color;
  c.color = static_cast<std::uint32_t>(s.getInt(kBackgroundSection, kBackgroundColorKey, static_cast<int>(fallback))) &
            0xFFFFFFu;
  return c;
}

}  // namespace lh
