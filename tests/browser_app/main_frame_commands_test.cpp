// The main window's trees and commands on a temporary copy of the samples: ticks fill the
// list, the grid's menu follows the clicked cell, the Edit commands change files and catalog.
#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "browser/app/browser_view.h"
#include "browser/app/catalog_tree.h"
#include "browser/app/folder_tree.h"
#include "browser/app/main_frame.h"
#include "browser/app/picture_loader.h"
#include "browser/app/single_view.h"
#include "catalog/file_item.h"
#include "design/settings.h"
#include "tests/support/fake_drives.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
constexpr int kLoadWait = 30000;  // ms: an upper bound for slow sanitizer builds, not a measure

DriveInfo fixedRoot() {
  DriveInfo d;
  d.root = "/";
  return d;
}

// Answers every question with `answer` and keeps what was asked.
struct Answers {
  std::vector<Question> asked;
  QMessageBox::StandardButton answer = QMessageBox::Yes;
  Asker asker() {
    return [this](const Question& q) {
      asked.push_back(q);
      return (q.buttons & answer) ? answer : QMessageBox::Ok;
    };
  }
};

class FrameCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    // The catalog lives in the data folder: each test has its own.
    if (const char* old = std::getenv("XDG_DATA_HOME")) oldData_ = old;
    setenv("XDG_DATA_HOME", (dir_.path() + "/data").toLocal8Bit().constData(), 1);
    folder_ = dir_.path().toStdString() + "/samples";
    stick_ = dir_.path().toStdString() + "/stick";
    fs::create_directory(stick_);
    DriveInfo stick;
    stick.root = stick_;
    stick.kind = DriveKind::Removable;
    stick.label = "STICK";
    drives_.add(stick);
    fs::copy(LH_SAMPLES_DIR, folder_, fs::copy_options::recursive);
    store_.setInt("Settings", "maximized", 1);
    store_.setInt("Settings", "bottom", 700);
    store_.setInt("Settings", "right", 1000);
    frame_ = std::make_unique<CMainFrame>(store_, std::make_unique<test::FakeDrives>(drives_));
    frame_->showAsStored();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    frame_->setAsker(answers_.asker());
  }
  void TearDown() override {
    frame_.reset();
    setenv("XDG_DATA_HOME", oldData_.c_str(), 1);
  }

  CBrowserView& view() { return frame_->view(); }
  FileList& list() { return frame_->view().fileList(); }
  std::size_t indexOf(const std::string& name) {
    for (std::size_t i = 0; i < list().size(); ++i)
      if (list()[i].name == name) return i;
    ADD_FAILURE() << name << " is not listed";
    return 0;
  }
  void tickSamples() {
    QTreeWidgetItem* item = frame_->folderTree().findPath(folder_);
    ASSERT_NE(item, nullptr);
    frame_->folderTree().tickClick(item, false);
  }
  void clickItem(std::size_t index) {
    list().click(index);
    view().selectionChanged();
  }
  static QStringList texts(QMenu& menu) {
    QStringList out;
    for (QAction* a : menu.actions()) out << a->text();
    return out;
  }

  QTemporaryDir dir_;
  std::string oldData_;
  std::string folder_;
  std::string stick_;
  MemorySettings store_;
  test::FakeDrives drives_{{fixedRoot()}};
  Answers answers_;
  std::unique_ptr<CMainFrame> frame_;
};

TEST_F(FrameCommandsTest, TickingAFolderListsItsDesignsAndRunsLockTheTicks) {
  tickSamples();
  ASSERT_GE(list().size(), 8u);
  const quint64 node = frame_->folderTree().nodeOf(frame_->folderTree().findPath(folder_));
  for (const FileItem& item : list().items()) EXPECT_EQ(item.treeItem, node) << item.name;
  EXPECT_EQ(frame_->filesStatus(), QString("Files: %1").arg(list().size()));

  frame_->runState().beginPluginRun();
  tickSamples();  // refused: the list holds still
  EXPECT_GE(list().size(), 8u);
  ASSERT_FALSE(answers_.asked.empty());
  EXPECT_EQ(answers_.asked.back().caption, "Plug-in Running");
  frame_->runState().endRun();
  tickSamples();
  EXPECT_TRUE(list().empty());
}

