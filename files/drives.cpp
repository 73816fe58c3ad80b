#include "files/drives.h"

#include "files/paths.h"

namespace lh {

std::optional<DriveInfo> driveOf(const DriveService& service, std::string_view path) {
  std::optional<DriveInfo> best;
  for (auto& drive : service.drives())
    if (liesIn(path, drive.root) && (!best || drive.root.size() > best->root.size()))
      best = std::move(drive);
  return best;
}

}  // namespace lh
