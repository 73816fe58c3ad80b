#include "plugin/run_state.h"

namespace lh {

bool RunState::beginRun() { return toolRunning_.exchange(true); }

bool RunState::beginPluginRun() {
  if (beginRun()) return true;
  process_.store(kNoProcess);
  pluginRunning_.store(true);
  return false;
}

void RunState::attachProcess(std::int64_t pid) {
  if (pluginRunning()) process_.store(pid);
}

void RunState::endRun() {
  process_.store(kNoProcess);
  pluginRunning_.store(false);
  stopRequested_.store(false);
  toolRunning_.store(false);
}

void RunState::stopRun() {
  if (toolRunning()) stopRequested_.store(true);
  if (!pluginRunning()) return;
  if (post_) post_({Message::PlugInStop, 0, 0});
  endRun();
}

bool RunState::processEnded(std::int64_t pid) {
  std::int64_t expected = pid;
  if (pid == kNoProcess || !process_.compare_exchange_strong(expected, kNoProcess)) return false;
  endRun();
  return true;
}

RunSnapshot RunState::snapshot() const { return {toolRunning(), pluginRunning()}; }

std::optional<Refusal> RunState::preferencesRefusal() const {
  if (!toolRunning()) return std::nullopt;
  return pluginRunning() ? kPluginRunning : kToolRunning;
}

std::optional<Refusal> RunState::lockedCommandRefusal() const {
  if (pluginRunning()) return kPluginRunning;
  return std::nullopt;
}

}  // namespace lh
