#pragma once
// The mounted drives (mount points) as the catalog and the file list see them. The programs
// supply a service over the system's mount table; tests supply a fake.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

enum class DriveKind { Fixed, Removable, Optical, Network };

struct DriveInfo {
  std::string root;        // the mount point, without a trailing '/' (except "/")
  std::string device;      // the block device, when there is one
  std::string fileSystem;  // "ext4", "vfat", "iso9660", ...
  std::string label;       // the volume label; empty when the medium has none
  DriveKind kind = DriveKind::Fixed;
  bool ready = true;       // a medium is present and readable
  bool readOnly = false;
};

class DriveService {
 public:
  virtual ~DriveService() = default;
  // Every mounted drive, ordered by root.
  virtual std::vector<DriveInfo> drives() const = 0;
  // Gives the drive's medium the volume label `label`; "" on success, otherwise the
  // system's text for the failure.
  virtual std::string setLabel(const DriveInfo& drive, std::string_view label) = 0;
};

// The drive holding `path`: the drive with the longest root that is `path` or a folder above
// it. Nothing when no drive holds it (a relative path).
std::optional<DriveInfo> driveOf(const DriveService& service, std::string_view path);

// The disk name of the drive holding `path`: nothing when the drive carries none (a fixed
// disk, a share, a path no drive holds); an empty name for an unnamed medium.
std::optional<std::string> diskNameOf(const DriveService& drives, std::string_view path);

// Removable and optical media: the drives whose files carry a disk name.
inline bool carriesDiskName(DriveKind kind) {
  return kind == DriveKind::Removable || kind == DriveKind::Optical;
}

// Volume labels are at most 11 characters.
inline constexpr std::size_t kMaxDiskName = 11;

}  // namespace lh
