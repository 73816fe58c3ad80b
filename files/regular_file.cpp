#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lh {

OpenedFile openRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {-1, errno == ENOENT || errno == ENOTDIR ? OpenCheck::Missing : OpenCheck::Unreadable};
  struct stat st {};
  const bool statted = ::fstat(fd, &st) == 0;
  if (!statted || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return {-1, statted ? OpenCheck::NotRegular : OpenCheck::Unreadable};
  }
  // Reads of a regular file wait for the disk as usual.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return {fd, OpenCheck::Regular};
}

OpenCheck checkRegularFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? OpenCheck::Missing : OpenCheck::Unreadable;
  if (!S_ISREG(st.st_mode)) return OpenCheck::NotRegular;
  return ::access(path.c_str(), R_OK) == 0 ? OpenCheck::Regular : OpenCheck::Unreadable;
}

std::string_view openCheckText(OpenCheck check) {
  switch (check) {
    case OpenCheck::Regular:
      return {};
    case OpenCheck::Missing:
      return "no such file";
    case OpenCheck::NotRegular:
      return "not a regular file";
    case OpenCheck::Unreadable:
      break;
  }
  return "cannot be read";
}

}  // namespace lh
