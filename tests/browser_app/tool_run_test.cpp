// The Tools menu over copies of the samples: a run from the menu lists the new designs after
// their sources and shows the report, Stop ends a run at the next design, the locks hold while
// a run is active, and the "Reduce Needles" dialog's values.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <semaphore>
#include <utility>

#include "browser/app/browser_view.h"
#include "browser/app/catalog_tree.h"
#include "browser/app/folder_tree.h"
#include "browser/app/main_frame.h"
#include "browser/app/tool_run_dialogs.h"
#include "catalog/file_item.h"
#include "design/settings.h"
#include "tests/support/design_builder.h"
#include "tests/support/fake_drives.h"
#include "tools/needle_reduction.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
constexpr int kRunWait = 60000;  // ms: an upper bound for slow sanitizer builds, not a measure

DriveInfo fixedRoot() {
  DriveInfo d;
  d.root = "/";
  return d;
}

struct Answers {
  std::vector<Question> asked;
  Asker asker() {
    return [this](const Question& q) {
      asked.push_back(q);
      return QMessageBox::Ok;
    };
  }
};

class ToolRunTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    if (const char* old = std::getenv("XDG_DATA_HOME")) oldData_ = old;
    setenv("XDG_DATA_HOME", (dir_.path() + "/data").toLocal8Bit().constData(), 1);
    root_ = dir_.path().toStdString();
    folder_ = root_ + "/designs";
    temp_ = root_ + "/temps";
    fs::create_directory(folder_);
    store_.setInt("Settings", "maximized", 1);
    store_.setInt("Settings", "bottom", 700);
    store_.setInt("Settings", "right", 1000);
    store_.setString("Workspace", "directory", temp_);
    store_.setInt("Workspace", "workspace", 0);
  }
  void TearDown() override {
    frame_.reset();
    setenv("XDG_DATA_HOME", oldData_.c_str(), 1);
  }

  void copySample(const std::string& sample, const std::string& name) {
    fs::copy_file(std::string(LH_SAMPLES_DIR) + "/" + sample, folder_ + "/" + name);
  }
  void openFrame() {
    frame_ = std::make_unique<CMainFrame>(store_, std::make_unique<test::FakeDrives>(drives_));
    frame_->showAsStored();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    frame_->setAsker(answers_.asker());
    QTreeWidgetItem* item = frame_->folderTree().findPath(folder_);
    ASSERT_NE(item, nullptr);
    frame_->folderTree().tickClick(item, false);
  }
  FileList& list() { return frame_->view().fileList(); }
  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const FileItem& item : list().items()) out.push_back(item.name);
    return out;
  }
  std::vector<std::string> selectedNames() {
    std::vector<std::string> out;
    for (const FileItem& item : list().selectedItems()) out.push_back(item.name);
    return out;
  }
  bool runEnds() {
    return QTest::qWaitFor([&] { return !frame_->runState().toolRunning(); }, kRunWait);
  }
  ReportDialog* report() { return frame_->findChild<ReportDialog*>("toolReport"); }
  QAction* menuAction(const QString& text) {
    for (QAction* menu : frame_->menuBar()->actions())
      if (menu->menu() != nullptr)
        for (QAction* a : menu->menu()->actions())
          if (a->text() == text) return a;
    return nullptr;
  }

  QTemporaryDir dir_;
  std::string oldData_, root_, folder_, temp_;
  MemorySettings store_;
  test::FakeDrives drives_{{fixedRoot()}};
  Answers answers_;
  std::unique_ptr<CMainFrame> frame_;
};

