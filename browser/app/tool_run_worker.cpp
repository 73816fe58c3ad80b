#include "browser/app/tool_run_worker.h"

#include <QMetaObject>

#include "browser/app/crash_guard.h"

namespace lh {

ToolRunWorker::ToolRunWorker(const RunState& state, Listener listener, QObject* parent)
    : QObject(parent), state_(state), listener_(std::move(listener)) {}

ToolRunWorker::~ToolRunWorker() {
  // Joined here, before QObject's destructor drops the events still queued to this object,
  // so that no event is posted to an object on its way out.
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
}

bool ToolRunWorker::start(ToolRunJob job) {
  if (busy_) return false;
  if (thread_.joinable()) thread_.join();  // the last run has posted its end already
  busy_ = true;
  thread_ = std::jthread([this](std::stop_token stop, ToolRunJob j) { run(std::move(stop), std::move(j)); },
                         std::move(job));
  return true;
}

void ToolRunWorker::post(std::function<void()> f) {
  QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

// On the run's thread: reads only `job` (its own), the running state's atomic flags and the
// crash guard.
void ToolRunWorker::run(std::stop_token stop, ToolRunJob job) {
  int handled = 0;
  int created = 0;
  std::size_t checked = 0;
  RunCallbacks callbacks;
  callbacks.stopRequested = [&] {
    if (job.beforeDesign) job.beforeDesign(checked);
    ++checked;
    return state_.stopRequested() || stop.stop_requested();
  };
  callbacks.status = [&](std::string_view item) {
    post([this, n = ++handled, text = std::string(item)] {
      if (listener_.progress) listener_.progress(n, text);
    });
  };
  callbacks.fileCreated = [&](const std::string&, const std::string&) {
    post([this, n = ++created] {
      if (listener_.fileCreated) listener_.fileCreated(n);
    });
  };
  callbacks.reduce = [&](EmbDesign& design) {
    if (!job.reduced) return false;
    const std::string path = design.path;
    design = std::move(*job.reduced);
    design.path = path;
    job.reduced.reset();
    return true;
  };
  if (job.guard != nullptr) {
    callbacks.load = [guard = job.guard](DesignCodec& codec, EmbDesign& design, const std::string& item) {
      guard->reading(item);
      codec.busyCount.fetch_add(1);
      return codec.loadDesign(&design, item);
    };
  }
  RunResult result;
  try {
    result = runTool(job.command, job.items, job.settings, job.run, callbacks, 1);
  } catch (const std::exception& e) {
    result.report = std::string("The tool run failed: ") + e.what() + "\r\n";
  }
  post([this, r = std::move(result)] {
    busy_ = false;
    if (listener_.finished) listener_.finished(r);
  });
}

}  // namespace lh
