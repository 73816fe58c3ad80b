#pragma once
// A tool run on a thread of its own, so that the window stays responsive. The thread owns
// everything it works on (the item paths, a copy of the settings, the reduced design); what
// it tells the window travels as copied values in events queued to this object, whose slots
// run on the window's thread. The only things both threads look at are the running state's
// atomic flags and the crash guard, which is made for loads on any thread.
#include <QObject>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "design/emb_design.h"
#include "design/settings.h"
#include "plugin/run_state.h"
#include "tools/tool_runner.h"

namespace lh {

class CrashGuard;

// Everything a run needs, moved onto its thread.
struct ToolRunJob {
  ToolCommandId command = ToolCommandId::ConvertToToolFormat;
  std::vector<std::string> items;
  MemorySettings settings;  // a copy of the user's settings (copyRunSettings)
  RunSettings run;
  std::optional<EmbDesign> reduced;  // "Reduce Colors": the design the user accepted
  // Called on the run's thread before each design is checked for a stop, with the number of
  // designs checked before (tests hold a run here).
  std::function<void(std::size_t)> beforeDesign;
  // Records each design before it is read (safe from any thread); may be null.
  CrashGuard* guard = nullptr;
};

class ToolRunWorker : public QObject {
  Q_OBJECT

 public:
  // What the window hears, on its own thread: a design being handled (counted from 1), a
  // file created (how many so far), the run's end.
  struct Listener {
    std::function<void(int handled, const std::string& item)> progress;
    std::function<void(int created)> fileCreated;
    std::function<void(const RunResult& result)> finished;
  };

  ToolRunWorker(const RunState& state, Listener listener, QObject* parent = nullptr);
  // Asks a run in progress to stop at its next design and waits for it.
  ~ToolRunWorker() override;

  // Starts `job`; false when a run is still in progress.
  bool start(ToolRunJob job);
  bool busy() const { return busy_; }

 private:
  void run(std::stop_token stop, ToolRunJob job);
  // Queues `f` to run on this object's thread.
  void post(std::function<void()> f);

  const RunState& state_;
  Listener listener_;
  bool busy_ = false;  // only read and written on the window's thread
  std::jthread thread_;  // last: joined before anything else goes
};

}  // namespace lh
