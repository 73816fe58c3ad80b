#pragma once
// The browser's running state: whether a tool or plug-in run is active, whether it is a
// plug-in run, and whether the user asked it to stop. Every flag is an atomic, so the tool
// runner's workers may read stopRequested() while the user-interface thread changes it; a
// second start always sees a run that is already active.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "plugin/messages.h"
#include "plugin/plugin_texts.h"

namespace lh {

// The flags at one moment, for decisions that only read them.
struct RunSnapshot {
  bool toolRunning = false;
  bool pluginRunning = false;
};

class RunState {
 public:
  // `post` sends a message to every program on the bus; stopRun() posts "LHPlugInStop" with it.
  using Poster = std::function<void(const PostedMessage&)>;
  explicit RunState(Poster post = {}) : post_(std::move(post)) {}

  // Starts a run (a tool run unless made a plug-in run); returns whether one was already
  // active, in which case nothing changes.
  bool beginRun();
  // beginRun(), and when it started the run, marks it as a plug-in run of no process yet.
  bool beginPluginRun();
  // The plug-in run now belongs to the process `pid` (its exit may end it, processEnded).
  void attachProcess(std::int64_t pid);
  // Clears every flag: the state is idle.
  void endRun();
  // Stop: a running tool is asked to stop at its next check; a plug-in run is told to close
  // ("LHPlugInStop", 0, 0) and ends at once.
  void stopRun();
  // The process `pid` died: ends the run when it is the plug-in run of that process, and
  // returns whether it did.
  bool processEnded(std::int64_t pid);

  bool toolRunning() const { return toolRunning_.load(); }
  bool pluginRunning() const { return pluginRunning_.load(); }
  bool stopRequested() const { return stopRequested_.load(); }
  RunSnapshot snapshot() const;

  // Opening the preferences during a run: string 32206 in a plug-in run, 32207 in a tool run.
  std::optional<Refusal> preferencesRefusal() const;
  // Ticking folders, choosing in the catalog tree, starting tools: refused in any run, with
  // the message in a plug-in run and silently in a tool run (whose runner reports itself).
  bool refusesLockedCommands() const { return toolRunning(); }
  std::optional<Refusal> lockedCommandRefusal() const;

 private:
  static constexpr std::int64_t kNoProcess = -1;

  Poster post_;
  std::atomic<bool> toolRunning_{false};
  std::atomic<bool> pluginRunning_{false};
  std::atomic<bool> stopRequested_{false};
  std::atomic<std::int64_t> process_{kNoProcess};
};

}  // namespace lh
