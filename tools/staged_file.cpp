#include "tools/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "zip/save_file.h"

namespace lh {

namespace {

// Names tried before publishing gives up (a folder with that many copies is broken).
constexpr int kMaxNames = 100000;

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, ByteSpan bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

mode_t fileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

enum class Link { Done, Taken, Failed };

// Gives `tmp` the name `path` unless something already has it.
Link linkNoReplace(const std::string& tmp, const std::string& path) {
  if (::link(tmp.c_str(), path.c_str()) == 0) return Link::Done;
  if (errno == EEXIST) return Link::Taken;
  // File systems without hard links (FAT media): a rename that refuses to replace.
  if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return Link::Done;
  if (errno == EEXIST) return Link::Taken;
  if (errno != EINVAL && errno != ENOSYS) return Link::Failed;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return Link::Taken;
  return ::rename(tmp.c_str(), path.c_str()) == 0 ? Link::Done : Link::Failed;
}

}  // namespace

std::optional<StagedFile> StagedFile::stage(const std::string& path, ByteSpan bytes) {
  std::string tmp = folderOf(path) + "/.lh-stage-XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return std::nullopt;
  StagedFile staged(tmp);
  bool ok = writeAll(fd, bytes) && ::fchmod(fd, fileMode()) == 0 && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok) return std::nullopt;  // the destructor removes the temporary file
  return staged;
}

std::optional<std::string> StagedFile::publish(const std::string& path) {
  if (tmp_.empty()) return std::nullopt;
  std::string candidate = path;
  for (int i = 0; i < kMaxNames; ++i) {
    switch (linkNoReplace(tmp_, candidate)) {
      case Link::Done:
        discard();  // the link keeps the file; a rename already moved it
        return candidate;
      case Link::Taken:
        candidate = nextUniqueName(candidate);
        break;
      case Link::Failed:
        discard();
        return std::nullopt;
    }
  }
  discard();
  return std::nullopt;
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
  if (this != &other) {
    discard();
    tmp_ = std::move(other.tmp_);
    other.tmp_.clear();
  }
  return *this;
}

StagedFile::~StagedFile() { discard(); }

void StagedFile::discard() {
  if (!tmp_.empty()) ::unlink(tmp_.c_str());
  tmp_.clear();
}

}  // namespace lh
