#pragma once
// Where the catalog file lives, and the steps that keep it there: the start-up move into the
// per-user data folder, creating a new catalog file, saving to the stored folder and changing
// the folder. The browser and the command line call the same functions.
//
// The data folder D is $XDG_DATA_HOME/Quenby/Loomhall ($HOME/.local/share/... when
// XDG_DATA_HOME is unset or not absolute). The setting "Settings"/"Catalog Path" names the
// catalog folder (default D, stored without a trailing '/'); the file in it is always
// "Catalog.QY". At start-up a catalog elsewhere moves into D/Atelier.
#include <string>
#include <string_view>

#include "catalog/catalog.h"
#include "catalog/catalog_file.h"
#include "design/settings.h"

namespace lh {

inline constexpr std::string_view kCatalogPathSection = "Settings";
inline constexpr std::string_view kCatalogPathKey = "Catalog Path";

// D from the environment; "" when neither XDG_DATA_HOME, HOME nor the user database names one.
std::string dataFolder();
// D from the given values of XDG_DATA_HOME and HOME (either may be null).
std::string dataFolderFrom(const char* xdgDataHome, const char* home);
// The folder the catalog moves to at start-up: D/Atelier; "" when D is "".
std::string atelierFolder(std::string_view dataFolder);

// The stored "Catalog Path" folder, D when none is stored; without a trailing '/'.
std::string catalogFolder(const SettingsStore& store, std::string_view dataFolder);
// `folder` + "/Catalog.QY".
std::string catalogFileIn(std::string_view folder);

// Makes sure a catalog file is at `path`: a missing file is created (with its folder) and a
// missing or empty one gets the first line "Loomhall Catalog". "" when the file is there and
// can be read, otherwise the system's text for what went wrong.
std::string ensureCatalogFile(const std::string& path);

struct CatalogMove {
  bool moved = false;
  std::string keptOldAs;  // a different catalog already in D/Atelier now has this name
};
// Start-up step: when the "Catalog Path" folder is not D/Atelier and its "Catalog.QY" can be
// read, its bytes are written unchanged into D/Atelier/Catalog.QY (the folder created as
// needed) and "Catalog Path" names D/Atelier. A different catalog already there is kept under
// the next free name ("Catalog(2).QY") rather than overwritten. The old file stays where it
// was. Nothing moves when the file cannot be read or the new one cannot be written.
CatalogMove moveCatalogToAtelier(SettingsStore& store, std::string_view dataFolder);

struct CatalogStartup {
  std::string path;  // the catalog file in use
  CatalogMove move;
  CatalogLoadResult load;
  // When not empty, the message to show with caption catalog_texts::kErrorCaption:
  // "Error reading catalog file:\n" and the system's text. The catalog is then empty.
  std::string error;
};
// The start-up steps: the move above, then ensureCatalogFile, then loading the file.
CatalogStartup openCatalogAtStartup(Catalog& catalog, SettingsStore& store, std::string_view dataFolder);

// Saves the catalog where the browser keeps it: "Catalog.QY" in the folder of the file it was
// read from, or in the "Catalog Path" folder when it has none; "Catalog Path" is set to that
// folder first.
CatalogSaveResult saveCatalog(Catalog& catalog, SettingsStore& store, std::string_view dataFolder);

struct CatalogFolderChange {
  CatalogSaveResult savedOld;  // the save to the old place
  bool copiedToNew = false;    // the new folder had no catalog: this one went there
  std::string newFolderError;  // the system's text when no catalog could be put there
  CatalogLoadResult load;      // the catalog read from the new folder
};
// Changes the catalog folder: saves the catalog to its current place, stores `newFolder` in
// "Catalog Path", saves the catalog there when the folder has no "Catalog.QY" (or, when
// saving is refused, creates a new catalog file there), then loads the catalog from it.
CatalogFolderChange changeCatalogFolder(Catalog& catalog, SettingsStore& store, std::string_view newFolder,
                                        std::string_view dataFolder);

}  // namespace lh
