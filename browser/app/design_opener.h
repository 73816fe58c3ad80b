#pragma once
// Opening a design with the program the desktop associates with its type (a double click in
// the grid). An archive member is extracted to a temporary file first. When the desktop
// cannot open the file, the design is converted into the tool format in the temporary
// folder and the converted file is opened instead. Every file made is kept in the list of
// files the browser extracted for its own use.
#include <functional>
#include <string>

#include "browser/view_core/extracted_files.h"
#include "catalog/file_item.h"
#include "design/settings.h"

namespace lh {

class DesignOpener {
 public:
  // Opens a plain file; false when no program took it.
  using Launch = std::function<bool(const std::string& path)>;
  // The desktop's "open": QDesktopServices::openUrl.
  static bool desktopOpen(const std::string& path);

  // `store` gives the tool format and conversion settings and the temporary folder; it and
  // `extracted` must outlive the opener.
  DesignOpener(SettingsStore& store, ExtractedFiles& extracted, Launch launch = desktopOpen);

  // The folder temporary files go into: the "temporary" folder of the preferences when new
  // designs are to go there, else `systemTemp`.
  std::string temporaryFolder() const;
  void setSystemTemp(std::string folder) { systemTemp_ = std::move(folder); }

  // Opens `item`; returns the file that was handed to the program, empty when none took it.
  std::string open(const FileItem& item);

 private:
  SettingsStore& store_;
  ExtractedFiles& extracted_;
  Launch launch_;
  std::string systemTemp_;
};

}  // namespace lh
