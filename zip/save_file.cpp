#include "zip/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace lh {

namespace {

enum class Outcome { Written, Exists, Failed };

// Candidates tried before saveUnique gives up (a folder with that many copies is broken).
constexpr int kMaxUniqueTries = 100000;

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

mode_t defaultFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// Moves the finished temporary file to `path` unless something is already there.
Outcome publish(const std::string& tmp, const std::string& path) {
  if (::link(tmp.c_str(), path.c_str()) == 0) {
    ::unlink(tmp.c_str());
    return Outcome::Written;
  }
  if (errno == EEXIST) return Outcome::Exists;
  // File systems without hard links (FAT media): a rename that refuses to replace.
  if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
    return Outcome::Written;
  if (errno == EEXIST) return Outcome::Exists;
  if (errno != EINVAL && errno != ENOSYS) return Outcome::Failed;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return Outcome::Exists;
  return ::rename(tmp.c_str(), path.c_str()) == 0 ? Outcome::Written : Outcome::Failed;
}

Outcome writeNew(const std::string& path, std::span<const std::uint8_t> bytes) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return Outcome::Exists;
  std::string tmp = folderOf(path) + "/.lh-save-XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return Outcome::Failed;
  bool ok = writeAll(fd, bytes) && ::fchmod(fd, defaultFileMode()) == 0 && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  const Outcome result = ok ? publish(tmp, path) : Outcome::Failed;
  if (result != Outcome::Written) ::unlink(tmp.c_str());
  return result;
}

bool allDigits(std::string_view s) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::string nextUniqueName(std::string_view path) {
  const auto slash = path.find_last_of("/\\");
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::string_view name = path.substr(nameStart);
  std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) dot = name.size();
  const std::string_view title = name.substr(0, dot);
  const std::string_view ext = name.substr(dot);

  std::string out(path.substr(0, nameStart));
  const auto open = title.find_last_of('(');
  if (!title.empty() && title.back() == ')' && open != std::string_view::npos &&
      allDigits(title.substr(open + 1, title.size() - open - 2))) {
    const long n = std::stol(std::string(title.substr(open + 1, title.size() - open - 2)));
    out += title.substr(0, open + 1);
    out += std::to_string(n + 1);
    out += ')';
  } else {
    out += title;
    out += "(2)";
  }
  out += ext;
  return out;
}

bool writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  return writeNew(path, bytes) == Outcome::Written;
}

std::optional<std::string> saveUnique(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::string candidate = path;
  for (int i = 0; i < kMaxUniqueTries; ++i) {
    switch (writeNew(candidate, bytes)) {
      case Outcome::Written:
        return candidate;
      case Outcome::Failed:
        return std::nullopt;
      case Outcome::Exists:
        candidate = nextUniqueName(candidate);
        break;
    }
  }
  return std::nullopt;
}

}  // namespace lh
