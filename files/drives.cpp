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

std::optional<std::string> diskNameOf(const DriveService& drives, std::string_view path) {
  const std::optional<DriveInfo> drive = driveOf(drives, path);
  if (!drive || !carriesDiskName(drive->kind)) return std::nullopt;
  return drive->label;
}

}  // namespace lh
