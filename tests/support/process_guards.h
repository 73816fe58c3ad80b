#pragma once
// Process-wide settings a test changes for a while and gives back: the umask, and the largest
// file the process may write (beyond it write() fails with EFBIG, the way it fails on a full
// disk). umaskCalls() counts the umask calls made anywhere in the program, so a test can tell
// that library code never touched the mask; it needs umask_count.cpp among the test's sources.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace lh::test {

int umaskCalls();

class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) : oldSignal_(::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, oldSignal_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  sighandler_t oldSignal_;
  rlimit old_{};
};

}  // namespace lh::test
