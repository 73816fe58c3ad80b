#include "browser/core/folder_names.h"

#include <sys/stat.h>

#include <cerrno>

#include "browser/core/folder_listing.h"

namespace lh {

namespace {

// Candidate `n` of the sequence: 1 is the name itself.
std::string candidate(std::string_view name, int n) {
  if (n == 1) return std::string(name);
  // The number first: a name may itself hold "%i".
  return texts::pathText(texts::countText(texts::kNumberedFolder, static_cast<std::size_t>(n)), name);
}

bool taken(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

}  // namespace

std::string newFolderName(std::string_view parent, std::string_view name) {
  const std::string folder = withTrailingSlash(parent);
  for (int n = 1; n <= kMaxFolderNumber; ++n) {
    std::string c = candidate(name, n);
    if (!taken(folder + c)) return c;
  }
  return {};
}

std::optional<std::string> createNewFolder(std::string_view parent, std::string_view name) {
  const std::string folder = withTrailingSlash(parent);
  // mkdir never replaces: a name taken meanwhile moves on to the next one.
  for (int n = 1; n <= kMaxFolderNumber; ++n) {
    std::string path = folder + candidate(name, n);
    if (::mkdir(path.c_str(), 0777) == 0) return path;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace lh
