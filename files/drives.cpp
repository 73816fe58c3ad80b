#include "files/drives.h"

namespace lh {

namespace {

bool holds(std::string_view root, std::string_view path) {
  if (root == "/") return !path.empty() && path.front() == '/';
  if (path.size() < root.size() || path.substr(0, root.size()) != root) return false;
  return path.size() == root.size() || path[root.size()] == '/';
}

}  // namespace

std::optional<DriveInfo> driveOf(const DriveService& service, std::string_view path) {
  std::optional<DriveInfo> best;
  for (auto& drive : service.drives())
    if (holds(drive.root, path) && (!best || drive.root.size() > best->root.size()))
      best = std::move(drive);
  return best;
}

}  // namespace lh
