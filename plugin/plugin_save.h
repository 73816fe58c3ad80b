#pragma once
// Saving the designs a plug-in hands back: each one goes through the tool runner as a design
// it created, so the rules are the runner's (the tool format, hoop fitting, never replacing a
// file, the temporary folder, new members of zip archives); only where a design without a
// folder of its own goes is decided here.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "design/emb_design.h"
#include "design/settings.h"
#include "tools/tool_runner.h"

namespace lh {

// Where handed-back designs go.
struct PluginSaving {
  // The runner's settings: with `workspace` every design goes into `directory` as a plain
  // file; otherwise beside the file it came from (a member of an archive into that archive).
  RunSettings run;
  // The folder of a design that has no folder of its own (no path, or a relative one) when
  // `workspace` is off.
  std::string originalDirectory;

  // The stored values ("Workspace": "workspace", "directory", "originalDirectory").
  static PluginSaving fromSettings(const SettingsStore& store);
};

// The name a design without any path is saved under: "Untitled" with the extension of the
// on-the-fly tool format ("Settings"/"Tools otf").
std::string untitledPath(const SettingsStore& settings);

// What saving one handed-back design did.
struct PluginSaveResult {
  std::vector<std::string> created;  // in order (more than one: the design was split)
  std::string report;                // the runner's lines for it (CR LF), failures among them
  bool failed = false;
};

// Saves `design` as a new file as the tool runner saves a design it created, in the tool
// format, also when that is the design's own. `fallbackPath` names the design when it carries
// no path. `fileCreated` hears (the design's path, the file created) for every file.
PluginSaveResult savePluginDesign(
    const EmbDesign& design, std::string_view fallbackPath, SettingsStore& settings,
    const PluginSaving& saving,
    const std::function<void(const std::string&, const std::string&)>& fileCreated);

}  // namespace lh
