#include "files/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <utility>

namespace lh {

namespace {

// Names tried before giving up: temporary names (each try a fresh random one) and "(n)"
// names (a folder with that many copies is broken).
constexpr int kTemporaryTries = 100;
constexpr int kMaxNames = 100000;

// A hidden name no other save of this process uses; other processes may pick the same one,
// which the exclusive create notices, and the caller tries another.
std::string temporaryName() {
  static const std::uint64_t seed =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(::getpid()) << 40);
  static std::atomic<std::uint64_t> counter{0};
  // splitmix64 over seed and counter: names that neither repeat nor follow one another.
  std::uint64_t x = seed + (counter.fetch_add(1) + 1) * 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  char name[32];
  std::snprintf(name, sizeof name, ".lh-%016llx", static_cast<unsigned long long>(x));
  return name;
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
  Naming named{NameResult::Failed, to};
  for (int i = 0; i < kMaxNames; ++i) {
    named.result = nameWithoutReplacing(from, named.name);
    if (named.result != NameResult::Taken) return named;
    named.name = nextUniqueName(named.name);
  }
  named.result = NameResult::Failed;
  return named;
}

std::optional<StagedFile> StagedFile::create(const std::string& target, std::optional<mode_t> mode) {
  const std::string folder = folderOf(target) + "/";
  for (int i = 0; i < kTemporaryTries; ++i) {
    std::string tmp = folder + temporaryName();
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return std::nullopt;
    StagedFile file(std::move(tmp), fd);
    if (mode && ::fchmod(fd, *mode) != 0) return std::nullopt;  // the file is removed on the way out
    return file;
  }
  return std::nullopt;
}

std::optional<StagedFile> StagedFile::stage(const std::string& target, SaveBytes bytes) {
  std::optional<StagedFile> file = create(target);
  if (file && !(file->write(bytes) && file->flush())) file.reset();
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
  flushed_ = false;  // whoever changes the file through its name changes what must be flushed
  const int fd = fd_;
  fd_ = -1;
  return fd < 0 || ::close(fd) == 0;
}

bool StagedFile::flush() {
  if (tmp_.empty()) return false;
  if (fd_ < 0) fd_ = ::open(tmp_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  const bool synced = ::fsync(fd_) == 0;
  flushed_ = close() && synced;
  return flushed_;
}

Naming StagedFile::claim(const std::string& path, bool firstFree) {
  if (tmp_.empty() || broken_ || !(flushed_ || flush())) return {};
  Naming named = firstFree ? nameFirstFree(tmp_, path) : Naming{nameWithoutReplacing(tmp_, path), path};
  if (named.result == NameResult::Linked) ::unlink(tmp_.c_str());
  if (named.result == NameResult::Linked || named.result == NameResult::Moved) tmp_.clear();
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
  const bool done = !tmp_.empty() && !broken_ && (flushed_ || flush()) && ::rename(tmp_.c_str(), path.c_str()) == 0;
  if (done) tmp_.clear();
  discard();
  return done;
}

void StagedFile::discard() {
  close();
  if (!tmp_.empty()) ::unlink(tmp_.c_str());
  tmp_.clear();
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : tmp_(std::exchange(other.tmp_, {})),
      fd_(std::exchange(other.fd_, -1)),
      flushed_(other.flushed_),
      broken_(other.broken_) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
  if (this != &other) {
    discard();
    tmp_ = std::exchange(other.tmp_, {});
    fd_ = std::exchange(other.fd_, -1);
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

std::optional<std::string> saveUnique(const std::string& path, SaveBytes bytes) {
  std::optional<StagedFile> file = StagedFile::stage(path, bytes);
  if (!file) return std::nullopt;
  return file->publish(path);
}

}  // namespace lh