TEST_F(FrameCommandsTest, ACategoryTickListsItsEntriesInsteadOfTheFolders) {
  Catalog& catalog = frame_->catalog();
  const CategoryId top = catalog.topCategory();
  const CategoryId roses = catalog.addCategory(top, "Roses");
  ASSERT_NE(roses, 0u);
  catalog.addEntry(roses, folder_ + "/quilt.pes");
  catalog.addEntry(roses, "Zip:" + folder_ + "/more-samples.zip:flower.sew");
  catalog.addEntry(roses, folder_ + "/gone.pes");
  frame_->catalogTree().rebuild();
  tickSamples();
  ASSERT_GE(list().size(), 8u);

  frame_->catalogTree().nameClick(roses, false);
  EXPECT_FALSE(frame_->folderTree().isTickedItem(frame_->folderTree().findPath(folder_)));
  ASSERT_EQ(list().size(), 3u);
  EXPECT_EQ(itemText(list()[0]), folder_ + "/quilt.pes");
  EXPECT_EQ(list()[1].location(), "Zip:" + folder_ + "/more-samples.zip:flower.sew");
  EXPECT_EQ(list()[2].name, "gone.pes");
  for (const FileItem& item : list().items()) EXPECT_EQ(item.treeItem, roses);

  tickSamples();  // a folder tick clears the category's
  EXPECT_EQ(frame_->catalogTree().look(roses), TickLook::Clear);
  EXPECT_GE(list().size(), 8u);
  EXPECT_EQ(list().removeIf([&](const FileItem& item) { return item.treeItem == roses; }), 0u);
}

TEST_F(FrameCommandsTest, TheGridMenuFollowsTheClickedCell) {
  Catalog& catalog = frame_->catalog();
  const CategoryId top = catalog.topCategory();
  catalog.addEntry(top, folder_ + "/quilt.pes");
  catalog.addEntry(top, folder_ + "/gone.pes");
  frame_->catalogTree().rebuild();
  frame_->catalogTree().nameClick(top, false);
  ASSERT_EQ(list().size(), 2u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view().allShownReady(); }, kLoadWait));

  clickItem(0);
  auto menu = frame_->gridMenuFor(0);
  EXPECT_EQ(texts(*menu),
            (QStringList{"Convert to On-The-Fly Setting", "Select &All", "Copy to...",
                         "Send to Floppy (A:)", "Rename File...", "Delete Catalog Entries..."}));
  EXPECT_TRUE(frame_->command(GridCommand::RenameFile)->isEnabled());
  EXPECT_TRUE(frame_->command(GridCommand::ConvertOnTheFly)->isEnabled());

  clickItem(1);
  menu = frame_->gridMenuFor(1);
  EXPECT_EQ(texts(*menu), (QStringList{"Find File...", "Select &All", "Copy to...", "Send to Floppy (A:)",
                                       "Delete Catalog Entries..."}));
  EXPECT_TRUE(frame_->command(GridCommand::FindFile)->isEnabled());

  menu = frame_->gridMenuFor(-1);
  EXPECT_EQ(texts(*menu).size(), 4);
}

