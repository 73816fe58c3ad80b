#include "catalog/disk_naming.h"

#include <string>
#include <vector>

#include "files/paths.h"

namespace lh {

namespace {

// The path of the file itself, or of the archive holding it: what decides its drive.
std::string pathOnDrive(const FileItem& item) { return item.isArchiveMember() ? item.archive : item.path(); }

// The root the medium is mounted at next time: the last folder of `root` named after the new
// label when it was named after the old one; otherwise `root` itself.
std::string nextRoot(std::string_view root, std::string_view oldLabel, std::string_view newLabel) {
  const auto slash = root.rfind('/');
  if (slash == std::string_view::npos || root.substr(slash + 1) != oldLabel) return std::string(root);
  return std::string(root.substr(0, slash + 1)) + std::string(newLabel);
}

std::string moveRoot(const std::string& path, std::string_view root, const std::string& newRoot) {
  return newRoot + path.substr(root.size());
}

}  // namespace

DiskNaming applyDiskName(std::span<FileItem> items, Catalog& catalog, std::string_view driveRoot,
                         std::string_view oldLabel, std::string_view newLabel) {
  DiskNaming done;
  for (FileItem& item : items) {
    const bool fromDrive = liesIn(pathOnDrive(item), driveRoot);
    const bool oldName = !oldLabel.empty() && item.extra == oldLabel;
    if ((fromDrive || oldName) && item.extra != newLabel) {
      item.extra = std::string(newLabel);
      ++done.items;
    }
  }
  if (oldLabel.empty()) return done;
  const std::string newRoot = nextRoot(driveRoot, oldLabel, newLabel);
  struct Change {
    CategoryId category;
    std::string from, to;
  };
  std::vector<Change> changes;
  catalog.forEach([&](const Category& c, const std::string&) {
    for (const std::string& text : c.entries()) {
      FileItem entry = parseItemText(text);
      if (entry.extra != oldLabel || !liesIn(pathOnDrive(entry), driveRoot)) continue;
      entry.extra = std::string(newLabel);
      if (entry.isArchiveMember())
        entry.archive = moveRoot(entry.archive, driveRoot, newRoot);
      else
        entry.folder = moveRoot(entry.folder, driveRoot, newRoot);
      changes.push_back({c.id(), text, itemText(entry)});
    }
  });
  for (const Change& ch : changes)
    if (catalog.replaceEntry(ch.category, ch.from, ch.to)) ++done.entries;
  return done;
}

}  // namespace lh
