#include "browser/core/folder_checks.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/fake_drives.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

DriveInfo drive(std::string root, DriveKind kind) {
  DriveInfo d;
  d.root = std::move(root);
  d.kind = kind;
  return d;
}

TEST(LargeDrive, AskedForTheRootAndFixedMountPoints) {
  const test::FakeDrives drives({drive("/", DriveKind::Fixed), drive("/data", DriveKind::Fixed),
                                 drive("/media/ann/STICK", DriveKind::Removable),
                                 drive("/media/ann/CD", DriveKind::Optical),
                                 drive("/mnt/nas", DriveKind::Network)});
  struct Case {
    const char* folder;
    bool asked;
  };
  const Case cases[] = {
      {"/", true},
      {"//", true},
      {"/data", true},
      {"/data/", true},
      {"/mnt/nas", true},
      {"/data/designs", false},
      {"/home", false},
      {"/media/ann/STICK", false},
      {"/media/ann/CD/", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isLargeDrive(c.folder, drives), c.asked) << c.folder;
  EXPECT_TRUE(isLargeDrive("/", test::FakeDrives()));
  EXPECT_EQ(folder_text::kLargeDriveQuestion,
            "You have selected a large drive to view.\n"
            "Are you sure that you want to view the entire contents of this drive?");
  EXPECT_EQ(folder_text::kLargeDriveCaption, "Large Drive Selected");
}

TEST(FolderPicker, ChecksInOrderWithTheirTexts) {
  test::TempDir dir;
  fs::create_directory(dir.path() / "designs");
  std::ofstream(dir.path() / "notes.txt") << "x";
  fs::create_directory_symlink(dir.path() / "designs", dir.path() / "linked");
  const std::string d = dir.path().string();
  struct Case {
    std::string typed;
    FolderVerdict verdict;
    std::string path;
    std::string message;
  };
  const Case cases[] = {
      {"/", FolderVerdict::Ok, "/", ""},
      {d + "/designs/", FolderVerdict::Ok, d + "/designs", ""},
      {d + "/designs//", FolderVerdict::Ok, d + "/designs", ""},
      {d + "/linked", FolderVerdict::Ok, d + "/linked", ""},
      {"", FolderVerdict::Refused, "", "\nThis is not a valid folder."},
      {"designs", FolderVerdict::Refused, "designs", "designs\nThis is not a valid folder."},
      {d + "/notes.txt", FolderVerdict::Refused, d + "/notes.txt",
       d + "/notes.txt\nThis is a file not a directory."},
      {d + "/notes.txt/", FolderVerdict::Refused, d + "/notes.txt",
       d + "/notes.txt\nThis is a file not a directory."},
      {d + "/notes.txt/new", FolderVerdict::Refused, d + "/notes.txt/new",
       d + "/notes.txt/new\nThis is not a valid folder."},
      {d + "/new/", FolderVerdict::AskToCreate, d + "/new",
       d + "/new\nThis folder does not exist.\n\nDo you want to create it?"},
      {d + "/new/deeper", FolderVerdict::AskToCreate, d + "/new/deeper",
       d + "/new/deeper\nThis folder does not exist.\n\nDo you want to create it?"},
  };
  for (const Case& c : cases) {
    const FolderCheck check = checkTypedFolder(c.typed);
    EXPECT_EQ(check.verdict, c.verdict) << c.typed;
    EXPECT_EQ(check.path, c.path) << c.typed;
    EXPECT_EQ(check.message, c.message) << c.typed;
  }
  EXPECT_FALSE(fs::exists(dir.path() / "new"));  // checking never creates
}

TEST(FolderPicker, CreatesMissingFoldersOnYes) {
  test::TempDir dir;
  const test::FakeDrives drives({drive("/", DriveKind::Fixed)});
  EXPECT_EQ(createFolder(dir.file("new/deeper"), drives), "");
  EXPECT_TRUE(fs::is_directory(dir.path() / "new" / "deeper"));
  EXPECT_EQ(createFolder(dir.file("new/deeper"), drives), "");  // made meanwhile: fine
}

TEST(FolderPicker, AFailedCreateSaysWhyByTheKindOfDrive) {
  // Nothing can create a folder in /proc, not even root (who ignores permissions), so the
  // creation fails for every user; a fake drive mounted there gives it each kind in turn.
  const std::string mount = "/proc";
  const std::string target = mount + "/lh-no-such-folder/deeper";
  struct Case {
    DriveKind kind;
    const char* message;
  };
  const Case cases[] = {
      {DriveKind::Removable, "You cannot create this folder.\nThe medium may be write-protected."},
      {DriveKind::Network, "You do not have permission to create\nthis folder on the network."},
      {DriveKind::Optical, "You cannot create this folder\nas the CD ROM medium is read-only."},
      {DriveKind::Fixed, "You do not have permission\nto create this folder."},
  };
  for (const Case& c : cases) {
    // The drive holding the nearest existing folder decides, not "/" above it.
    const test::FakeDrives drives({drive("/", DriveKind::Fixed), drive(mount, c.kind)});
    EXPECT_EQ(checkTypedFolder(target).verdict, FolderVerdict::AskToCreate);
    EXPECT_EQ(createFolder(target, drives), c.message);
  }
  EXPECT_EQ(createFolder(target, test::FakeDrives()), "You do not have permission\nto create this folder.");
}

}  // namespace
}  // namespace lh
