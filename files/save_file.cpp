#include "files/save_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <utility>
#include <vector>

#include "files/regular_file.h"

namespace lh {

namespace {

// Names tried before giving up: temporary names (each try a fresh one) and "(n)" names (a
// folder with that many copies is broken).
constexpr int kTemporaryTries = 100;
constexpr int kMaxNames = 100000;

constexpr std::string_view kStagePrefix = ".lh-";

// ".lh-<pid>-<n>": a hidden name no other save of this process uses. The process id tells a
// later run whether the file is stale; another process with the same id (in another pid
// namespace) may pick the same name, which the exclusive create notices, and the caller
// tries the next one.
std::string temporaryName() {
  static std::atomic<std::uint64_t> counter{0};
  char name[48];
  std::snprintf(name, sizeof name, ".lh-%ld-%llx", static_cast<long>(::getpid()),
                static_cast<unsigned long long>(counter.fetch_add(1)));
  return name;
}

// The creating process of a stage file name ".lh-<pid>-<hex>"; nothing for other names.
std::optional<pid_t> stageFileOwner(std::string_view name) {
  if (!name.starts_with(kStagePrefix)) return std::nullopt;
  name.remove_prefix(kStagePrefix.size());
  const auto dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == name.size()) return std::nullopt;
  long pid = 0;
  for (char c : name.substr(0, dash)) {
    if (c < '0' || c > '9') return std::nullopt;
    pid = pid * 10 + (c - '0');
  }
  for (char c : name.substr(dash + 1))
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return pid > 0 ? std::optional<pid_t>(static_cast<pid_t>(pid)) : std::nullopt;
}

bool processGone(pid_t pid) { return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH; }

// Files that can be linked from /proc/self/fd: then O_TMPFILE files can be named.
bool canNameUnnamedFiles() {
  static const bool can = ::access("/proc/self/fd", X_OK) == 0;
  return can;
}

NameResult linkUnnamed(int fd, const std::string& to) {
  char proc[48];
  std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
  if (::linkat(AT_FDCWD, proc, AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) return NameResult::Linked;
  return errno == EEXIST ? NameResult::Taken : NameResult::Failed;
}

// `tryName` under `to` or, when taken, the next names of the nextUniqueName sequence.
template <typename TryName>
Naming firstFreeName(const std::string& to, TryName tryName) {
  Naming named{NameResult::Failed, to};
  for (int i = 0; i < kMaxNames; ++i) {
    named.result = tryName(named.name);
    if (named.result != NameResult::Taken) return named;
    named.name = nextUniqueName(named.name);
  }
  named.result = NameResult::Failed;
  return named;
}

bool allDigits(std::string_view s) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::string folderOf(std::string_view path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return ".";
  return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

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

NameResult nameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) == 0) return NameResult::Linked;
  if (errno == EEXIST) return NameResult::Taken;
  // File systems without hard links (FAT media): a rename that refuses to replace.
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return NameResult::Moved;
  if (errno == EEXIST) return NameResult::Taken;
  if (errno != EINVAL && errno != ENOSYS) return NameResult::Failed;
  // Nor that: look, then rename (the window between is the best such a file system allows).
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return NameResult::Taken;
  return ::rename(from.c_str(), to.c_str()) == 0 ? NameResult::Moved : NameResult::Failed;
}

Naming nameFirstFree(const std::string& from, const std::string& to) {
  return firstFreeName(to, [&](const std::string& name) { return nameWithoutReplacing(from, name); });
}

void FolderSync::add(const std::string& folder) {
  std::lock_guard lock(m_);
  folders_.insert(folder);
}

bool FolderSync::syncAll() {
  std::set<std::string> folders;
  {
    std::lock_guard lock(m_);
    folders.swap(folders_);
  }
  std::set<dev_t> synced;
  bool ok = true;
  for (const std::string& folder : folders) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      ok = false;
    } else if (synced.insert(st.st_dev).second) {
      ok = ::syncfs(fd) == 0 && ok;
    }
    if (fd >= 0) ::close(fd);
  }
  return ok;
}

void removeStaleStageFiles(const std::string& folder) {
  static std::mutex m;
  static std::set<std::string> seen;
  {
    std::lock_guard lock(m);
    if (!seen.insert(folder).second) return;
  }
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return;
  }
  while (const dirent* e = ::readdir(dir)) {
    const std::optional<pid_t> owner = stageFileOwner(e->d_name);
    struct stat st {};
    if (owner && processGone(*owner) && ::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode))
      ::unlinkat(fd, e->d_name, 0);
  }
  ::closedir(dir);
}

std::optional<StagedFile> StagedFile::create(const std::string& target, std::optional<mode_t> mode,
                                             FolderSync* deferred) {
  removeStaleStageFiles(folderOf(target));
  const std::string folder = folderOf(target) + "/";
  for (int i = 0; i < kTemporaryTries; ++i) {
    std::string tmp = folder + temporaryName();
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return std::nullopt;
    StagedFile file(std::move(tmp), fd);
    if (mode && ::fchmod(fd, *mode) != 0) return std::nullopt;  // the file is removed on the way out
    file.deferred_ = deferred != nullptr;
    if (deferred) deferred->add(folderOf(target));
    return file;
  }
  return std::nullopt;
}

