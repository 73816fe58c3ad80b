// This umask takes the place of the C library's for the whole test program and counts its
// calls; it sets the mask through the system call, as the library's would.
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

#include "tests/support/process_guards.h"

namespace {
std::atomic<int> calls{0};
}  // namespace

extern "C" mode_t umask(mode_t mask) noexcept {
  calls.fetch_add(1);
  return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

int lh::test::umaskCalls() { return calls.load(); }
