#pragma once
// Counts how often a name in a folder is given to a file (a rename onto it, or a new link or
// file of that name: the ways saves and archive rewrites publish), through inotify. It tells
// how many times an archive was written, seen from outside, without timing anything.
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace lh::test {

class PublishCounter {
 public:
  PublishCounter(const std::string& folder, std::string name) : name_(std::move(name)) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0) ::inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO | IN_CREATE);
  }
  ~PublishCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  PublishCounter(const PublishCounter&) = delete;
  PublishCounter& operator=(const PublishCounter&) = delete;

  bool ok() const { return fd_ >= 0; }
  // Times the name was given since the last call (or since construction).
  int count() {
    alignas(inotify_event) char buf[1 << 16];
    int n = 0;
    for (;;) {
      const ssize_t got = ::read(fd_, buf, sizeof buf);
      if (got <= 0) return n;
      for (ssize_t at = 0; at < got;) {
        const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
        if (ev->len > 0 && std::strcmp(ev->name, name_.c_str()) == 0) ++n;
        at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
      }
    }
  }

 private:
  int fd_ = -1;
  std::string name_;
};

}  // namespace lh::test
