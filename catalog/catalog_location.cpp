#include "catalog/catalog_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "catalog/catalog_texts.h"
#include "files/paths.h"
#include "files/regular_file.h"
#include "files/save_file.h"

namespace lh {

namespace {

namespace fs = std::filesystem;

std::string homeFromUserDatabase() {
  passwd pw{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) != 0 || !found || !pw.pw_dir)
    return {};
  return pw.pw_dir;
}

bool sameFolder(std::string_view a, std::string_view b) {
  return fs::path(withoutTrailingSlash(a)).lexically_normal() ==
         fs::path(withoutTrailingSlash(b)).lexically_normal();
}

std::string_view asText(const std::vector<std::uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Writes `bytes` as `path`, keeping a different file that is there under the next free name.
// Returns false when nothing was written.
bool writeKeepingOld(const std::string& path, const std::vector<std::uint8_t>& bytes,
                     std::string& keptOldAs) {
  CatalogLoadResult existing;
  const auto old = readCatalogBytes(path, existing);
  if (!old) {
    // Something there that cannot be read is left alone.
    return existing.status == CatalogLoad::Missing && writeNewFile(path, bytes);
  }
  if (*old == bytes) return true;
  const Naming kept = nameFirstFree(path, nextUniqueName(path));
  if (kept.result == NameResult::Linked) {
    keptOldAs = kept.name;
    return replaceCatalogBytes(path, asText(bytes)).empty();
  }
  if (kept.result != NameResult::Moved) return false;
  keptOldAs = kept.name;
  return writeNewFile(path, bytes);
}

}  // namespace

std::string dataFolderFrom(const char* xdgDataHome, const char* home) {
  if (xdgDataHome && xdgDataHome[0] == '/') return withoutTrailingSlash(xdgDataHome) + "/Quenby/Loomhall";
  if (home && home[0] == '/') return withoutTrailingSlash(home) + "/.local/share/Quenby/Loomhall";
  return {};
}

std::string dataFolder() {
  const char* home = std::getenv("HOME");
  std::string fromDatabase;
  if (!home || home[0] != '/') {
    fromDatabase = homeFromUserDatabase();
    home = fromDatabase.c_str();
  }
  return dataFolderFrom(std::getenv("XDG_DATA_HOME"), home);
}

std::string atelierFolder(std::string_view dataFolder) {
  return dataFolder.empty() ? std::string() : withoutTrailingSlash(dataFolder) + "/Atelier";
}

std::string catalogFolder(const SettingsStore& store, std::string_view dataFolder) {
  const std::string stored = store.getString(kCatalogPathSection, kCatalogPathKey, "");
  return withoutTrailingSlash(stored.empty() ? dataFolder : std::string_view(stored));
}

std::string catalogFileIn(std::string_view folder) {
  std::string path = withoutTrailingSlash(folder);
  if (path != "/") path += '/';
  return path + std::string(catalog_texts::kCatalogFileName);
}

std::string ensureCatalogFile(const std::string& path) {
  const std::vector<std::uint8_t> firstLine(catalog_texts::kNewCatalogFile.begin(),
                                            catalog_texts::kNewCatalogFile.end());
  if (checkRegularFile(path) == OpenCheck::Missing) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    if (!writeNewFile(path, firstLine) && checkRegularFile(path) == OpenCheck::Missing)
      return std::generic_category().message(errno ? errno : ENOENT);
  }
  CatalogLoadResult result;
  const auto bytes = readCatalogBytes(path, result);
  if (!bytes) return result.error.empty() ? std::string(catalog_texts::kTooLargeReason) : result.error;
  if (!bytes->empty()) return {};
  return replaceCatalogBytes(path, catalog_texts::kNewCatalogFile);
}

namespace {

// No catalog folder was ever stored and the default folder holds no catalog.
bool isFirstStart(const SettingsStore& store, const std::string& folder) {
  return store.getString(kCatalogPathSection, kCatalogPathKey, "").empty() &&
         checkRegularFile(catalogFileIn(folder)) == OpenCheck::Missing;
}

}  // namespace

CatalogMove moveCatalogToAtelier(SettingsStore& store, std::string_view dataFolder) {
  const std::string atelier = atelierFolder(dataFolder);
  const std::string folder = catalogFolder(store, dataFolder);
  if (atelier.empty() || sameFolder(folder, atelier)) return {};
  if (isFirstStart(store, folder)) {
    // Nothing to move yet: the new catalog is made where a later start would move it, so
    // no second copy is left behind in the default folder.
    std::error_code ec;
    fs::create_directories(atelier, ec);
    if (!ec) store.setString(kCatalogPathSection, kCatalogPathKey, atelier);
    return {};
  }
  CatalogLoadResult read;
  const auto bytes = readCatalogBytes(catalogFileIn(folder), read);
  if (!bytes) return {};
  std::error_code ec;
  fs::create_directories(atelier, ec);
  if (ec) return {};
  CatalogMove move;
  if (!writeKeepingOld(catalogFileIn(atelier), *bytes, move.keptOldAs)) return {};
  store.setString(kCatalogPathSection, kCatalogPathKey, atelier);
  move.moved = true;
  return move;
}

CatalogStartup openCatalogAtStartup(Catalog& catalog, SettingsStore& store, std::string_view dataFolder) {
  CatalogStartup startup;
  startup.move = moveCatalogToAtelier(store, dataFolder);
  startup.path = catalogFileIn(catalogFolder(store, dataFolder));
  const std::string problem = ensureCatalogFile(startup.path);
  startup.load = loadCatalogFile(catalog, startup.path);
  if (!problem.empty()) {
    startup.error = std::string(catalog_texts::kErrorReading) + problem;
    catalog.clear();
  }
  return startup;
}

CatalogSaveResult saveCatalog(Catalog& catalog, SettingsStore& store, std::string_view dataFolder) {
  const std::string folder = catalog.filePath().empty() ? catalogFolder(store, dataFolder)
                                                        : withoutTrailingSlash(folderOf(catalog.filePath()));
  store.setString(kCatalogPathSection, kCatalogPathKey, folder);
  return saveCatalogFile(catalog, catalogFileIn(folder));
}

CatalogFolderChange changeCatalogFolder(Catalog& catalog, SettingsStore& store, std::string_view newFolder,
                                        std::string_view dataFolder) {
  CatalogFolderChange change;
  change.savedOld = saveCatalog(catalog, store, dataFolder);
  const std::string folder = withoutTrailingSlash(newFolder);
  store.setString(kCatalogPathSection, kCatalogPathKey, folder);
  const std::string path = catalogFileIn(folder);
  if (checkRegularFile(path) == OpenCheck::Missing) {
    change.copiedToNew = saveCatalogFile(catalog, path).ok;
    if (!change.copiedToNew) change.newFolderError = ensureCatalogFile(path);
  }
  change.load = loadCatalogFile(catalog, path);
  return change;
}

}  // namespace lh