TEST_F(FrameCommandsTest, TheDeleteKeyAsksOnceAndTheCommandDeletesTheFileAndItsEntries) {
  Catalog& catalog = frame_->catalog();
  catalog.addEntry(catalog.topCategory(), folder_ + "/spiral.dst");
  tickSamples();
  const std::size_t before = list().size();
  clickItem(indexOf("spiral.dst"));
  std::vector<std::string> trashed;
  frame_->setTrash([&](const std::string& path) {
    trashed.push_back(path);
    return fs::remove(path);
  });

  answers_.answer = QMessageBox::No;
  frame_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
  view().setFocus();
  QTest::keyClick(&view(), Qt::Key_Delete);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !answers_.asked.empty(); }, 2000));
  EXPECT_EQ(answers_.asked.back().caption, "Delete Files");
  EXPECT_EQ(answers_.asked.back().text, "Are you sure that you want to delete this file!");
  EXPECT_TRUE(trashed.empty());
  EXPECT_EQ(list().size(), before);

  answers_.answer = QMessageBox::Yes;
  frame_->deleteSelectedFiles();
  EXPECT_EQ(trashed, std::vector<std::string>{folder_ + "/spiral.dst"});
  EXPECT_FALSE(fs::exists(folder_ + "/spiral.dst"));
  EXPECT_EQ(list().size(), before - 1);
  EXPECT_TRUE(catalog.category(catalog.topCategory())->entries().empty());
  EXPECT_EQ(frame_->selectedStatus(), "Selected: 0");
}

TEST_F(FrameCommandsTest, RenameAndCopyToGoThroughTheirQuestions) {
  Catalog& catalog = frame_->catalog();
  catalog.addEntry(catalog.topCategory(), folder_ + "/quilt.pes\tDISK");
  tickSamples();
  clickItem(indexOf("quilt.pes"));

  frame_->setNameAsker([](const std::string&) { return std::string("patch.dst"); });
  answers_.answer = QMessageBox::No;  // keep the old type
  frame_->renameSelectedFile();
  EXPECT_EQ(answers_.asked.back().caption, "File Type Change");
  EXPECT_TRUE(fs::exists(folder_ + "/patch.pes"));
  EXPECT_EQ(list()[*list().firstSelected()].name, "patch.pes");
  EXPECT_EQ(catalog.category(catalog.topCategory())->entries(),
            std::vector<std::string>{folder_ + "/patch.pes\tDISK"});

  list().shiftClick(indexOf("spiral.dst"));
  const std::size_t chosen = list().selectionCount();
  ASSERT_GE(chosen, 2u);
  const std::string target = dir_.path().toStdString() + "/copies";
  std::string offered;
  frame_->setFolderPicker([&](const std::string& start) {
    offered = start;
    return std::optional<std::string>(target);
  });
  fs::create_directory(target);
  frame_->folderTree().setClashQuestion(
      [](const FileItem&, const std::string&) { return ClashAnswer::Skip; });
  frame_->copySelectedTo();
  EXPECT_EQ(answers_.asked.back().caption, "Files Copied");
  EXPECT_EQ(answers_.asked.back().text, QString("%1 files copied").arg(chosen));
  EXPECT_TRUE(fs::exists(target + "/patch.pes"));
  EXPECT_EQ(store_.getString("Settings", "LWD", ""), target);
  frame_->copySelectedTo();  // the folder is offered again
  EXPECT_EQ(offered, target);
}

TEST_F(FrameCommandsTest, DeletingCatalogEntriesOfManyOrOfAnUncataloguedItem) {
  Catalog& catalog = frame_->catalog();
  const CategoryId top = catalog.topCategory();
  catalog.addEntry(top, folder_ + "/quilt.pes");
  catalog.addEntry(top, folder_ + "/flower.pes");
  catalog.addEntry(top, folder_ + "/spiral.dst");
  frame_->catalogTree().rebuild();
  frame_->catalogTree().nameClick(top, false);
  ASSERT_EQ(list().size(), 3u);
  list().click(0);
  list().ctrlClick(1);
  frame_->deleteCatalogEntries();
  EXPECT_EQ(answers_.asked.back().caption, "Delete Catalog Entries?");
  EXPECT_EQ(catalog.category(top)->entries(), std::vector<std::string>{folder_ + "/spiral.dst"});
  ASSERT_EQ(list().size(), 1u);
  EXPECT_EQ(list()[0].name, "spiral.dst");

  tickSamples();
  clickItem(indexOf("letters.pes"));
  frame_->deleteCatalogEntries();
  EXPECT_EQ(answers_.asked.back().caption, "Not Cataloged");
  EXPECT_EQ(answers_.asked.back().text,
            QString::fromStdString("This item is not cataloged.\n" + folder_ + "/letters.pes"));
}