TEST_F(ToolRunTest, ConvertingThreeDesignsListsTheNewFilesAfterTheirSourcesAndReports) {
  copySample("flower.pes", "a.pes");
  copySample("quilt.pes", "b.pes");
  copySample("flower.jef", "c.jef");
  copySample("spiral.dst", "d.dst");
  openFrame();
  ASSERT_EQ(names(), (std::vector<std::string>{"a.pes", "b.pes", "c.jef", "d.dst"}));
  // a.pes is catalogued: the new file follows it there.
  Catalog& catalog = frame_->catalog();
  const CategoryId roses = catalog.addCategory(catalog.topCategory(), "Roses");
  catalog.addEntry(roses, folder_ + "/a.pes");
  catalog.addEntry(roses, folder_ + "/d.dst");
  list().click(0);
  list().ctrlClick(1);
  list().ctrlClick(2);
  frame_->view().selectionChanged();

  frame_->toolAction(ToolCommandId::ConvertToExp)->trigger();
  EXPECT_TRUE(frame_->runState().toolRunning());
  EXPECT_FALSE(frame_->view().isEnabled());
  ASSERT_TRUE(runEnds());

  EXPECT_EQ(names(), (std::vector<std::string>{"a.pes", "a.exp", "b.pes", "b.exp", "c.jef", "c.exp", "d.dst"}));
  EXPECT_EQ(selectedNames(), (std::vector<std::string>{"a.exp", "b.exp", "c.exp"}));
  EXPECT_TRUE(list()[1].isAnchor);
  EXPECT_EQ(list()[1].treeItem, list()[0].treeItem);
  EXPECT_FALSE(list()[1].isTemporary);
  for (const char* made : {"/a.exp", "/b.exp", "/c.exp"}) EXPECT_TRUE(fs::exists(folder_ + made)) << made;
  EXPECT_EQ(catalog.category(roses)->entries(),
            (std::vector<std::string>{folder_ + "/a.pes", folder_ + "/a.exp", folder_ + "/d.dst"}));
  EXPECT_TRUE(frame_->view().isEnabled());
  EXPECT_EQ(frame_->selectedStatus(), "Selected: 3");

  ASSERT_NE(report(), nullptr);
  EXPECT_EQ(report()->windowTitle(), "Report");
  EXPECT_EQ(report()->text(), "Preferred file type: EXP\n3 files were created.\n");
}

TEST_F(ToolRunTest, OnTheFlyIntoTheTemporaryFolderMarksTheNewFilesForDeletion) {
  store_.setInt("Workspace", "workspace", 1);
  store_.setInt("Settings", "Tools selected", 5);  // DST
  store_.setInt("Settings", "Tools report", 0);
  copySample("flower.pes", "a.pes");
  copySample("quilt.exp", "b.exp");
  openFrame();
  Catalog& catalog = frame_->catalog();
  catalog.addEntry(catalog.topCategory(), folder_ + "/a.pes");
  frame_->view().fileList().selectAll();
  frame_->view().selectionChanged();
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame_->view().allShownReady(); }, kRunWait));

  // From the grid's menu on a design that was read.
  auto menu = frame_->gridMenuFor(0);
  ASSERT_EQ(menu->actions().value(0), frame_->command(GridCommand::ConvertOnTheFly));
  ASSERT_TRUE(menu->actions().value(0)->isEnabled());
  menu->actions().value(0)->trigger();
  ASSERT_TRUE(runEnds());

  EXPECT_EQ(names(), (std::vector<std::string>{"a.pes", "a.dst", "b.exp", "b.dst"}));
  for (const std::size_t i : {1u, 3u}) {
    EXPECT_EQ(list()[i].folder, temp_ + "/");
    EXPECT_TRUE(list()[i].isTemporary);
    EXPECT_TRUE(list()[i].deleteAtClose);
  }
  EXPECT_EQ(frame_->closeFiles().temporary(),
            (std::vector<std::string>{temp_ + "/a.dst", temp_ + "/b.dst"}));
  EXPECT_EQ(catalog.category(catalog.topCategory())->entries(), (std::vector<std::string>{folder_ + "/a.pes"}));
  // "Tools report" off: no line about the files, so nothing to show.
  EXPECT_EQ(report(), nullptr);
}

