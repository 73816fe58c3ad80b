#pragma once
// The catalog a command works on: the stored one ("Catalog.QY" in the "Settings"/"Catalog
// Path" folder, opened with the browser's start-up steps) or a file named on the command line.
#include <memory>
#include <optional>
#include <string>

#include "catalog/catalog.h"
#include "platform/qt_settings_store.h"

namespace lh::cli {

class CatalogSession {
 public:
  // Opens the catalog: `file` when not empty, otherwise the stored one (moved into the data
  // folder and created with its first line when missing, as the browser does at start-up).
  // Nothing on success; otherwise the exit status after a message on stderr.
  std::optional<int> open(const std::string& file);
  // Saves the catalog in one step to where it was read from; false after a message on stderr
  // (also when the read did not take the whole file and saving would lose entries).
  bool save();
  // Why saving would be refused, as the message saving gives; empty when it is allowed.
  std::string saveRefusal() const;

  Catalog catalog;
  std::string path;  // the catalog file

 private:
  std::unique_ptr<QtSettingsStore> store_;  // set for the stored catalog
  std::string dataFolder_;
};

}  // namespace lh::cli
