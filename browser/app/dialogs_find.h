#pragma once
// "Find File...": finding where a catalogued design went, automatically in a chosen folder or
// by picking the archive or the file by hand, then putting the new place into the catalog.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browser/app/dialogs.h"
#include "catalog/catalog.h"
#include "catalog/catalog_links.h"
#include "catalog/file_item.h"

namespace lh {

namespace find_text {
inline constexpr std::string_view kCaption = "Find File";
inline constexpr std::string_view kAutomatic =
    "The file can be found using an automated search (easy) or manually (not too bad).\n\n"
    "Either way, you'll have to chose the folder that the file is in.\n\n"
    "If you have changed the name of the file,\nor moved it in or out of a zip\n"
    "or the file name exists as a duplicate (in more than one zip, for instance),\n"
    "you'll need the manual mode.\n\nDo you want the automatic search?";
inline constexpr std::string_view kZipCaption = "Zip File?";
inline constexpr std::string_view kMovedToZip = "Has the file been moved to a .zip?";
inline constexpr std::string_view kFindZipCaption = "Find Zip";
inline constexpr std::string_view kWasInZip = "That file was in a zip called:\n%s\nShall we look for a zip?";
inline constexpr std::string_view kNotFoundCaption = "File not found";
inline constexpr std::string_view kNotInZip = "I didn't find the file there.\nWould you like to try a different zip?";
inline constexpr std::string_view kDifferCaption = "File names differ";
inline constexpr std::string_view kDifferFirst = "The original file name was:\n";
inline constexpr std::string_view kDifferMiddle = "\nBut you have chosen the file:\n";
inline constexpr std::string_view kDifferLast = "\nAre you sure that this is what you wanted?";
inline constexpr std::string_view kAgainCaption = "Search Again?";
inline constexpr std::string_view kAgain = "Would you like to search again?";
}  // namespace find_text

// The pickers the search opens; tests put their own in.
struct FindFilePickers {
  std::function<std::optional<std::string>(const std::string& startFolder)> folder;
  std::function<std::optional<std::string>(const std::string& startFolder)> zip;
  std::function<std::optional<std::string>(const std::string& startPath, const std::string& extension)> file;
};
// The folder picker and the "Zip File:" and "Missing File:" file dialogs.
FindFilePickers dialogPickers(QWidget* parent, const DriveService& drives, const Asker& ask);

// Asks how to search and searches; the design's new place (without disk name), or nothing.
std::optional<FileItem> locateMovedFile(const FileItem& missing, const Asker& ask, const FindFilePickers& pick);

// Puts `found` in place of `missing` in `category`, then offers to mend the other missing
// links from the same old folder. Returns every change; the caller saves the catalog and
// updates the listed items.
std::vector<CatalogRelink> followMovedFile(Catalog& catalog, CategoryId category, const FileItem& missing,
                                           const FileItem& found, const Asker& ask);

}  // namespace lh
