#include "cli/catalog_session.h"

#include <cstdio>

#include "catalog/catalog_file.h"
#include "catalog/catalog_location.h"
#include "catalog/catalog_texts.h"
#include "cli/catalog_commands.h"
#include "cli/commands.h"
#include "cli/design_io.h"
#include "design/emb_design.h"

namespace lh::cli {

std::optional<int> CatalogSession::open(const std::string& file) {
  if (!file.empty()) {
    if (!equalsNoCase(extensionOf(file), "QY"))
      return usageError("--file needs a catalog file named *.QY, not '" + file + "'");
    path = file;
    if (const std::string problem = ensureCatalogFile(path); !problem.empty())
      return catalogFailure(path, oneLine(std::string(catalog_texts::kErrorReading) + problem));
    const CatalogLoadResult load = loadCatalogFile(catalog, path);
    if (!load.ok()) return catalogFailure(path, oneLine(std::string(catalog_texts::kErrorReading) + load.error));
    return std::nullopt;
  }
  store_ = std::make_unique<QtSettingsStore>("Loomhall");
  dataFolder_ = dataFolder();
  if (catalogFolder(*store_, dataFolder_).empty())
    return catalogFailure("catalog", "no catalog folder: neither \"Catalog Path\" nor XDG_DATA_HOME or HOME names one");
  const CatalogStartup startup = openCatalogAtStartup(catalog, *store_, dataFolder_);
  store_->sync();
  path = startup.path;
  if (!startup.move.keptOldAs.empty())
    std::fprintf(stderr, "loomhall-cli: %s: the catalog moved here; the one that was here is kept as %s\n",
                 path.c_str(), startup.move.keptOldAs.c_str());
  if (!startup.error.empty()) return catalogFailure(path, oneLine(startup.error));
  if (!startup.load.ok())
    return catalogFailure(path, oneLine(std::string(catalog_texts::kErrorReading) + startup.load.error));
  return std::nullopt;
}

std::string CatalogSession::saveRefusal() const {
  if (catalog.saveRefusal().empty()) return {};
  return oneLine(std::string(catalog_texts::kSaveRefused) + catalog.saveRefusal());
}

bool CatalogSession::save() {
  const CatalogSaveResult saved =
      store_ ? saveCatalog(catalog, *store_, dataFolder_) : saveCatalogFile(catalog, path);
  if (store_) store_->sync();
  if (saved.ok) return true;
  catalogFailure(path, oneLine(saved.error));
  return false;
}

}  // namespace lh::cli
