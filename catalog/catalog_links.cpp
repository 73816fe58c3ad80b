#include "catalog/catalog_links.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <unordered_map>

#include "design/attribute_list.h"
#include "files/paths.h"
#include "files/regular_file.h"
#include "files/save_file.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The member paths of the archive that lie at its top level.
std::vector<std::string> topLevelMembers(const std::string& archive) {
  std::vector<std::string> members = ZipArchive::listMembers(archive);
  std::erase_if(members, [](const std::string& m) { return m.find_first_of("/\\") != std::string::npos; });
  return members;
}

}  // namespace

namespace {
// An entry that counts as the item's: the same text without regard to case, or the same
// location without regard to case when the entry has no disk name.
bool entryOfItem(const std::string& entry, const std::string& text, const std::string& location) {
  if (equalsNoCase(entry, text)) return true;
  return entry.find('\t') == std::string::npos && equalsNoCase(entry, location);
}
}  // namespace

std::vector<std::string> catalogEntryPaths(const Catalog& catalog, const FileItem& item) {
  const std::string text = itemText(item);
  const std::string location = item.location();
  std::vector<std::string> paths;
  catalog.forEach([&](const Category& c, const std::string& path) {
    const bool holds = std::any_of(c.entries().begin(), c.entries().end(),
                                   [&](const std::string& e) { return entryOfItem(e, text, location); });
    if (holds) paths.push_back(path);
  });
  return paths;
}

std::size_t removeItemEntries(Catalog& catalog, std::string_view categoryPath, const FileItem& item) {
  const CategoryId id = catalog.findCategory(categoryPath);
  const Category* category = catalog.category(id);
  if (category == nullptr) return 0;
  const std::string text = itemText(item);
  const std::string location = item.location();
  std::vector<std::string> gone;
  for (const std::string& e : category->entries())
    if (entryOfItem(e, text, location)) gone.push_back(e);
  std::size_t removed = 0;
  for (const std::string& e : gone) removed += catalog.removeEntryText(id, e);
  return removed;
}

std::size_t renameEntries(Catalog& catalog, const FileItem& before, const FileItem& after) {
  const std::string from = before.location();
  const std::string to = after.location();
  if (from == to) return 0;
  struct Change {
    CategoryId category;
    std::string oldText;
    std::string newText;
  };
  std::vector<Change> changes;
  catalog.forEach([&](const Category& c, const std::string&) {
    for (const std::string& e : c.entries())
      if (entryFileText(e) == from) changes.push_back({c.id(), e, to + e.substr(from.size())});
  });
  std::size_t changed = 0;
  for (const Change& c : changes) changed += catalog.replaceEntry(c.category, c.oldText, c.newText) ? 1 : 0;
  return changed;
}

bool entryExists(const FileItem& entry) {
  if (!entry.isArchiveMember()) return checkRegularFile(entry.path()) != OpenCheck::Missing;
  return isRegularFile(entry.archive) && ZipArchive::memberExists(entry.archive, entry.path());
}

EntryPresence checkEntry(const FileItem& entry, const DriveService& drives) {
  if (entryExists(entry)) return EntryPresence::Present;
  if (entry.extra.empty()) return EntryPresence::Missing;
  for (const DriveInfo& d : drives.drives())
    if (d.ready && d.label == entry.extra) return EntryPresence::Missing;
  return EntryPresence::DiskAbsent;
}

FolderSearch::FolderSearch(std::string folder) : folder_(withTrailingSlash(std::move(folder))) {
  DIR* dir = ::opendir(folder_.c_str());
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.empty() || name.front() == '.') continue;  // hidden, and "." and ".."
    if (!isRegularFile(folder_ + name)) continue;
    candidates_.push_back({name, endsWithZip(name), false, {}});
  }
  ::closedir(dir);
}

std::optional<FileItem> FolderSearch::find(std::string_view name) {
  for (Candidate& c : candidates_) {
    if (equalsNoCase(c.name, name)) {
      FileItem item;
      item.folder = folder_;
      item.name = c.name;
      return item;
    }
    if (!c.archive) continue;
    if (!c.listed) {
      c.topMembers = topLevelMembers(folder_ + c.name);
      c.listed = true;
    }
    for (const std::string& member : c.topMembers) {
      if (!equalsNoCase(member, name)) continue;
      FileItem item;
      item.archive = folder_ + c.name;
      item.name = member;
      return item;
    }
  }
  return std::nullopt;
}

std::optional<FileItem> findInFolder(const std::string& folder, std::string_view name) {
  return FolderSearch(folder).find(name);
}

bool relinkEntry(Catalog& catalog, CategoryId category, const FileItem& old, const FileItem& found) {
  FileItem target = found;
  target.extra.clear();
  return catalog.replaceEntry(category, itemText(old), itemText(target));
}

std::string entryFolder(const FileItem& entry) {
  if (entry.isArchiveMember()) return withoutTrailingSlash(folderOf(entry.archive));
  return withoutTrailingSlash(entry.folder);
}

std::vector<CatalogRelink> relinkMissing(Catalog& catalog, const std::string& searchFolder,
                                         std::optional<std::string_view> fromFolder) {
  const std::optional<std::string> from =
      fromFolder ? std::optional<std::string>(withoutTrailingSlash(*fromFolder)) : std::nullopt;
  FolderSearch search(searchFolder);
  std::unordered_map<std::string, std::optional<std::string>> decided;  // entry text -> new text
  std::vector<CatalogRelink> changes;
  catalog.forEach([&](const Category& c, const std::string&) {
    for (const std::string& text : c.entries()) {
      auto [it, fresh] = decided.try_emplace(text);
      if (fresh) {
        const FileItem entry = parseItemText(text);
        if ((from && entryFolder(entry) != *from) || entryExists(entry)) continue;
        if (auto found = search.find(entry.name)) it->second = itemText(*found);
      }
      if (it->second) changes.push_back({c.id(), text, *it->second});
    }
  });
  for (const CatalogRelink& r : changes) catalog.replaceEntry(r.category, r.oldText, r.newText);
  return changes;
}

}  // namespace lh
