// Listing folders into the file list, the selection rules of the mouse and the keyboard, and
// the counts.
#include "browser/core/file_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "browser/core/file_list_texts.h"
#include "tests/browser/browser_fixture.h"
#include "tests/support/fake_drives.h"

namespace lh {
namespace {

using test::DesignFolder;
const std::vector<std::string> kPesTxt = {"PES", "TXT"};

std::vector<std::string> namesOf(const FileList& list) {
  std::vector<std::string> out;
  for (const FileItem& item : list.items()) out.push_back(item.name);
  return out;
}

TEST(FileListing, SortsWithoutCaseAndListsViewedArchiveMembers) {
  DesignFolder dir;
  for (const char* n : {"c.txt", "B.pes", "a.PES", "e.dst", ".hidden.pes"}) dir.add(n);
  const std::string zip = dir.addZip("c.ZIP", {"d.pes", "sub/A2.pes", "skip.dst", "sub/"});
  ::mkdir(dir.file("folder.pes").c_str(), 0777);
  ::symlink(dir.file("a.PES").c_str(), dir.file("link.pes").c_str());
  ::symlink(dir.file("gone").c_str(), dir.file("dangling.pes").c_str());

  FileList list;
  const std::string folder = dir.path().string();  // without its '/': one is added
  EXPECT_EQ(list.addFolder(7, folder, kPesTxt, nullptr), 6u);
  EXPECT_EQ(namesOf(list),
            (std::vector<std::string>{"a.PES", "A2.pes", "B.pes", "c.txt", "d.pes", "link.pes"}));
  EXPECT_EQ(itemText(list[0]), folder + "/a.PES");
  EXPECT_EQ(itemText(list[4]), "Zip:" + zip + ":d.pes");
  EXPECT_EQ(itemText(list[1]), "Zip:" + zip + ":sub/A2.pes");
  EXPECT_EQ(list[1].folder, "sub/");
  for (const FileItem& item : list.items()) EXPECT_EQ(item.treeItem, 7u);
}

TEST(FileListing, NamesThatTheTextFormCannotCarryAreLeftOut) {
  DesignFolder dir;
  dir.add("tab\there.pes");
  dir.add("line\nbreak.pes");
  dir.addZip("z.zip", {"ok.pes", "bad\tmember.pes"});
  FileList list;
  list.addFolder(1, dir.folder(), kPesTxt, nullptr);
  EXPECT_EQ(namesOf(list), std::vector<std::string>{"ok.pes"});
}

TEST(FileListing, RemovableAndOpticalMediaWithALabelGiveTheDiskName) {
  const struct {
    DriveKind kind;
    const char* label;
    const char* extra;
  } cases[] = {
      {DriveKind::Removable, "HOLIDAY", "HOLIDAY"},
      {DriveKind::Optical, "CD 7", "CD 7"},
      {DriveKind::Removable, "", ""},
      {DriveKind::Fixed, "DATA", ""},
  };
  for (const auto& c : cases) {
    DesignFolder dir;
    dir.add("rose.pes");
    const std::string root = dir.path().string();
    test::FakeDrives drives({test::drive("/", DriveKind::Fixed), test::drive(root, c.kind, c.label)});
    FileList list;
    list.addFolder(1, dir.folder(), kPesTxt, &drives);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].extra, c.extra) << c.label;
  }
}

TEST(FileListing, RemovingAFolderTakesOutItsItemsOnly) {
  DesignFolder one, two;
  one.add("a.pes");
  one.add("b.pes");
  two.add("c.pes");
  FileList list;
  list.addFolder(1, one.folder(), kPesTxt, nullptr);
  list.addFolder(2, two.folder(), kPesTxt, nullptr);
  list[2].isSelected = true;
  EXPECT_EQ(list.removeFolder(1), 2u);
  EXPECT_EQ(namesOf(list), std::vector<std::string>{"c.pes"});
  EXPECT_TRUE(list[0].isSelected);
  EXPECT_EQ(list.addFolder(3, one.file("missing"), kPesTxt, nullptr), 0u);
}

// A list of named items, without files: the selection rules work on the list alone.
FileList listOf(std::initializer_list<const char*> names) {
  FileList list;
  for (const char* n : names) list.append(test::fileItem("/d/", n));
  return list;
}

std::string marks(const FileList& list) {
  std::string out;
  for (const FileItem& item : list.items())
    out += item.isAnchor ? (item.isSelected ? 'A' : 'a') : (item.isSelected ? 'x' : '.');
  return out;
}

TEST(FileListSelection, ClickRules) {
  // Marks: x selected, A selected anchor, a unselected anchor, . neither.
  const struct {
    const char* start;
    char key;  // ' ' plain, 'c' Ctrl, 's' Shift
    std::size_t index;
    const char* after;
  } cases[] = {
      {"x.A..", ' ', 3, "...A."},  // a plain click selects the item alone
      {"x.A..", 'c', 0, "a.x.."},  // Ctrl on a selected item deselects it and makes it the anchor
      {"x.A..", 'c', 3, "x.xA."},  // Ctrl on an unselected one adds it
      {"x.A..", 's', 4, "..Axx"},  // Shift: from the anchor to the click; the anchor stays
      {"..A..", 's', 0, "xxA.."},  // Shift backwards
      {"x.x..", 's', 3, "Axxx."},  // Shift with no anchor: from the first item
      {".....", 's', 9, "....."},  // outside the list: nothing
  };
  for (const auto& c : cases) {
    FileList list = listOf({"a", "b", "c", "d", "e"});
    for (std::size_t i = 0; i < 5; ++i) {
      list[i].isSelected = c.start[i] == 'x' || c.start[i] == 'A';
      list[i].isAnchor = c.start[i] == 'A' || c.start[i] == 'a';
    }
    if (c.key == ' ') list.click(c.index);
    if (c.key == 'c') list.ctrlClick(c.index);
    if (c.key == 's') list.shiftClick(c.index);
    EXPECT_EQ(marks(list), c.after) << c.start << " " << c.key << c.index;
  }
}

TEST(FileListSelection, SelectAllCountsAndJumpToLetter) {
  FileList list = listOf({"apple.pes", "Berry.pes", "banana.pes", "7up.pes"});
  list[2].isAnchor = true;
  EXPECT_EQ(list.jumpToLetter('b'), 1u);
  EXPECT_EQ(list.jumpToLetter('A'), 0u);
  EXPECT_EQ(list.jumpToLetter('7'), 3u);
  EXPECT_EQ(list.jumpToLetter('z'), std::nullopt);
  EXPECT_EQ(list.jumpToLetter('.'), std::nullopt);
  EXPECT_EQ(list.selectionCount(), 0u);
  EXPECT_EQ(list.jumpToLetter(1), std::nullopt);  // Ctrl+A
  EXPECT_EQ(marks(list), "Axxx");
  list.ctrlClick(1);
  EXPECT_EQ(list.filesText(), "Files: 4");
  EXPECT_EQ(list.selectedText(), "Selected: 3");
  EXPECT_EQ(list.selectedIndexes(), (std::vector<std::size_t>{0, 2, 3}));
}

}  // namespace
}  // namespace lh
