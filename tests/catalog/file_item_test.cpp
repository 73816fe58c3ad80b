#include "catalog/file_item.h"

#include <gtest/gtest.h>

#include "files/drives.h"
#include "tests/support/fake_drives.h"

namespace lh {
namespace {

struct TextCase {
  const char* text;
  const char* archive;
  const char* folder;
  const char* name;
  const char* extra;
};

TEST(FileItemTest, TextFormsParseAndBuildBack) {
  const TextCase cases[] = {
      {"/home/ann/Designs/rose.pes", "", "/home/ann/Designs/", "rose.pes", ""},
      {"/media/ann/SPRING/tulip.pes\tSPRING", "", "/media/ann/SPRING/", "tulip.pes", "SPRING"},
      {"Zip:/d/x/y.zip:sub/z.pes", "/d/x/y.zip", "sub/", "z.pes", ""},
      {"Zip:/d/x/y.zip:z.pes\tDISK1", "/d/x/y.zip", "", "z.pes", "DISK1"},
      // A colon inside the member name stays in the member.
      {"Zip:/d/y.zip:a:b.pes", "/d/y.zip", "", "a:b.pes", ""},
      {"rose.pes", "", "", "rose.pes", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const FileItem item = parseItemText(c.text);
    EXPECT_EQ(item.archive, c.archive);
    EXPECT_EQ(item.folder, c.folder);
    EXPECT_EQ(item.name, c.name);
    EXPECT_EQ(item.extra, c.extra);
    EXPECT_EQ(itemText(item), c.text);
  }
}

TEST(FileItemTest, LocationLeavesTheDiskNameOut) {
  EXPECT_EQ(parseItemText("Zip:/d/y.zip:sub/z.pes\tX").location(), "Zip:/d/y.zip:sub/z.pes");
  EXPECT_EQ(parseItemText("/m/S/tulip.pes\tS").location(), "/m/S/tulip.pes");
}

TEST(FileItemTest, ExtensionsAndTheirReplacement) {
  FileItem item = parseItemText("/a/rose.tar.PES");
  EXPECT_EQ(item.extension(), "PES");
  EXPECT_EQ(item.nameWithExtension("dst"), "rose.tar.dst");
  EXPECT_EQ(item.nameWithExtension(".dst"), "rose.tar.dst");
  EXPECT_EQ(parseItemText("/a/rose").nameWithExtension("pes"), "rose.pes");
  EXPECT_TRUE(sameExtension("PES", "pes"));
  EXPECT_FALSE(sameExtension("pes", "pe"));
}

TEST(FileItemTest, SameTextAndSameFile) {
  const FileItem plain = parseItemText("/m/S/tulip.pes");
  const FileItem named = parseItemText("/m/S/tulip.pes\tSPRING");
  const FileItem member = parseItemText("Zip:/m/S/tulip.pes:tulip.pes");
  EXPECT_TRUE(sameFile(plain, named));
  EXPECT_FALSE(sameText(plain, named));
  EXPECT_FALSE(sameFile(plain, member));
  EXPECT_FALSE(sameFile(plain, parseItemText("/m/S/Tulip.pes")));
}

TEST(DrivesTest, TheLongestMountRootHoldsAPath) {
  auto drive = [](const char* root) {
    DriveInfo d;
    d.root = root;
    return d;
  };
  test::FakeDrives drives({drive("/"), drive("/media/ann/STICK"), drive("/media/ann/ST")});
  EXPECT_EQ(driveOf(drives, "/media/ann/STICK/a.pes")->root, "/media/ann/STICK");
  EXPECT_EQ(driveOf(drives, "/media/ann/STICKY/a.pes")->root, "/");
  EXPECT_EQ(driveOf(drives, "/media/ann/STICK")->root, "/media/ann/STICK");
  EXPECT_FALSE(driveOf(drives, "relative/a.pes").has_value());
}

}  // namespace
}  // namespace lh
