// The catalog subcommands that look at files: add, remove, check and relink.
#include <cstdio>
#include <filesystem>
#include <map>
#include <unordered_map>

#include "catalog/catalog_links.h"
#include "catalog/catalog_texts.h"
#include "catalog/cataloguing.h"
#include "cli/catalog_commands.h"
#include "cli/design_io.h"
#include "cli/commands.h"
#include "formats/format_table.h"
#include "platform/qt_drives.h"
#include "tools/setting_keys.h"
#include "zip/zip_archive.h"

namespace lh::cli {

namespace {

namespace fs = std::filesystem;

// The stored preferences: the types a folder offers and the temporary folder.
MemorySettings storedSettings() {
  MemorySettings settings;
  QtSettingsStore("Loomhall").copyTo(settings);
  return settings;
}

// The tools' temporary folder: what lies there is not catalogued.
std::string temporaryFolder(const SettingsStore& settings) { return readSetting(settings, kWorkspaceDirectory); }

bool isDesignType(std::string_view path) {
  const FormatInfo* f = formatOfPath(path);
  return f != nullptr && f->kind == FormatKind::Design;
}

// The inputs of remove: files that exist are expanded as add expands them; a path that is no
// longer there names the entry as it stands.
std::vector<std::string> removalItems(const CatalogOptions& o, const SettingsStore& settings,
                                      std::vector<UnusableInput>& unusable) {
  std::vector<std::string> items;
  for (const std::string& input : o.inputs) {
    std::error_code ec;
    if (isZipPath(input) || !fs::exists(input, ec)) {
      items.push_back(input);
      continue;
    }
    for (std::string& item : expandInputs({input}, o.walk, settings, unusable))
      items.push_back(std::move(item));
  }
  return items;
}

std::string linksUpdated(std::size_t n) {
  std::string text(catalog_texts::kLinksUpdated);
  text.replace(text.find("%i"), 2, std::to_string(n));
  return text;
}

}  // namespace

std::string entryColumns(const std::string& text) {
  const FileItem item = parseItemText(text);
  return item.extra.empty() ? item.location() : item.location() + "\tdisk " + item.extra;
}

int catalogFailure(const std::string& what, const std::string& message) {
  complain(what, message);
  return Failed;
}

CategoryId categoryOrComplain(const Catalog& catalog, const std::string& path) {
  const CategoryId id = catalog.findCategory(path);
  if (!id) catalogFailure(path, "no such category");
  return id;
}

bool savable(const CatalogSession& s) {
  const std::string refusal = s.saveRefusal();
  if (refusal.empty()) return true;
  catalogFailure(s.path, refusal);
  return false;
}

int catalogAdd(CatalogSession& s, const CatalogOptions& o) {
  if (!savable(s)) return Failed;
  const CategoryId category = categoryOrComplain(s.catalog, o.category);
  if (!category) return Failed;
  const MemorySettings settings = storedSettings();
  std::vector<UnusableInput> unusable;
  const std::vector<std::string> items = expandInputs(o.inputs, o.walk, settings, unusable);
  const DriveSnapshot drives{QtDrives()};
  const std::string temporary = temporaryFolder(settings);
  std::vector<CatalogCandidate> candidates;
  bool failed = !unusable.empty();
  for (const std::string& item : items) {
    if (!isDesignType(item)) {
      catalogFailure(item, "not a design type; only designs are catalogued");
      failed = true;
      continue;
    }
    candidates.push_back(catalogCandidate(item, drives, temporary));
  }
  const CataloguingResult result = catalogueInto(s.catalog, category, candidates);
  for (const std::string& text : result.added) std::printf("%s\n", entryColumns(text).c_str());
  for (const std::string& text : result.present)
    catalogFailure(parseItemText(text).location(), "already in " + o.category);
  for (const std::string& path : result.temporary) catalogFailure(path, "not catalogued: a temporary file");
  for (const std::string& path : result.unnamed)
    catalogFailure(path, "not catalogued: on a removable disk without a name");
  for (const CatalogRefusal& m : refusalMessages(result, false)) catalogFailure(m.caption, oneLine(m.text));
  if (!result.added.empty() && !s.save()) return Failed;
  return failed || !result.temporary.empty() || !result.unnamed.empty() ? Failed : Ok;
}

int catalogRemove(CatalogSession& s, const CatalogOptions& o) {
  if (!savable(s)) return Failed;
  const CategoryId category = categoryOrComplain(s.catalog, o.category);
  if (!category) return Failed;
  const MemorySettings settings = storedSettings();
  std::vector<UnusableInput> unusable;
  const std::vector<std::string> items = removalItems(o, settings, unusable);
  bool failed = !unusable.empty();
  std::size_t removed = 0;
  for (const std::string& item : items) {
    // Every entry for the file goes, whatever disk name it carries.
    const FileItem file = parseItemText(absoluteLocation(item));
    std::vector<std::string> texts;
    for (const std::string& e : s.catalog.category(category)->entries())
      if (sameFile(parseItemText(e), file)) texts.push_back(e);
    if (texts.empty()) {
      catalogFailure(file.location(), "not in " + o.category);
      failed = true;
    }
    for (const std::string& text : texts) {
      removed += s.catalog.removeEntryText(category, text);
      std::printf("%s\n", entryColumns(text).c_str());
    }
  }
  if (removed > 0 && !s.save()) return Failed;
  return failed ? Failed : Ok;
}

int catalogCheck(CatalogSession& s, const CatalogOptions&) {
  const DriveSnapshot drives{QtDrives()};
  std::unordered_map<std::string, EntryPresence> seen;
  std::map<std::string, std::size_t> absentDisks;
  std::size_t missing = 0;
  s.catalog.forEach([&](const Category& c, const std::string& path) {
    for (const std::string& text : c.entries()) {
      const FileItem entry = parseItemText(text);
      auto [it, fresh] = seen.try_emplace(text, EntryPresence::Present);
      if (fresh) it->second = checkEntry(entry, drives);
      if (it->second == EntryPresence::Missing) {
        ++missing;
        std::printf("%s\t%s\tmissing\n", entry.location().c_str(), path.c_str());
      } else if (it->second == EntryPresence::DiskAbsent) {
        ++absentDisks[entry.extra];
        std::printf("%s\t%s\tinsert the disk '%s'\n", entry.location().c_str(), path.c_str(),
                    entry.extra.c_str());
      }
    }
  });
  for (const auto& [disk, n] : absentDisks)
    std::fprintf(stderr, "loomhall-cli: insert the disk '%s' to check %zu %s on it\n", disk.c_str(), n,
                 n == 1 ? "entry" : "entries");
  if (missing > 0)
    std::fprintf(stderr, "loomhall-cli: %zu catalog %s missing\n", missing,
                 missing == 1 ? "entry is" : "entries are");
  return missing > 0 ? Failed : Ok;
}

int catalogRelink(CatalogSession& s, const CatalogOptions& o) {
  std::error_code ec;
  if (!fs::is_directory(o.text, ec)) return catalogFailure(o.text, "not a folder");
  if (!savable(s)) return Failed;
  const std::vector<CatalogRelink> changes = relinkMissing(s.catalog, absoluteLocation(o.text));
  for (const CatalogRelink& r : changes)
    std::printf("%s: %s -> %s\n", s.catalog.pathOf(r.category).c_str(), entryColumns(r.oldText).c_str(),
                entryColumns(r.newText).c_str());
  std::printf("%s\n", linksUpdated(changes.size()).c_str());
  if (!changes.empty() && !s.save()) return Failed;
  return Ok;
}

}  // namespace lh::cli
