#include "plugin/plugin_save.h"

#include <filesystem>
#include <span>

#include "formats/format_table.h"
#include "tools/conversion.h"
#include "tools/setting_keys.h"
#include "tools/tool_runner.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

constexpr std::string_view kNoWorkLine = "No work completed.\r\n";

// A path names its own folder when it is absolute (for a member: its archive's path).
bool hasOwnFolder(std::string_view path) {
  if (const auto zip = splitZipPath(path)) return !zip->archive.empty() && zip->archive.front() == '/';
  return !path.empty() && path.front() == '/';
}

// The path the runner is given for the design, or nothing when there is no folder to put it
// in. A design named like a text or bitmap file is a design all the same: it takes the
// extension of "Tools selected", as the runner skips such names.
std::optional<std::string> runnerPath(std::string path, const SettingsStore& settings,
                                      const PluginSaving& saving) {
  const std::string name = fileNameOf(path);
  if (name.empty() || name == "." || name == "..") path = untitledPath(settings);
  if (isCompanionFile(path))
    path = replaceExtension(path, formatExtension(readSetting(settings, kToolsSelected)).substr(1));
  if (saving.run.workspace) {
    if (saving.run.directory.empty()) return std::nullopt;
    return path;  // the runner puts it into the temporary folder
  }
  if (hasOwnFolder(path)) return path;
  if (saving.originalDirectory.empty()) return std::nullopt;
  // The folder is made when the first design needs it, as the preferences would have.
  std::error_code ec;
  std::filesystem::create_directories(saving.originalDirectory, ec);
  return pathInFolder(saving.originalDirectory, path);
}

}  // namespace

PluginSaving PluginSaving::fromSettings(const SettingsStore& store) {
  PluginSaving s;
  s.run = RunSettings::fromSettings(store);
  s.originalDirectory = readSetting(store, kOriginalDirectory);
  return s;
}

std::string untitledPath(const SettingsStore& settings) {
  return replaceExtension("Untitled.PES", readSetting(settings, kToolsOtf));
}

PluginSaveResult savePluginDesign(
    const EmbDesign& design, std::string_view fallbackPath, SettingsStore& settings,
    const PluginSaving& saving,
    const std::function<void(const std::string&, const std::string&)>& fileCreated) {
  PluginSaveResult out;
  const std::string source = design.path.empty() ? std::string(fallbackPath) : design.path;
  const std::optional<std::string> item = runnerPath(source, settings, saving);
  if (!item) {
    out.report = (source.empty() ? untitledPath(settings) : source) + " could not be saved.\r\n";
    out.failed = true;
    return out;
  }

  RunSettings run = saving.run;
  run.force = true;         // the plug-in changed it: written also in its own format
  run.toolsReport = false;  // the plug-in run reports its count once, at its end
  run.skipExisting = false;
  RunCallbacks callbacks;
  callbacks.load = [&](DesignCodec&, EmbDesign& loaded, const std::string& path) {
    loaded.copyFrom(design);
    loaded.path = path;
    return LoadResult::Ok;
  };
  callbacks.fileCreated = [&](const std::string&, const std::string& created) {
    out.created.push_back(created);
    if (fileCreated) fileCreated(source, created);
  };
  const RunResult result = runTool(ToolCommandId::ConvertToToolFormat,
                                   std::span<const std::string>(&*item, 1), settings, run, callbacks);
  out.report = result.report;
  // One design at a time: the run's closing line says nothing its failure line does not.
  if (out.report.ends_with(kNoWorkLine)) out.report.resize(out.report.size() - kNoWorkLine.size());
  out.failed = result.failed > 0 || out.created.empty();
  return out;
}

}  // namespace lh
