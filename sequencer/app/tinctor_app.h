#pragma once
// The program's parts wired together: the session, the link to the browser and the main
// window. The link is the message bus when a browser is on it; a design opened directly
// (no browser running) is served by a plug-in host inside the program, which saves the result
// beside the design under a new name, as the browser would.
#include <QObject>
#include <QString>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "design/settings.h"
#include "plugin/bus/bus_frame.h"
#include "sequencer/app/tinctor_window.h"
#include "sequencer/sequencer_session.h"

class QLockFile;

namespace lh {

class Bus;
class FileList;
class PluginHost;

class TinctorApp : public QObject, public SessionPoster {
  Q_OBJECT

 public:
  // `browserSettings` is read for the browser's version; `settings` is the program's own.
  TinctorApp(const SettingsStore& browserSettings, SettingsStore& settings, TinctorPrompts& prompts);
  ~TinctorApp() override;

  // Joins the bus (the user's, or `socketPath`). False, off the bus again, when no other
  // program serves it: no browser is running.
  bool joinBrowser(const QString& socketPath = {});
  // Serves `files` from a host inside the program instead of the browser.
  void openDirectly(const std::vector<std::string>& files);
  bool standalone() const { return host_ != nullptr; }

  // Start-up once the link is chosen: the browser is told the plug-in is there, the window
  // is shown and the first design asked for.
  void start(const std::string& commandLine, std::int64_t token);

  SequencerSession& session() { return *session_; }
  TinctorWindow& window() { return *window_; }
  // Files the inside host saved.
  const std::vector<std::string>& savedFiles() const { return saved_; }

  void post(const PostedMessage& message, std::optional<ByteSpan> block) override;

 signals:
  // The window closed and the browser was told: the program may end.
  void finished();

 private:
  void build(const SettingsStore& browserSettings);
  void deliver(const BusFrame& frame);
  void pumpLocal();

  const SettingsStore& browserSettings_;
  SettingsStore& settings_;
  TinctorPrompts& prompts_;
  MemorySettings hostSettings_;
  MemorySettings standaloneBrowser_;
  std::unique_ptr<SequencerSession> session_;
  std::unique_ptr<TinctorWindow> window_;
  std::unique_ptr<Bus> bus_;
  std::unique_ptr<FileList> files_;
  std::unique_ptr<PluginHost> host_;
  std::deque<BusFrame> local_;
  bool pumping_ = false;
  std::vector<std::string> saved_;
  int failures_ = 0;
};

// The single-instance guard: a lock held while the program runs; nothing when another copy
// holds it.
std::unique_ptr<QLockFile> holdSingleInstance();

}  // namespace lh
