#pragma once
// Ctrl-C (and, where asked, SIGTERM) as a flag the command's normal flow looks at. The handler
// only sets the flag: all output happens in the normal flow, so no line is cut and every file
// published is listed.
#include <csignal>
#include <initializer_list>

namespace lh::cli {

// Installs the handler for `caught` while it lives (SA_RESTART: an interrupted read or write
// goes on), clearing the flag first; the previous handlers come back at its end.
class InterruptFlag {
 public:
  explicit InterruptFlag(std::initializer_list<int> caught = {SIGINT});
  ~InterruptFlag();
  InterruptFlag(const InterruptFlag&) = delete;
  InterruptFlag& operator=(const InterruptFlag&) = delete;

 private:
  static constexpr int kMaxSignals = 4;
  int signals_[kMaxSignals] = {};
  struct sigaction previous_[kMaxSignals] = {};
  int count_ = 0;
};

// One of the signals came since the flag was installed.
bool interrupted();

}  // namespace lh::cli
