#include "platform/qt_drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace lh {
namespace {

TEST(QtDrives, ListsTheRootFolderOnceAndInOrder) {
  const std::vector<DriveInfo> drives = QtDrives().drives();
  const auto root =
      std::find_if(drives.begin(), drives.end(), [](const DriveInfo& d) { return d.root == "/"; });
  ASSERT_NE(root, drives.end());
  // Whatever else is mounted, the system's own disk is neither a medium nor a share.
  EXPECT_EQ(root->kind, DriveKind::Fixed) << root->device << " " << root->fileSystem;
  EXPECT_TRUE(root->ready);
  EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end(),
                             [](const DriveInfo& a, const DriveInfo& b) { return a.root < b.root; }));
  std::set<std::string> roots;
  for (const DriveInfo& d : drives) {
    EXPECT_TRUE(roots.insert(d.root).second) << d.root;
    EXPECT_FALSE(d.root.starts_with("/proc") || d.root.starts_with("/sys")) << d.root;
    EXPECT_NE(d.fileSystem, "tmpfs") << d.root;
  }
}

TEST(QtDrives, AFailedLabelComesBackWithText) {
  // Whether or not this machine has a system bus and UDisks2, a device that does not exist
  // cannot be named, and the failure must say something.
  QtDrives service;
  DriveInfo gone;
  gone.root = "/media/lh-no-such-stick";
  gone.device = "/dev/lh-no-such-device";
  gone.fileSystem = "vfat";
  gone.kind = DriveKind::Removable;
  EXPECT_FALSE(service.setLabel(gone, "DESIGNS").empty());

  DriveInfo share;
  share.root = "/mnt/nas";
  share.device = "nas:/export";
  share.kind = DriveKind::Network;
  EXPECT_FALSE(service.setLabel(share, "DESIGNS").empty());
}

}  // namespace
}  // namespace lh
