#pragma once
// Every value of the preferences sheet in one record: read from the settings store with its
// defaults, written back whole, and compared before and after an apply to tell the window
// what it has to redo. At start-up writeBackPreferences stores every value, so all of them
// exist after the first start.
#include <optional>
#include <string>

#include "browser/prefs_core/pref_rules.h"
#include "design/settings.h"
#include "tools/conversion_settings.h"

namespace lh {

// The default "Tag Line".
inline constexpr TextSettingKey kTagLine{"Settings", "Tag Line", "Quenby dealer locator: 1-800-555-0143"};

struct WorkspacePrefs {
  bool selectConverted = true;   // "converted"; "original" is stored as its opposite
  bool useTemporary = true;      // "workspace"
  std::string temporaryFolder;   // "directory"
  bool deleteAtClose = true;     // "deleted"
  bool confirmDelete = true;     // "confirm"
  std::string originalFolder;    // "originalDirectory"
  friend bool operator==(const WorkspacePrefs&, const WorkspacePrefs&) = default;
};

struct ToolPrefs {
  bool keep = false;   // "Tools keep"
  int selected = 0;    // "Tools selected", a format code 0 to 9
  bool report = true;  // "Tools report"
  friend bool operator==(const ToolPrefs&, const ToolPrefs&) = default;
};

struct BastePrefs {
  int length = kBasteLength.defaultValue;
  bool combine = true;
  bool cross = true;
  int edge = kBasteEdge.defaultValue;
  friend bool operator==(const BastePrefs&, const BastePrefs&) = default;
};

struct BitmapPrefs {
  int size = kBmpSize.defaultValue;
  bool make3d = true;
  bool outline = false;
  friend bool operator==(const BitmapPrefs&, const BitmapPrefs&) = default;
};

struct Preferences {
  ViewTicks viewTypes{};                 // page order, viewTypeEntries()
  WorkspacePrefs workspace;
  ConversionTable conversion{};          // by format code
  int conversionSelection = 0;           // the format the conversion page shows
  ToolPrefs tools;
  bool english = true;
  int sortThreshold = kColorSortThreshold.defaultValue;
  BastePrefs baste;
  BackgroundColors colors = BackgroundColors::defaults();
  BitmapPrefs bitmap;
  std::string tagLine{kTagLine.defaultValue};
  std::string catalogFolder;             // without a trailing '/'
  friend bool operator==(const Preferences&, const Preferences&) = default;
};

// The folders the defaults are made of: the home folder (defaults "~/Loomhall/My Temps/"
// and "~/Loomhall/My Original Designs/"), the system's temporary folder and the data folder
// that holds the catalog when no other is stored.
struct PrefsPlaces {
  std::string home;
  std::string tempFolder;
  std::string dataFolder;
};

// The stored values, defaults for missing ones; numbers outside their ranges read as the
// nearest limit. An empty temporary folder becomes ~/Loomhall/My Temps/ (made when missing),
// or the system's temporary folder when that cannot be made; an empty "originalDirectory"
// becomes ~/Loomhall/My Original Designs/ (made when missing), or the temporary folder.
// Without a home folder nothing is made.
Preferences loadPreferences(const SettingsStore& store, const PrefsPlaces& places);
// The background colours alone; `color` is what thumbnails and previews are drawn on.
BackgroundColors loadColors(const SettingsStore& store);
// Writes every value except the catalog folder, which changes through changeCatalogFolder.
void savePreferences(SettingsStore& store, const Preferences& prefs);
// Start-up: loads the values and writes all of them back, the catalog folder included.
Preferences writeBackPreferences(SettingsStore& store, const PrefsPlaces& places);

// What the window has to redo after an apply.
struct PrefsEffects {
  bool viewTypes = false;   // the list drops the designs of unticked types and is redrawn
  bool workspace = false;   // the file list is refreshed and the catalog saved
  bool colors = false;      // thumbnails and preview are drawn on the new background
  bool units = false;       // the size texts change units
  bool tagLine = false;     // the window is redrawn
  std::optional<std::string> catalogFolder;  // the catalog moves to this folder
  bool operator==(const PrefsEffects&) const = default;
};
PrefsEffects effectsOf(const Preferences& before, const Preferences& after);

}  // namespace lh
