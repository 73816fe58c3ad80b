#include "browser/app/folder_tree.h"

#include <QSignalSpy>
#include <filesystem>
#include <gtest/gtest.h>

#include "tests/browser/browser_fixture.h"
#include "tests/browser_widgets/widgets_fixture.h"
#include "tests/support/fake_drives.h"

namespace lh {
namespace {

using test::drive;

// The drives: "/" and a memory stick mounted on a temporary folder holding a/b and c.
struct FolderTreeTest : ::testing::Test {
  FolderTreeTest() {
    std::filesystem::create_directories(stick.path() / "a" / "b");
    std::filesystem::create_directories(stick.path() / "c");
    tree.setAsker(asker.asker());
    tree.reloadDrives();
  }
  QTreeWidgetItem* stickItem() { return tree.findPath(stick.path().string()); }

  test::DesignFolder stick;
  test::FakeDrives drives{{drive("/", DriveKind::Fixed), drive(stick.path().string(), DriveKind::Removable, "STICK")}};
  MemorySettings settings;
  test::RecordingAsker asker;
  BFolderTree tree{drives, settings};
};

TEST_F(FolderTreeTest, TickingAFolderTellsItsPathAndNode) {
  QSignalSpy ticked(&tree, &BFolderTree::folderTicked);
  QSignalSpy unticked(&tree, &BFolderTree::folderUnticked);
  QTreeWidgetItem* a = tree.findPath(stick.file("a"));
  ASSERT_NE(a, nullptr);
  tree.tickClick(a, false);
  ASSERT_EQ(ticked.count(), 1);
  EXPECT_EQ(ticked.at(0).at(0).toString().toStdString(), stick.file("a"));
  EXPECT_EQ(ticked.at(0).at(1).toULongLong(), tree.nodeOf(a));
  EXPECT_TRUE(asker.asked.empty());  // a folder on a stick is no large drive
  tree.tickClick(a, false);
  ASSERT_EQ(unticked.count(), 1);
  EXPECT_EQ(unticked.at(0).at(0).toULongLong(), tree.nodeOf(a));
}

TEST_F(FolderTreeTest, CtrlTicksAndClearsEverySubFolder) {
  QSignalSpy ticked(&tree, &BFolderTree::folderTicked);
  QSignalSpy unticked(&tree, &BFolderTree::folderUnticked);
  tree.tickClick(stickItem(), true);
  EXPECT_EQ(ticked.count(), 4);  // the stick, a, a/b and c
  EXPECT_TRUE(tree.isTickedItem(tree.findPath(stick.file("a/b"))));
  tree.tickClick(tree.findPath(stick.file("a")), true);
  EXPECT_EQ(unticked.count(), 2);
  EXPECT_TRUE(tree.isTickedItem(tree.findPath(stick.file("c"))));
}

TEST_F(FolderTreeTest, TheWholeSystemDriveIsTickedOnlyAfterYes) {
  QSignalSpy ticked(&tree, &BFolderTree::folderTicked);
  QTreeWidgetItem* root = tree.findPath("/");
  ASSERT_NE(root, nullptr);
  asker.answer = QMessageBox::No;
  tree.tickClick(root, false);
  EXPECT_EQ(asker.lastCaption(), "Large Drive Selected");
  EXPECT_EQ(asker.lastText(),
            "You have selected a large drive to view.\n"
            "Are you sure that you want to view the entire contents of this drive?");
  EXPECT_EQ(ticked.count(), 0);
  EXPECT_FALSE(tree.isTickedItem(root));
  asker.answer = QMessageBox::Yes;
  tree.tickClick(root, false);
  EXPECT_EQ(ticked.count(), 1);
}

TEST_F(FolderTreeTest, CopiesIntoAFolderAskAboutAClashAndRememberTheFolder) {
  test::DesignFolder source;
  const FileItem rose = test::fileItem(source.folder(), "rose.pes");
  source.add("rose.pes");
  int clashes = 0;
  tree.setClashQuestion([&](const FileItem&, const std::string&) {
    ++clashes;
    return ClashAnswer::KeepBoth;
  });
  QTreeWidgetItem* c = tree.findPath(stick.file("c"));
  EXPECT_EQ(tree.copyInto(c, {rose}).copied, 1u);
  EXPECT_EQ(tree.copyInto(c, {rose}).copied, 1u);
  EXPECT_EQ(clashes, 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(stick.file("c")), {}), 2);
  EXPECT_EQ(settings.getString("Settings", "LWD", ""), stick.file("c"));
}

TEST_F(FolderTreeTest, NewFoldersTakeTheNextFreeNameAndRenamesFollowTheTicks) {
  tree.setCurrentItem(tree.findPath(stick.file("c")));
  QTreeWidgetItem* first = tree.newFolder();
  tree.setCurrentItem(tree.findPath(stick.file("c")));
  QTreeWidgetItem* second = tree.newFolder();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(tree.pathOf(first), stick.file("c/New Folder"));
  EXPECT_EQ(tree.pathOf(second), stick.file("c/New Folder(2)"));
  EXPECT_TRUE(std::filesystem::is_directory(stick.file("c/New Folder(2)")));

  // Renamed in place: a ticked folder is listed again under its new path.
  tree.tickClick(first, false);
  QSignalSpy ticked(&tree, &BFolderTree::folderTicked);
  tree.setCurrentItem(first);
  tree.renameFolder();
  first->setText(0, QStringLiteral("Roses"));
  EXPECT_TRUE(std::filesystem::is_directory(stick.file("c/Roses")));
  ASSERT_EQ(ticked.count(), 1);
  EXPECT_EQ(ticked.at(0).at(0).toString().toStdString(), stick.file("c/Roses"));
  // A name that is taken is refused and the old one comes back.
  tree.setCurrentItem(second);
  tree.renameFolder();
  second->setText(0, QStringLiteral("Roses"));
  EXPECT_EQ(second->text(0), "New Folder(2)");
  EXPECT_EQ(asker.lastText().toStdString(), stick.file("c/New Folder(2)") + "\nThe folder could not be renamed.");
}

}  // namespace
}  // namespace lh
