// What a drag out of the grid hands to other programs, the selection a press makes first,
// the list of files extracted for the browser's own use, and the hint over designs on named
// removable disks and CDs.
#include "browser/view_core/grid_handout.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/browser/browser_fixture.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
using test::bytesOf;
using test::DesignFolder;
using test::fileItem;

FileList listOf(std::size_t n) {
  FileList list;
  for (std::size_t i = 0; i < n; ++i) list.append(fileItem("/d/", "f" + std::to_string(i) + ".pes"));
  return list;
}

TEST(GridHandOut, PressSelectsOnlyWhenNothingOrNotTheItemIsSelected) {
  const struct {
    std::vector<std::size_t> before;
    std::size_t pressed;
    bool ctrl, shift;
    bool handled;
    std::vector<std::size_t> after;
  } cases[] = {
      {{}, 2, false, false, true, {2}},            // nothing selected: selected alone
      {{0, 1}, 3, false, false, true, {3}},        // another item: a plain click's rule
      {{0}, 3, true, false, true, {0, 3}},         // Ctrl adds it
      {{1}, 3, false, true, true, {1, 2, 3}},      // Shift selects the range from the anchor
      {{1, 3}, 3, false, false, false, {1, 3}},    // already selected: the drag takes all
      {{1, 3}, 3, true, false, false, {1, 3}},     // Ctrl on a selected item waits for the release
  };
  for (const auto& c : cases) {
    FileList list = listOf(5);
    for (std::size_t i : c.before) list.ctrlClick(i);
    EXPECT_EQ(selectForPress(list, c.pressed, c.ctrl, c.shift), c.handled) << c.pressed;
    EXPECT_EQ(list.selectedIndexes(), c.after) << c.pressed;
  }
  FileList list = listOf(2);
  EXPECT_FALSE(selectForPress(list, 7, false, false));
  EXPECT_EQ(list.selectionCount(), 0u);
}

TEST(GridHandOut, MembersAreExtractedPlainFilesHandedAsTheyAreMissingOnesLeftOut) {
  DesignFolder d;
  const std::string plain = d.add("rose.pes");
  const std::string zip = d.addZip("set.zip", {"designs/tulip.pes", "lily.pes"});
  fs::create_directory(d.path() / "out");
  const std::string out = d.file("out");
  d.write("out/lily.pes", bytesOf("someone else's"));  // never overwritten

  const std::vector<FileItem> selected = {fileItem(d.folder(), "rose.pes"), fileItem("designs/", "tulip.pes", zip),
                                          fileItem(d.folder(), "gone.pes"), fileItem("", "lily.pes", zip),
                                          fileItem("", "none.pes", zip)};
  const std::vector<HandOutFile> plan = handOutPlan(selected);
  ASSERT_EQ(plan.size(), 5u);
  EXPECT_EQ(plan[0], (HandOutFile{plain, false}));
  EXPECT_EQ(plan[1], (HandOutFile{"Zip:" + zip + ":designs/tulip.pes", true}));

  ExtractedFiles extracted;
  const std::vector<std::string> files = handOutFiles(plan, out, extracted);
  const std::vector<std::string> expected = {plain, out + "/tulip.pes", out + "/lily(2).pes"};
  EXPECT_EQ(files, expected);
  EXPECT_EQ(d.read("out/tulip.pes"), bytesOf("designs/tulip.pes"));
  EXPECT_EQ(d.read("out/lily.pes"), bytesOf("someone else's"));
  EXPECT_EQ(extracted.paths(), (std::vector<std::string>{out + "/tulip.pes", out + "/lily(2).pes"}));

  // A second drag reuses the copies while they last.
  EXPECT_EQ(handOutFiles(plan, out, extracted), expected);
  fs::remove(out + "/tulip.pes");
  EXPECT_EQ(handOutFiles({plan[1]}, out, extracted), (std::vector<std::string>{out + "/tulip.pes"}));

  // At close only the listed files go.
  EXPECT_EQ(extracted.removeAll(), 2u);
  EXPECT_FALSE(fs::exists(out + "/tulip.pes"));
  EXPECT_FALSE(fs::exists(out + "/lily(2).pes"));
  EXPECT_TRUE(fs::exists(out + "/lily.pes"));
  EXPECT_TRUE(fs::exists(plain));
  EXPECT_TRUE(extracted.paths().empty());
}

TEST(GridHandOut, DiskHintsForRemovableDisksAndCds) {
  FileItem onDisk = fileItem("/media/u/STICK/", "rose.pes");
  onDisk.extra = "STICK";
  FileItem inZip = fileItem("", "rose.pes", "/media/u/CD1/set.zip");
  inZip.extra = "CD1";
  const struct {
    const FileItem* item;
    std::optional<DriveKind> drive;
    std::string hint;
  } cases[] = {
      {&onDisk, DriveKind::Removable, "/media/u/STICK/rose.pes can be found on disk 'STICK'."},
      {&onDisk, std::nullopt, "/media/u/STICK/rose.pes can be found on disk 'STICK'."},
      {&onDisk, DriveKind::Fixed, "/media/u/STICK/rose.pes can be found on disk 'STICK'."},  // not inserted
      {&inZip, DriveKind::Optical, "Zip:/media/u/CD1/set.zip:rose.pes can be found on CD-ROM 'CD1'."},
  };
  for (const auto& c : cases) EXPECT_EQ(diskHint(*c.item, c.drive), c.hint);
  EXPECT_EQ(diskHint(fileItem("/home/u/", "rose.pes"), DriveKind::Removable), "");
}

}  // namespace
}  // namespace lh
