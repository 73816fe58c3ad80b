#include "cli/interrupt_flag.h"

namespace lh::cli {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;
void onInterrupt(int) { gInterrupted = 1; }

}  // namespace

InterruptFlag::InterruptFlag(std::initializer_list<int> caught) {
  gInterrupted = 0;
  struct sigaction sa {};
  sa.sa_handler = onInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (const int signal : caught) {
    if (count_ == kMaxSignals) break;
    signals_[count_] = signal;
    ::sigaction(signal, &sa, &previous_[count_]);
    ++count_;
  }
}

InterruptFlag::~InterruptFlag() {
  for (int i = count_ - 1; i >= 0; --i) ::sigaction(signals_[i], &previous_[i], nullptr);
}

bool interrupted() { return gInterrupted != 0; }

}  // namespace lh::cli
