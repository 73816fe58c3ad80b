#include "platform/drive_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/zip/temp_dir.h"

namespace lh::drive_rules {
namespace {

namespace fs = std::filesystem;

TEST(DriveRules, KindFromFileSystemAndRemovableFlag) {
  struct Case {
    const char* fileSystem;
    bool removable;
    DriveKind kind;
  };
  const Case cases[] = {
      {"ext4", false, DriveKind::Fixed},
      {"vfat", true, DriveKind::Removable},
      {"exfat", true, DriveKind::Removable},
      {"iso9660", true, DriveKind::Optical},
      {"udf", false, DriveKind::Optical},
      {"nfs", false, DriveKind::Network},
      {"nfs4", false, DriveKind::Network},
      {"cifs", false, DriveKind::Network},
      {"smb3", false, DriveKind::Network},
      {"fuse.sshfs", false, DriveKind::Network},
      {"sshfs", false, DriveKind::Network},
      {"fuseblk", false, DriveKind::Fixed},
      {"fuse.gvfsd-fuse", false, DriveKind::Fixed},
  };
  for (const Case& c : cases) EXPECT_EQ(driveKind(c.fileSystem, c.removable), c.kind) << c.fileSystem;
}

TEST(DriveRules, UserVolumesAreDisksMediaAndShares) {
  struct Case {
    const char* root;
    const char* device;
    const char* fileSystem;
    bool shown;
  };
  const Case cases[] = {
      {"/", "/dev/sda2", "ext4", true},
      {"/", "overlay", "overlay", true},  // a container's root is still the user's disk
      {"/home", "/dev/sda3", "btrfs", true},
      {"/media/ann/STICK", "/dev/sdb1", "vfat", true},
      {"/run/media/ann/CD", "/dev/sr0", "iso9660", true},
      {"/mnt/nas", "nas:/export", "nfs4", true},
      {"/mnt/share", "//nas/share", "cifs", true},
      {"/home/ann/remote", "ann@host:", "fuse.sshfs", true},
      {"/proc", "proc", "proc", false},
      {"/sys", "sysfs", "sysfs", false},
      {"/sys/fs/cgroup/cpu", "cgroup", "cgroup", false},
      {"/dev", "udev", "devtmpfs", false},
      {"/dev/shm", "tmpfs", "tmpfs", false},
      {"/tmp", "tmpfs", "tmpfs", false},
      {"/run/user/1000", "tmpfs", "tmpfs", false},
      {"/var/lib/docker/overlay2/x/merged", "overlay", "overlay", false},
      {"/snap/core/1", "/dev/loop3", "squashfs", false},
      {"/run/user/1000/gvfs", "gvfsd-fuse", "fuse.gvfsd-fuse", false},
      {"/devices", "/dev/sdc1", "ext4", true},  // only the folder /dev itself is the system's
  };
  for (const Case& c : cases) EXPECT_EQ(isUserVolume(c.root, c.device, c.fileSystem), c.shown) << c.root;
}

TEST(DriveRules, UdisksObjectPathsEscapeNames) {
  EXPECT_EQ(udisksBlockPath("sdb1"), "/org/freedesktop/UDisks2/block_devices/sdb1");
  EXPECT_EQ(udisksBlockPath("dm-0"), "/org/freedesktop/UDisks2/block_devices/dm_2d0");
  EXPECT_EQ(udisksBlockPath("a_b.c"), "/org/freedesktop/UDisks2/block_devices/a_b_2ec");
}

// A sysfs tree as the kernel lays it out: each disk's folder holds its partitions' folders,
// and /sys/class/block and /sys/block hold links to them.
class FakeSys : public ::testing::Test {
 protected:
  void disk(const std::string& name, bool removable, std::initializer_list<std::string> partitions) {
    const fs::path folder = dir_.path() / "devices" / "bus" / "block" / name;
    fs::create_directories(folder);
    std::ofstream(folder / "removable") << (removable ? "1\n" : "0\n");
    link("block/" + name, "../devices/bus/block/" + name);
    link("class/block/" + name, "../../devices/bus/block/" + name);
    for (const std::string& p : partitions) {
      fs::create_directories(folder / p);
      std::ofstream(folder / p / "partition") << "1\n";
      link("class/block/" + p, "../../devices/bus/block/" + name + "/" + p);
    }
  }
  // A mapped device (dm-N) stacked on `below`.
  void mapped(const std::string& name, const std::string& below) {
    disk(name, false, {});
    fs::create_directories(sys() / "block" / name / "slaves" / below);
  }
  void link(const std::string& at, const std::string& to) {
    fs::create_directories((sys() / at).parent_path());
    fs::create_directory_symlink(to, sys() / at);
  }
  fs::path sys() const { return dir_.path(); }
  // A device node in a fake /dev, reached by `alias` (as /dev/disk/by-uuid/... reaches it).
  std::string deviceAlias(const std::string& node, const std::string& alias) {
    const fs::path dev = dir_.path() / "dev";
    fs::create_directories((dev / alias).parent_path());
    std::ofstream(dev / node).put('\n');
    fs::create_symlink(dev / node, dev / alias);
    return (dev / alias).string();
  }

  test::TempDir dir_;
};

TEST_F(FakeSys, DevicesLeadToTheirDisk) {
  disk("sda", false, {"sda1", "sda2"});
  disk("sdb", true, {"sdb1"});
  disk("mmcblk0", true, {"mmcblk0p1"});
  disk("nvme0n1", false, {"nvme0n1p2"});
  disk("sr0", true, {});
  mapped("dm-0", "sdb1");
  mapped("dm-1", "sda2");
  mapped("dm-2", "dm-0");  // a volume inside an encrypted stick

  struct Case {
    std::string device;
    const char* disk;
    bool removable;
  };
  const Case cases[] = {
      {"/dev/sda1", "sda", false},
      {"/dev/sdb1", "sdb", true},
      {"/dev/sdb", "sdb", true},
      {"/dev/mmcblk0p1", "mmcblk0", true},
      {"/dev/nvme0n1p2", "nvme0n1", false},
      {"/dev/sr0", "sr0", true},
      {deviceAlias("sdb1", "disk/by-uuid/1234-ABCD"), "sdb", true},
      {deviceAlias("dm-0", "mapper/luks-stick"), "dm-0", true},
      {"/dev/dm-1", "dm-1", false},
      {"/dev/dm-2", "dm-2", true},
      {"/dev/sdz9", "", false},  // unknown to the kernel
      {"overlay", "", false},
      {"", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parentDisk(c.device, sys()), c.disk) << c.device;
    EXPECT_EQ(isRemovableDevice(c.device, sys()), c.removable) << c.device;
  }
}

TEST_F(FakeSys, MappedDevicesThatLoopStop) {
  mapped("dm-0", "dm-1");
  mapped("dm-1", "dm-0");
  EXPECT_FALSE(isRemovableDevice("/dev/dm-0", sys()));
}

}  // namespace
}  // namespace lh::drive_rules
