#include "browser/app/design_opener.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "formats/design_codec.h"
#include "tools/conversion.h"
#include "tools/setting_keys.h"
#include "tools/tool_report.h"
#include "tools/tool_runner.h"

namespace lh {

bool DesignOpener::desktopOpen(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

DesignOpener::DesignOpener(SettingsStore& store, ExtractedFiles& extracted, Launch launch)
    : store_(store), extracted_(extracted), launch_(std::move(launch)), systemTemp_(QDir::tempPath().toStdString()) {}

std::string DesignOpener::temporaryFolder() const {
  const RunSettings run = RunSettings::fromSettings(store_);
  if (run.workspace && !run.directory.empty() && QDir(QString::fromStdString(run.directory)).exists())
    return run.directory;
  return systemTemp_;
}

std::string DesignOpener::open(const FileItem& item) {
  const std::string folder = temporaryFolder();
  std::string path = item.location();
  if (item.isArchiveMember()) {
    const std::optional<std::string> copy = extracted_.extract(path, folder);
    if (!copy) return {};
    path = *copy;
  }
  if (launch_(path)) return path;

  // A finished load is no crash: the guard's note of the file is put back as it was.
  const std::string lastFile = store_.getString("Settings", "Last File", "");
  DesignCodec codec(&store_);
  ToolReport report;
  const OnTheFly converted = convertForOpening(path, folder, ConversionContext::fromSettings(store_, &codec), report);
  store_.setString("Settings", "Last File", lastFile);
  for (const std::string& made : converted.temporaries) extracted_.add(made);
  if (converted.openPath == path || !launch_(converted.openPath)) return {};
  return converted.openPath;
}

}  // namespace lh
