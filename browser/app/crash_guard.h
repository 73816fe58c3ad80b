#pragma once
// The crash guard of the browser's design loads. Every load records the file it reads before
// reading it, so that a crash inside a reader leaves that file's name behind for the next
// start, which moves it into "Settings"/"Last File" and reports it. Loads run on several
// threads and there may be thousands of them, so the name is not written through the
// settings (one file rewrite each) but into a small file of its own that stays open and is
// rewritten in place; what a process wrote there survives the process dying.
#include <mutex>
#include <string>
#include <string_view>

#include "design/settings.h"

namespace lh {

class CrashGuard {
 public:
  // Creates or opens the record at `path` (its folder is created when missing).
  explicit CrashGuard(std::string path);
  ~CrashGuard();
  CrashGuard(const CrashGuard&) = delete;
  CrashGuard& operator=(const CrashGuard&) = delete;

  // The file a load is about to read. Safe to call from several threads.
  void reading(std::string_view location);
  // The orderly end of the run: the record is emptied and later loads are not recorded.
  void finish();

  // What an earlier run left in the record at `path` (empty when it ended orderly); the
  // record is emptied.
  static std::string takeLeftOver(const std::string& path);

 private:
  std::mutex mutex_;
  int fd_ = -1;
  bool finished_ = false;
};

// At start: what an earlier run left in the record at `path` becomes "Settings"/"Last File".
void adoptLeftOver(SettingsStore& store, const std::string& path);

}  // namespace lh
