#include "platform/drive_rules.h"

#include <array>
#include <fstream>

#include "files/paths.h"

namespace lh::drive_rules {

namespace fs = std::filesystem;

namespace {

// Mapped devices stack on others (a LUKS volume on an LVM volume on a stick); a few levels
// cover real setups and stop a malformed tree from looping.
constexpr int kMaxStackDepth = 8;

bool isOneOf(std::string_view value, const auto& names) {
  for (std::string_view n : names)
    if (value == n) return true;
  return false;
}

std::string parentDiskOfName(const std::string& name, const fs::path& sysRoot) {
  std::error_code ec;
  const fs::path entry = sysRoot / "class" / "block" / name;
  if (name.empty() || name == "." || name == ".." || !fs::exists(entry, ec)) return {};
  if (!fs::exists(entry / "partition", ec)) return name;
  // A partition's sysfs folder lies inside its disk's folder.
  const fs::path disk = fs::canonical(entry / "..", ec);
  return ec ? std::string() : disk.filename().string();
}

bool diskIsRemovable(const std::string& disk, const fs::path& sysRoot, int depth) {
  const fs::path folder = sysRoot / "block" / disk;
  char flag = '0';
  std::ifstream(folder / "removable") >> flag;
  if (flag == '1') return true;
  if (depth >= kMaxStackDepth) return false;
  std::error_code ec;
  for (const auto& slave : fs::directory_iterator(folder / "slaves", ec)) {
    const std::string below = parentDiskOfName(slave.path().filename().string(), sysRoot);
    if (!below.empty() && diskIsRemovable(below, sysRoot, depth + 1)) return true;
  }
  return false;
}

}  // namespace

bool isNetworkFileSystem(std::string_view fileSystem) {
  static constexpr std::array<std::string_view, 17> kNetwork = {
      "nfs",         "nfs4", "cifs",  "smb3",        "smbfs",          "sshfs",
      "fuse.sshfs",  "afs",  "ceph",  "glusterfs",   "fuse.glusterfs", "davfs",
      "fuse.davfs2", "9p",   "ncpfs", "fuse.rclone", "fuse.s3fs"};
  return isOneOf(fileSystem, kNetwork);
}

DriveKind driveKind(std::string_view fileSystem, bool removable) {
  if (isNetworkFileSystem(fileSystem)) return DriveKind::Network;
  if (fileSystem == "iso9660" || fileSystem == "udf") return DriveKind::Optical;
  return removable ? DriveKind::Removable : DriveKind::Fixed;
}

bool isUserVolume(std::string_view root, std::string_view device, std::string_view fileSystem) {
  if (root == "/") return true;
  for (std::string_view system : {"/proc", "/sys", "/dev"})
    if (liesIn(root, system)) return false;
  if (isNetworkFileSystem(fileSystem)) return true;
  // Read-only images the system mounts for itself (snaps, live media layers).
  if (fileSystem == "squashfs") return false;
  // Everything else worth showing sits on a block device; tmpfs, overlay, cgroup and the other
  // virtual file systems name no device under /dev.
  return device.starts_with("/dev/");
}

std::string parentDisk(const fs::path& device, const fs::path& sysRoot) {
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(device, ec);
  return parentDiskOfName((ec ? device : resolved).filename().string(), sysRoot);
}

bool isRemovableDevice(const fs::path& device, const fs::path& sysRoot) {
  const std::string disk = parentDisk(device, sysRoot);
  return !disk.empty() && diskIsRemovable(disk, sysRoot, 0);
}

std::string udisksBlockPath(std::string_view name) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string path = "/org/freedesktop/UDisks2/block_devices/";
  for (unsigned char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (plain) {
      path += static_cast<char>(c);
    } else {
      path += '_';
      path += kHex[c >> 4];
      path += kHex[c & 0xF];
    }
  }
  return path;
}

}  // namespace lh::drive_rules