// The run is held before its second design while the test looks at the locks, then stopped.
TEST_F(ToolRunTest, StopEndsTheRunAtTheNextDesignAndTheLocksHoldMeanwhile) {
  for (int i = 1; i <= 6; ++i) copySample("spiral.dst", "s" + std::to_string(i) + ".dst");
  openFrame();
  std::binary_semaphore reached(0), resume(0);
  frame_->setToolRunHook([&](std::size_t checked) {
    if (checked != 1) return;
    reached.release();
    resume.acquire();
  });
  // Whatever fails below, the held run goes on so that the window can be closed.
  bool resumed = false;
  const auto letGo = [&] {
    if (!std::exchange(resumed, true)) resume.release();
  };
  const std::unique_ptr<void, std::function<void(void*)>> atExit(&resumed, [&](void*) { letGo(); });
  list().selectAll();
  frame_->toolAction(ToolCommandId::ConvertToPes)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return reached.try_acquire(); }, kRunWait));

  // While it runs: the tool commands are off, Stop is on, closing and the preferences are
  // refused with their texts, folder ticks and a second run are refused silently.
  EXPECT_FALSE(frame_->toolAction(ToolCommandId::ColorSort)->isEnabled());
  EXPECT_TRUE(frame_->stopAction()->isEnabled());
  EXPECT_FALSE(frame_->close());
  ASSERT_EQ(answers_.asked.size(), 1u);
  EXPECT_EQ(answers_.asked[0].caption, "Don't stop now!");
  EXPECT_EQ(answers_.asked[0].text, "Tool running! Click 'Stop' to cancel, or hang in there.");
  menuAction("Preferences...")->trigger();
  ASSERT_EQ(answers_.asked.size(), 2u);
  EXPECT_EQ(answers_.asked[1].caption, "Tool Running");
  EXPECT_EQ(answers_.asked[1].text,
            "You currently have a Tool running.\nPlease complete that operation or click the Stop icon on the toolbar.");
  frame_->tickFolder(QString::fromStdString(folder_), false);
  frame_->runToolCommand(ToolCommandId::ColorSort);
  EXPECT_EQ(answers_.asked.size(), 2u);
  EXPECT_EQ(list().size(), 6u);

  frame_->stopAction()->trigger();
  letGo();
  ASSERT_TRUE(runEnds());
  EXPECT_TRUE(fs::exists(folder_ + "/s1.pes"));
  for (int i = 2; i <= 6; ++i) EXPECT_FALSE(fs::exists(folder_ + "/s" + std::to_string(i) + ".pes")) << i;
  EXPECT_EQ(names(), (std::vector<std::string>{"s1.dst", "s1.pes", "s2.dst", "s3.dst", "s4.dst", "s5.dst", "s6.dst"}));
  EXPECT_EQ(selectedNames(), (std::vector<std::string>{"s1.pes"}));
  ASSERT_NE(report(), nullptr);
  EXPECT_EQ(report()->text(), QString::fromStdString("Operation halted by the user.\nLast file created: " + folder_ +
                                                     "/s1.pes\nPreferred file type: PES\n1 file was created.\n"));
  EXPECT_TRUE(frame_->toolAction(ToolCommandId::ColorSort)->isEnabled());
  EXPECT_FALSE(frame_->stopAction()->isEnabled());
}

TEST_F(ToolRunTest, APluginRunRefusesToolsWithItsMessage) {
  copySample("flower.pes", "a.pes");
  openFrame();
  list().selectAll();
  frame_->runState().beginPluginRun();
  frame_->toolAction(ToolCommandId::AutoBaste)->trigger();
  ASSERT_EQ(answers_.asked.size(), 1u);
  EXPECT_EQ(answers_.asked[0].caption, "Plug-in Running");
  EXPECT_EQ(answers_.asked[0].text,
            "You currently have a Plug-in running.\nPlease complete that operation or click the Stop icon on the "
            "toolbar.");
  EXPECT_TRUE(frame_->runState().pluginRunning());
  EXPECT_EQ(list().size(), 1u);
  frame_->runState().endRun();
}

