#include "files/paths.h"

namespace lh {

std::string withoutTrailingSlash(std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  return std::string(folder);
}

std::string withTrailingSlash(std::string_view folder) {
  std::string out(folder);
  if (out.empty() || out.back() != '/') out += '/';
  return out;
}

bool liesIn(std::string_view path, std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  if (folder.empty() || path.substr(0, folder.size()) != folder) return false;
  return path.size() == folder.size() || folder == "/" || path[folder.size()] == '/';
}

}  // namespace lh
