#pragma once
// The browser's side of its plug-ins, without the window: the installed plug-ins, the message
// bus, the host that serves the file list's selection to a plug-in and saves the designs it
// hands back, and the processes started for a run. The main window adds the menus, buttons
// and messages (main_frame_plugins.cpp).
#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "browser/core/file_list.h"
#include "design/settings.h"
#include "plugin/plugin_launch.h"
#include "plugin/plugin_list.h"
#include "plugin/run_state.h"

namespace lh {

class Bus;
class PluginHost;

class PluginRuns : public QObject {
  Q_OBJECT

 public:
  // Serves the selection of `files` with the settings of `store`; `state` is the window's
  // running state. All three outlive this object. `starter` starts the programs (null: the
  // platform's launcher).
  PluginRuns(const FileList& files, SettingsStore& store, RunState& state,
             std::unique_ptr<ProcessStarter> starter = nullptr, QObject* parent = nullptr);
  ~PluginRuns() override;

  // Joins the user's bus ($LOOMHALL_BUS, or the runtime folder's): from then on plug-ins'
  // requests are answered. False when no bus could be joined.
  bool joinBus();
  bool onBus() const;
  // Posts a message to every program on the bus (the running state's "LHPlugInStop").
  void post(const PostedMessage& message);

  // The plug-ins installed when the window was made.
  const PluginList& installed() const { return installed_; }
  // Carries out a plug-in command's plan: the message to show when there is one. A run it
  // begins is served from the start of the list and ends with runEnded.
  std::optional<Refusal> launch(const LaunchPlan& plan);

  PluginHost& host() { return *host_; }
  // Takes and clears the files created since the last call: (design path, file created).
  std::vector<std::pair<std::string, std::string>> takeCreated();
  // A second start of the browser came to the front: a lost acknowledgement is forgiven.
  void activated();

 signals:
  // The plug-in said it ended, or the process of the run ended without saying so.
  void runEnded();

 private:
  const FileList& files_;
  SettingsStore& store_;
  RunState& state_;
  PluginList installed_;
  std::unique_ptr<ProcessStarter> starter_;
  std::unique_ptr<Bus> bus_;
  std::unique_ptr<PluginHost> host_;
  std::vector<std::pair<std::string, std::string>> created_;
};

}  // namespace lh