std::optional<StagedFile> StagedFile::createUnnamed(const std::string& target) {
  if (!canNameUnnamedFiles()) return std::nullopt;
  const int fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return std::nullopt;
  StagedFile file({}, fd);
  file.unnamed_ = true;
  return file;
}

std::optional<StagedFile> StagedFile::stage(const std::string& target, SaveBytes bytes, FolderSync* deferred) {
  removeStaleStageFiles(folderOf(target));
  std::optional<StagedFile> file = createUnnamed(target);
  if (!file) file = create(target);
  if (!file) return std::nullopt;
  file->deferred_ = deferred != nullptr;
  if (!(file->write(bytes) && file->flush())) return std::nullopt;
  if (deferred) deferred->add(folderOf(target));
  return file;
}

bool StagedFile::write(SaveBytes bytes) {
  flushed_ = false;
  std::size_t done = 0;
  while (done < bytes.size() && fd_ >= 0) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // a full disk, or a device that takes nothing more
    done += static_cast<std::size_t>(n);
  }
  broken_ = broken_ || done < bytes.size();
  return done == bytes.size();
}

bool StagedFile::close() {
  if (unnamed_) return false;  // closing would lose the file
  flushed_ = false;  // whoever changes the file through its name changes what must be flushed
  const int fd = fd_;
  fd_ = -1;
  return fd < 0 || ::close(fd) == 0;
}

bool StagedFile::flush() {
  if (!live()) return false;
  if (unnamed_) {
    // The file stays open: the descriptor is its only way to a name.
    flushed_ = deferred_ || ::fsync(fd_) == 0;
    return flushed_;
  }
  if (deferred_) {
    flushed_ = close();
    return flushed_;
  }
  if (fd_ < 0) fd_ = ::open(tmp_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  const bool synced = ::fsync(fd_) == 0;
  flushed_ = close() && synced;
  return flushed_;
}

NameResult StagedFile::nameOnce(const std::string& to) const {
  return unnamed_ ? linkUnnamed(fd_, to) : nameWithoutReplacing(tmp_, to);
}

Naming StagedFile::claim(const std::string& path, bool firstFree) {
  if (!live() || broken_ || !(flushed_ || flush())) return {};
  auto tryName = [this](const std::string& to) { return nameOnce(to); };
  Naming named = firstFree ? firstFreeName(path, tryName) : Naming{tryName(path), path};
  if (named.result != NameResult::Linked && named.result != NameResult::Moved) return named;
  if (unnamed_) {
    ::close(fd_);
    fd_ = -1;
  } else {
    if (named.result == NameResult::Linked) ::unlink(tmp_.c_str());
    tmp_.clear();
  }
  return named;
}

std::optional<std::string> StagedFile::publish(const std::string& path) {
  Naming named = claim(path, true);
  discard();
  if (named.result != NameResult::Linked && named.result != NameResult::Moved) return std::nullopt;
  return std::move(named.name);
}

bool StagedFile::publishExactly(const std::string& path) {
  const NameResult named = claim(path, false).result;
  discard();
  return named == NameResult::Linked || named == NameResult::Moved;
}

bool StagedFile::replace(const std::string& path) {
  const bool done = !unnamed_ && !tmp_.empty() && !broken_ && (flushed_ || flush()) && ::rename(tmp_.c_str(), path.c_str()) == 0;
  if (done) tmp_.clear();
  discard();
  return done;
}

void StagedFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tmp_.empty()) ::unlink(tmp_.c_str());
  tmp_.clear();
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : tmp_(std::exchange(other.tmp_, {})),
      fd_(std::exchange(other.fd_, -1)),
      unnamed_(other.unnamed_),
      deferred_(other.deferred_),
      flushed_(other.flushed_),
      broken_(other.broken_) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
  if (this != &other) {
    discard();
    tmp_ = std::exchange(other.tmp_, {});
    fd_ = std::exchange(other.fd_, -1);
    unnamed_ = other.unnamed_;
    deferred_ = other.deferred_;
    flushed_ = other.flushed_;
    broken_ = other.broken_;
  }
  return *this;
}

bool writeNewFile(const std::string& path, SaveBytes bytes) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return false;  // spares writing a file that cannot be named
  std::optional<StagedFile> file = StagedFile::stage(path, bytes);
  return file && file->publishExactly(path);
}

std::optional<std::string> saveUnique(const std::string& path, SaveBytes bytes, FolderSync* deferred) {
  std::optional<StagedFile> file = StagedFile::stage(path, bytes, deferred);
  if (!file) return std::nullopt;
  return file->publish(path);
}

bool appendFile(const std::string& from, StagedFile& to) {
  const int in = openRegularFile(from).fd;
  if (in < 0) return false;
  std::vector<std::uint8_t> buf(1 << 16);
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (!to.write({buf.data(), static_cast<std::size_t>(n)})) {
      ok = false;
      break;
    }
  }
  const int err = errno;
  ::close(in);
  errno = err;
  return ok;
}

}  // namespace lh
