#include "browser/app/crash_guard.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "browser/app/frame_settings.h"

namespace lh {
namespace {

constexpr std::size_t kMaxRecord = 64 * 1024;

void rewrite(int fd, std::string_view text) {
  if (fd < 0) return;
  // A short write leaves a shorter name, which is still the best there is to report.
  if (::pwrite(fd, text.data(), text.size(), 0) < 0) return;
  [[maybe_unused]] const int cut = ::ftruncate(fd, static_cast<off_t>(text.size()));
}

}  // namespace

CrashGuard::CrashGuard(std::string path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
}

CrashGuard::~CrashGuard() {
  if (fd_ >= 0) ::close(fd_);
}

void CrashGuard::reading(std::string_view location) {
  const std::lock_guard lock(mutex_);
  if (!finished_) rewrite(fd_, location.substr(0, kMaxRecord));
}

void CrashGuard::finish() {
  const std::lock_guard lock(mutex_);
  finished_ = true;
  rewrite(fd_, {});
}

std::string CrashGuard::takeLeftOver(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return {};
  std::string text(kMaxRecord, '\0');
  const ssize_t got = ::pread(fd, text.data(), text.size(), 0);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  rewrite(fd, {});
  ::close(fd);
  return text;
}

void adoptLeftOver(SettingsStore& store, const std::string& path) {
  const std::string left = CrashGuard::takeLeftOver(path);
  if (!left.empty()) store.setString("Settings", kLastFileKey, left);
}

}  // namespace lh
