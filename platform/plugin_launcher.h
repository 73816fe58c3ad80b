#pragma once
// Starting plug-in programs with QProcess and reading the installed plug-ins from QSettings
// (organisation "Quenby", application "Loomhall Tools"; on Linux
// ~/.config/Quenby/Loomhall Tools.conf). A plug-in run's process is a child whose end is
// reported; programs that run on their own and the card writers are started detached.
//
// Lives on a thread with an event loop: exits are reported from it, never from inside start().
#include <memory>
#include <optional>
#include <string>

#include "plugin/plugin_launch.h"
#include "plugin/plugin_list.h"

class QObject;

namespace lh {

class PluginLauncher final : public ProcessStarter {
 public:
  PluginLauncher();
  // Gives each watched process that is still running a few seconds to close (the run's owner
  // has posted "LHPlugInStop"), then kills it; their exits are no longer reported.
  ~PluginLauncher() override;
  PluginLauncher(const PluginLauncher&) = delete;
  PluginLauncher& operator=(const PluginLauncher&) = delete;

  // The installed plug-ins, as stored now.
  static PluginList installedPlugins();
  // The file (or, on Windows, the registry key) they are stored in.
  static std::string settingsLocation();
  // Where the card writer's list goes when its program's folder takes no files: a folder of
  // this user's own (the runtime folder).
  static std::string fallbackFolder();

  std::optional<std::int64_t> start(const std::string& program, const std::string& argument,
                                    ExitHandler onExit) override;
  std::string programFolder(const std::string& program) const override;

  // How many watched processes are still running.
  int runningCount() const;

 private:
  std::unique_ptr<QObject> owner_;  // parent of the watched processes
};

}  // namespace lh
