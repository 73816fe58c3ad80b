#pragma once
// The stored settings the tools read besides the per-format conversion records, each with
// its default and the values it is used with, and the one list of every setting a run reads
// (what a command line may set).
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "design/settings.h"

namespace lh {

// One stored whole number: read through readSetting, which brings a stored value outside
// [min, max] to the nearest limit. A flag is a number from 0 to 1 (any other stored value
// reads as set).
struct SettingKey {
  std::string_view section;
  std::string_view key;
  int defaultValue;
  int min;
  int max;
  bool flag = false;
};

inline constexpr SettingKey kToolsSelected{"Settings", "Tools selected", 0, 0, 9};
inline constexpr SettingKey kToolsKeep{"Settings", "Tools keep", 0, 0, 1, true};
inline constexpr SettingKey kToolsReport{"Settings", "Tools report", 1, 0, 1, true};
inline constexpr SettingKey kBasteLength{"Settings", "Baste length", 6, 1, 100};  // mm
inline constexpr SettingKey kBasteCombine{"Settings", "Baste combine", 1, 0, 1, true};
inline constexpr SettingKey kBasteCross{"Settings", "Baste cross", 1, 0, 1, true};
inline constexpr SettingKey kBasteEdge{"Settings", "Baste edge", 1, 0, 10};  // mm
inline constexpr SettingKey kBmpSize{"Settings", "BMP Size", 400, 32, 1024};  // pixels
inline constexpr SettingKey kMake3d{"Settings", "Make 3D", 1, 0, 1, true};
inline constexpr SettingKey kOutline{"Settings", "Outline", 0, 0, 1, true};
inline constexpr SettingKey kEnglishUnits{"Settings", "English", 1, 0, 1, true};
inline constexpr SettingKey kColorSortThreshold{"Settings", "Color Sort Threshold", 5, 0, 100};
// The workspace choices (section "Workspace"): select the new designs after a run
// ("converted", its pair "original" keeps the selection), put new designs into the temporary
// folder, delete them from it at close and ask first.
inline constexpr SettingKey kSelectConverted{"Workspace", "converted", 1, 0, 1, true};
inline constexpr SettingKey kKeepOriginalSelection{"Workspace", "original", 0, 0, 1, true};
inline constexpr SettingKey kWorkspaceOn{"Workspace", "workspace", 1, 0, 1, true};
inline constexpr SettingKey kDeleteTemporaries{"Workspace", "deleted", 1, 0, 1, true};
inline constexpr SettingKey kConfirmDeleteTemporaries{"Workspace", "confirm", 1, 0, 1, true};

// One stored text with its default.
struct TextSettingKey {
  std::string_view section;
  std::string_view key;
  std::string_view defaultValue;
};

// The on-the-fly tool format: three letters of a type's name.
inline constexpr TextSettingKey kToolsOtf{"Settings", "Tools otf", "PES"};
// The temporary folder new designs go into while the temporary-folder mode is on; what lies
// there is not catalogued.
inline constexpr TextSettingKey kWorkspaceDirectory{"Workspace", "directory", ""};
// The folder of a design a plug-in hands back without a folder of its own, when new designs
// do not go into the temporary folder. The preferences fill in the platform's default.
inline constexpr TextSettingKey kOriginalDirectory{"Workspace", "originalDirectory", ""};

// Set once the browser has registered the sequencer installed beside it (or found the name
// taken): a user who later removes the entry does not get it back.
inline constexpr SettingKey kHuetideRegistered{"Settings", "Huetide registered", 0, 0, 1, true};

// The stored text, or its default.
std::string readSetting(const SettingsStore& store, const TextSettingKey& key);

// The stored value of a number (clamped into its range) or a flag (0 or 1).
int readSetting(const SettingsStore& store, const SettingKey& key);

// A setting a run reads, with the values it takes (a flag: 0 to 1).
struct KnownSetting {
  std::string section;
  std::string key;
  int min = 0;
  int max = 1;
  bool flag = false;
};

// Every setting a tool run reads: the keys above, the conversion records' keys of the ten
// writable formats (section "Conversion", "pesw" ...), "selection", and the "View" flags
// that choose the types a folder offers. Not the crash guard's "Last File" nor the
// workspace, which the runner's caller sets.
std::span<const KnownSetting> knownSettings();
// The entry of `section`/`key` (exact spelling), or nothing.
const KnownSetting* findKnownSetting(std::string_view section, std::string_view key);

// Copies every stored setting a tool run reads (knownSettings(), the workspace choices and
// texts, the on-the-fly format) into `to`: a run on another thread works on this copy and
// never touches the user's store.
void copyRunSettings(const SettingsStore& from, MemorySettings& to);

}  // namespace lh