TEST_F(FrameCommandsTest, SendingCopiesToTheRemovableDisk) {
  tickSamples();
  clickItem(indexOf("letters.pes"));
  frame_->sendSelectedToRemovable();
  EXPECT_TRUE(fs::exists(stick_ + "/letters.pes"));
  EXPECT_TRUE(answers_.asked.empty());
}

// Find File on a catalogued design that moved: the entry and the listed item go to where the
// automatic search found it.
TEST_F(FrameCommandsTest, AFoundFileTakesTheEntrysAndTheListedItemsPlace) {
  const std::string moved = dir_.path().toStdString() + "/moved";
  fs::create_directory(moved);
  fs::copy_file(folder_ + "/quilt.pes", moved + "/gone.pes");
  Catalog& catalog = frame_->catalog();
  const CategoryId top = catalog.topCategory();
  catalog.addEntry(top, folder_ + "/gone.pes");
  frame_->catalogTree().rebuild();
  frame_->catalogTree().nameClick(top, false);
  ASSERT_EQ(list().size(), 1u);
  clickItem(0);
  FindFilePickers pick;
  pick.folder = [&](const std::string&) { return std::optional<std::string>(moved); };
  frame_->setFindPickers(pick);
  answers_.answer = QMessageBox::Yes;
  frame_->findMovedFile();
  EXPECT_EQ(catalog.category(top)->entries(), std::vector<std::string>{moved + "/gone.pes"});
  ASSERT_EQ(list().size(), 1u);
  EXPECT_EQ(list()[0].location(), moved + "/gone.pes");
  EXPECT_EQ(list()[0].treeItem, top);
  EXPECT_TRUE(list()[0].isSelected);
  EXPECT_EQ(answers_.asked.back().caption, "Links Updated");
}

// A right click on a cell that is not selected selects it alone; on a selected cell the
// selection stays; beside the cells nothing changes. The window hears of each.
TEST(GridContextMenu, RightClickSelectsAnUnselectedCellFirst) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  fs::copy(LH_SAMPLES_DIR, folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  PictureLoader loader;
  CBrowserView view(loader);
  view.resize(900, 600);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  const std::vector<std::string> types{"PES", "DST", "EXP", "JEF", "XXX", "SEW"};
  view.fileList().addFolder(1, folder, types, nullptr);
  view.listChanged();
  ASSERT_GE(view.shownCells(), 5);
  QSignalSpy wanted(&view, &CBrowserView::gridMenuWanted);
  const auto rightClick = [&](const QPoint& pos) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view.mapToGlobal(pos));
    QApplication::sendEvent(&view, &event);
  };

  view.fileList().click(0);
  view.fileList().shiftClick(2);
  rightClick(view.cell(1)->geometry().center());
  EXPECT_EQ(view.fileList().selectedIndexes(), (std::vector<std::size_t>{0, 1, 2}));
  rightClick(view.cell(4)->geometry().center());
  EXPECT_EQ(view.fileList().selectedIndexes(), std::vector<std::size_t>{4});
  EXPECT_TRUE(view.cell(4)->isSelected());
  EXPECT_FALSE(view.cell(0)->isSelected());
  rightClick(QPoint(view.width() - 40, view.height() - 5));
  EXPECT_EQ(view.fileList().selectedIndexes(), std::vector<std::size_t>{4});

  ASSERT_EQ(wanted.count(), 3);
  EXPECT_EQ(wanted.at(0).at(0).toLongLong(), 1);
  EXPECT_EQ(wanted.at(1).at(0).toLongLong(), 4);
  EXPECT_EQ(wanted.at(2).at(0).toLongLong(), -1);
}

}  // namespace
}  // namespace lh
