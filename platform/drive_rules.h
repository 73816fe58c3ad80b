#pragma once
// The parts of listing drives that need neither Qt nor a running system: which mounts count as
// drives, what kind each is, and how a block device leads to the disk the kernel reports as
// removable. The sysfs root is a parameter so tests can build a fake tree.
#include <filesystem>
#include <string>
#include <string_view>

#include "files/drives.h"

namespace lh::drive_rules {

// Shares reached over a network: NFS, SMB/CIFS, sshfs and the like.
bool isNetworkFileSystem(std::string_view fileSystem);

// Network shares first (whatever their device), then CDs and DVDs by their file system, then
// removable disks; everything else is fixed.
DriveKind driveKind(std::string_view fileSystem, bool removable);

// Whether a mount is one of the user's disks, media or shares rather than the system's own
// plumbing (proc, sysfs, cgroups, tmpfs, container layers, snap images). "/" always counts.
bool isUserVolume(std::string_view root, std::string_view device, std::string_view fileSystem);

// The whole disk holding a block device: "sdb" for /dev/sdb1, "mmcblk0" for /dev/mmcblk0p1,
// "sdb" for /dev/sdb; links such as /dev/disk/by-uuid/... or /dev/mapper/... are followed
// first. "" when `sysRoot` knows no block device of that name.
std::string parentDisk(const std::filesystem::path& device, const std::filesystem::path& sysRoot);

// True when the disk holding `device` is removable, or, for a mapped device (an encrypted or
// LVM volume), when a disk beneath it is.
bool isRemovableDevice(const std::filesystem::path& device, const std::filesystem::path& sysRoot);

// The UDisks2 object path of a block device named `name` ("sdb1", "dm-0"): characters other
// than letters, digits and '_' are written as '_' and two hex digits.
std::string udisksBlockPath(std::string_view name);

}  // namespace lh::drive_rules