TEST_F(ToolRunTest, ReduceColorsWorksOnTheFirstDesignWithTheChosenCount) {
  copySample("flower.pes", "a.pes");
  copySample("quilt.pes", "b.pes");
  openFrame();
  int asked = 0;
  frame_->setNeedleChooser([&](const EmbDesign& design) -> std::optional<EmbDesign> {
    ++asked;
    EmbDesign reduced(design);
    if (reduceNeedles(reduced, 1) == 0) return std::nullopt;
    return reduced;
  });
  list().selectAll();
  frame_->toolAction(ToolCommandId::ReduceColors)->trigger();
  ASSERT_TRUE(runEnds());
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"a.pes", "a Reduced.pes", "b.pes"}));
  EXPECT_FALSE(fs::exists(folder_ + "/b Reduced.pes"));

  // Declined: nothing is written and nothing reported, and the selection is as it was.
  frame_->setNeedleChooser([](const EmbDesign&) { return std::optional<EmbDesign>(); });
  list().click(0);
  frame_->toolAction(ToolCommandId::ReduceColors)->trigger();
  EXPECT_FALSE(frame_->runState().toolRunning());
  EXPECT_EQ(list().size(), 3u);
  EXPECT_EQ(list().selectedIndexes(), (std::vector<std::size_t>{0}));
}

TEST(NeedleDialog, ColourListLines) {
  EmbDesign before;
  EmbDesign after;
  for (const char* name : {"Red", "Green"}) {
    ThreadColor t = test::thread(0x0000FF);
    t.displayName = name;
    t.stitchCount = 12;
    t.threadLength = 25000;
    before.threads.push_back(t);
  }
  after.threads = before.threads;
  after.threads[1].displayName = "RED";
  EXPECT_EQ(needleListLines(before, false), (std::vector<std::string>{"1: Red,  12 st.  2.5 m.", "2: Green,  12 st.  2.5 m."}));
  EXPECT_EQ(needleListLines(before, true), (std::vector<std::string>{"1: Red,  12 st.  2.7 yd.", "2: Green,  12 st.  2.7 yd."}));
  // A name that differs (not only in case) from the block's before is marked.
  after.threads[0].displayName = "red";
  EXPECT_EQ(needleListLines(after, false, &before),
            (std::vector<std::string>{"1: red,  12 st.  2.5 m.", "*2: RED,  12 st.  2.5 m."}));
}

// Five colours, the near-red sewn least: at most four needles replace it by the red.
EmbDesign fiveColours() {
  using test::colorChange;
  using test::st;
  EmbDesign d = test::makeDesign({st(10, 0), st(10, 0), st(10, 0), colorChange(), st(0, 10), colorChange(),
                                  st(-10, 0), colorChange(), st(0, -10), colorChange(), st(5, 5)},
                                 {0x0000FF, 0x0505FA, 0x00FF00, 0xFF0000, 0x00FFFF});
  const char* names[] = {"Red", "Near Red", "Green", "Blue", "Yellow"};
  for (std::size_t i = 0; i < d.threads.size(); ++i) d.threads[i].displayName = names[i];
  return d;
}

TEST(NeedleDialog, TheCountIsClampedAndAChangedCountReduces) {
  ReduceNeedlesDialog dialog(fiveColours(), false, 0xFFFFFF);
  EXPECT_EQ(dialog.needles(), 5);
  EXPECT_EQ(dialog.countText(), "5");
  EXPECT_FALSE(dialog.reducedDesign());  // OK without a change creates nothing

  dialog.typeCount("0");
  EXPECT_EQ(dialog.countText(), "1");
  dialog.typeCount("500");
  EXPECT_EQ(dialog.countText(), "5");
  EXPECT_FALSE(dialog.changed());  // five blocks, five needles: nothing to reduce

  dialog.typeCount("4");
  EXPECT_EQ(dialog.countText(), "4");
  ASSERT_TRUE(dialog.changed());
  ASSERT_EQ(dialog.modifiedList().count(), 5);
  EXPECT_TRUE(dialog.modifiedList().item(1)->text().startsWith("*2: Red,  "));
  for (const int row : {0, 2, 3, 4}) EXPECT_FALSE(dialog.modifiedList().item(row)->text().startsWith("*")) << row;
  EXPECT_TRUE(dialog.originalList().item(1)->text().startsWith("2: Near Red,  "));
  const std::optional<EmbDesign> reduced = dialog.reducedDesign();
  ASSERT_TRUE(reduced);
  EXPECT_EQ(needleCount(*reduced), 4);
  EXPECT_EQ(reduced->threads.size(), 5u);
}

}  // namespace
}  // namespace lh
