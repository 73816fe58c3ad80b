#pragma once
// Where catalogued designs are: the categories that list a design, whether an entry's file is
// there (or its disk is out of the drive), and finding designs that moved.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/file_item.h"
#include "files/drives.h"

namespace lh {

// The paths, in depth-first order, of the categories holding an entry for `item`: an entry
// whose text equals the item's text without regard to letter case, or one without a disk
// name whose location (archive and folder-plus-name) equals the item's without regard to
// case. Each category once.
std::vector<std::string> catalogEntryPaths(const Catalog& catalog, const FileItem& item);

// Takes out of the category at `categoryPath` every entry that catalogEntryPaths counts as the
// item's; returns how many.
std::size_t removeItemEntries(Catalog& catalog, std::string_view categoryPath, const FileItem& item);

// After the file `before` names was renamed to `after`: every entry naming exactly that file
// (any disk name after it stays) names the new one. Entries of other files are left alone,
// also those whose path merely contains the old one. Returns how many entries changed.
std::size_t renameEntries(Catalog& catalog, const FileItem& before, const FileItem& after);

// The file (or archive member) an entry names is there.
bool entryExists(const FileItem& entry);

enum class EntryPresence {
  Present,
  Missing,
  DiskAbsent,  // missing, and no mounted medium carries the entry's disk name
};
// Whether the entry's file is there; for an entry with a disk name whose disk is not in any
// drive, DiskAbsent, so the user can be asked to insert that disk.
EntryPresence checkEntry(const FileItem& entry, const DriveService& drives);

// Searching one folder (not its sub-folders) for a design by name, as "Find File" does: a
// file of that name, or a top-level member of that name in a zip archive of the folder;
// names compare without regard to letter case; hidden files are skipped. The first hit in
// the folder's listing order wins. The folder is listed once, archives when first needed, so
// one search serves many names.
class FolderSearch {
 public:
  explicit FolderSearch(std::string folder);
  // The design found, as a FileItem without disk name; nothing when none is there.
  std::optional<FileItem> find(std::string_view name);

 private:
  struct Candidate {
    std::string name;
    bool archive = false;
    bool listed = false;
    std::vector<std::string> topMembers;
  };
  std::string folder_;  // ends in '/'
  std::vector<Candidate> candidates_;
};

// FolderSearch(folder).find(name).
std::optional<FileItem> findInFolder(const std::string& folder, std::string_view name);

// Puts the found location in place of the old entry in the category that listed it (the new
// text has no disk name); false when the category has no such entry.
bool relinkEntry(Catalog& catalog, CategoryId category, const FileItem& old, const FileItem& found);

struct CatalogRelink {
  CategoryId category = 0;
  std::string oldText;
  std::string newText;
};
// Looks for other missing links: every entry of every category whose file is missing, that
// lies in `fromFolder` (its folder, or its archive's folder; any folder when nothing is
// given), and whose name the search finds in `searchFolder`, is changed to the location
// found, without a disk name. Returns the changes in depth-first order ("%i catalog links
// updated." takes their number).
std::vector<CatalogRelink> relinkMissing(Catalog& catalog, const std::string& searchFolder,
                                         std::optional<std::string_view> fromFolder = std::nullopt);

// The folder an entry lies in: the folder of a plain file, the archive's folder for a member;
// without a trailing '/'.
std::string entryFolder(const FileItem& entry);

}  // namespace lh
