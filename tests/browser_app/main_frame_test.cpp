// The main window on a temporary copy of the bundled samples: the grid fills in, the mouse
// selects, a design path opens with that design selected, the layout survives a restart.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QUrl>
#include <QDir>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <set>

#include "browser/app/browser_view.h"
#include "browser/app/main_frame.h"
#include "browser/app/single_view.h"
#include "design/settings.h"
#include "tests/browser_widgets/widgets_fixture.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
constexpr int kLoadWait = 30000;  // ms: an upper bound for slow sanitizer builds, not a measure

class MainFrameTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.path().toStdString() + "/samples";
    fs::copy(LH_SAMPLES_DIR, folder_, fs::copy_options::recursive);
    store_.setInt("Settings", "maximized", 1);
    store_.setInt("Settings", "left", 20);
    store_.setInt("Settings", "top", 30);
    store_.setInt("Settings", "right", 20 + 1200);
    store_.setInt("Settings", "bottom", 30 + 800);
  }

  std::unique_ptr<CMainFrame> openFrame() {
    auto frame = std::make_unique<CMainFrame>(store_);
    frame->showAsStored();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    return frame;
  }

  static bool picturesArrive(CMainFrame& frame) {
    return QTest::qWaitFor([&] { return frame.view().allShownReady(); }, kLoadWait);
  }

  static void clickCell(CBrowserView& view, int k, Qt::KeyboardModifiers modifiers = {}) {
    const QRect r = view.cell(k)->geometry();
    QTest::mouseClick(&view, Qt::LeftButton, modifiers, r.center());
  }

  static std::vector<std::size_t> selected(CMainFrame& frame) {
    return frame.view().fileList().selectedIndexes();
  }

  QTemporaryDir dir_;
  std::string folder_;
  MemorySettings store_;
};

TEST_F(MainFrameTest, GridShowsEverySampleWithItsPictureOnceLoaded) {
  auto frame = openFrame();
  ASSERT_TRUE(frame->openPath(folder_));
  CBrowserView& view = frame->view();
  const std::size_t count = view.fileList().size();
  ASSERT_GE(count, 8u);
  EXPECT_EQ(frame->filesStatus(), QString("Files: %1").arg(count));
  EXPECT_EQ(frame->selectedStatus(), "Selected: 0");
  ASSERT_EQ(view.shownCells(), static_cast<int>(count));
  ASSERT_TRUE(picturesArrive(*frame));

  std::set<std::string> captions;
  for (int k = 0; k < view.shownCells(); ++k) {
    BSingleView* cell = view.cell(k);
    captions.insert(cell->caption());
    EXPECT_TRUE(cell->isVisible());
    EXPECT_EQ(cell->pictureKind(), CellPicture::Design) << cell->caption();
    EXPECT_EQ(cell->image().format(), QImage::Format_Indexed8) << cell->caption();
    EXPECT_EQ(cell->image().width(), cell->wantedSpec(false, false).width);
  }
  EXPECT_TRUE(captions.count("flower.pes"));
  EXPECT_TRUE(captions.count("flower.sew(zip)"));  // a member of more-samples.zip
  EXPECT_FALSE(view.cell(static_cast<int>(count))->isVisible());
}

TEST_F(MainFrameTest, ClickCtrlAndShiftSelectAsTheListRules) {
  auto frame = openFrame();
  ASSERT_TRUE(frame->openPath(folder_));
  CBrowserView& view = frame->view();

  clickCell(view, 3, Qt::ShiftModifier);  // no anchor yet: from the first item
  EXPECT_EQ(selected(*frame), (std::vector<std::size_t>{0, 1, 2, 3}));

  clickCell(view, 2);
  EXPECT_EQ(selected(*frame), (std::vector<std::size_t>{2}));
  EXPECT_EQ(frame->selectedStatus(), "Selected: 1");
  EXPECT_TRUE(view.cell(2)->isSelected());
  EXPECT_FALSE(view.cell(3)->isSelected());
  EXPECT_EQ(frame->preview().caption(), view.cell(2)->caption());

  clickCell(view, 5, Qt::ShiftModifier);
  EXPECT_EQ(selected(*frame), (std::vector<std::size_t>{2, 3, 4, 5}));
  EXPECT_EQ(frame->selectedStatus(), "Selected: 4");

  clickCell(view, 4, Qt::ControlModifier);  // a selected item: cleared, and the new anchor
  EXPECT_EQ(selected(*frame), (std::vector<std::size_t>{2, 3, 5}));
  clickCell(view, 6, Qt::ShiftModifier);
  EXPECT_EQ(selected(*frame), (std::vector<std::size_t>{4, 5, 6}));
  EXPECT_FALSE(view.cell(2)->isSelected());
  EXPECT_TRUE(view.cell(6)->isSelected());
}

TEST_F(MainFrameTest, ADesignPathStartsWithItsFolderListedAndItSelected) {
  auto frame = openFrame();
  ASSERT_TRUE(frame->openPath(folder_ + "/quilt.pes"));
  const FileList& list = frame->view().fileList();
  ASSERT_GE(list.size(), 8u);
  const std::vector<std::size_t> chosen = selected(*frame);
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(list[chosen[0]].name, "quilt.pes");
  EXPECT_EQ(frame->preview().caption(), "quilt.pes");
  EXPECT_TRUE(QTest::qWaitFor([&] { return frame->preview().hasPicture(); }, kLoadWait));
  EXPECT_EQ(frame->preview().pictureKind(), CellPicture::Design);

  EXPECT_FALSE(frame->openPath(folder_ + "/no such folder"));
}

TEST_F(MainFrameTest, EndKeyShowsTheLastPageAndItsPicturesArrive) {
  const std::string many = dir_.path().toStdString() + "/many";
  fs::create_directory(many);
  for (int i = 0; i < 120; ++i) {
    fs::copy_file(folder_ + "/spiral.dst", many + "/s" + std::to_string(1000 + i) + ".dst");
  }
  auto frame = openFrame();
  ASSERT_TRUE(frame->openPath(many));
  CBrowserView& view = frame->view();
  ASSERT_EQ(view.fileList().size(), 120u);
  const int page = view.layout().pageCells();
  ASSERT_GT(page, 0);
  ASSERT_LT(page, 120);

  view.setFocus();
  QTest::keyClick(&view, Qt::Key_End);
  EXPECT_EQ(view.firstShown(), 120 - page);
  ASSERT_EQ(view.shownCells(), page);
  ASSERT_TRUE(picturesArrive(*frame));
  EXPECT_EQ(view.cell(page - 1)->caption(), "s1119.dst");
  QTest::keyClick(&view, Qt::Key_Home);
  EXPECT_EQ(view.firstShown(), 0);
  EXPECT_EQ(view.cell(0)->caption(), "s1000.dst");
  ASSERT_TRUE(picturesArrive(*frame));
}

TEST_F(MainFrameTest, SplitterTabAndWindowAreSavedAtCloseAndRestored) {
  {
    auto frame = openFrame();
    EXPECT_EQ(frame->geometry().width(), 1200);
    frame->splitter().setSizes({333, 800});
    frame->leftSplitter().setSizes({400, 222});
    frame->leftTabs().setCurrentIndex(1);
    frame->close();
  }
  EXPECT_EQ(store_.getInt("Settings", "Split", 0), 333);
  EXPECT_EQ(store_.getInt("Settings", "Split2", 0), 222);
  EXPECT_EQ(store_.getInt("Settings", "Left Tab", 0), 1);
  EXPECT_EQ(store_.getInt("Settings", "maximized", 0), 1);
  EXPECT_EQ(store_.getInt("Settings", "right", 0) - store_.getInt("Settings", "left", 0), 1200);
  EXPECT_EQ(store_.getInt("Settings", "bottom", 0) - store_.getInt("Settings", "top", 0), 800);
  EXPECT_EQ(store_.getInt("Settings", "Version", 0), 258);

  auto again = openFrame();
  EXPECT_EQ(again->splitter().sizes().value(0), 333);
  EXPECT_EQ(again->leftSplitter().sizes().value(1), 222);
  EXPECT_EQ(again->leftTabs().currentIndex(), 1);
  EXPECT_EQ(again->geometry().size(), QSize(1200, 800));
}

TEST_F(MainFrameTest, ThumbnailsAndPreviewAreDrawnOnThePreferencesBackground) {
  store_.setInt("BkgColors", "selectedColor", -1);
  store_.setInt("BkgColors", "selectedColorRGB", 0x336699);  // 0x00BBGGRR
  auto frame = openFrame();
  ASSERT_TRUE(frame->openPath(folder_ + "/flower.pes"));
  ASSERT_TRUE(picturesArrive(*frame));
  EXPECT_EQ(frame->preview().wantedSpec(true, false).background, 0x336699u);
  const QImage& image = frame->view().cell(0)->image();
  ASSERT_FALSE(image.isNull());
  // The corner lies in the renderer's margin; the screen palette may round the colour a little.
  const QColor corner = image.pixelColor(0, 0);
  EXPECT_NEAR(corner.red(), 0x99, 24);
  EXPECT_NEAR(corner.green(), 0x66, 24);
  EXPECT_NEAR(corner.blue(), 0x33, 24);
}

TEST_F(MainFrameTest, PreferencesAreStoredAtStartAndOfferedInTheOptionsMenu) {
  auto frame = openFrame();
  EXPECT_EQ(store_.getString("Workspace", "directory", ""), QDir::homePath().toStdString() + "/Loomhall/My Temps/");
  EXPECT_EQ(store_.getInt("BkgColors", "selectedColorRGB", 0), 0xD9D9E6);
  const QList<QAction*> actions = frame->findChildren<QAction*>();
  const auto prefs = std::find_if(actions.begin(), actions.end(),
                                  [](const QAction* a) { return a->text() == "Preferences..."; });
  ASSERT_NE(prefs, actions.end());
  EXPECT_TRUE((*prefs)->isEnabled());
  EXPECT_EQ((*prefs)->statusTip(), "Edit the program preferences.");
}

TEST_F(MainFrameTest, HelpTopicsOpenTheManualAndPesAssociationIsAnEditCommand) {
  auto frame = openFrame();
  test::RecordingAsker asker;
  frame->setAsker(asker.asker());
  std::vector<QUrl> opened;
  frame->setUrlOpener([&](const QUrl& url) {
    opened.push_back(url);
    return true;
  });
  const QList<QAction*> actions = frame->findChildren<QAction*>();
  auto action = [&](const QString& text) -> QAction* {
    const auto it = std::find_if(actions.begin(), actions.end(), [&](const QAction* a) { return a->text() == text; });
    return it == actions.end() ? nullptr : *it;
  };
  QAction* assoc = action("PES Association...");
  ASSERT_NE(assoc, nullptr);
  EXPECT_EQ(qobject_cast<QMenu*>(assoc->parent())->title(), "&Edit");
  EXPECT_EQ(assoc->statusTip(), "Associate PES files");
  EXPECT_EQ(assoc->toolTip(), "Associate PES");

  // The build puts the manual beside the program; the tests' own folder has none.
  EXPECT_TRUE(fs::is_regular_file(fs::path(LH_LOOMHALL_EXE).parent_path() / "manual.html"));
  QAction* help = action("&Help Topics");
  ASSERT_NE(help, nullptr);
  help->trigger();
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(asker.lastText().startsWith("The manual was not found:\n")) << asker.lastText().toStdString();
  EXPECT_TRUE(asker.lastText().endsWith("manual.html"));

  const QString manual = dir_.path() + "/manual.html";
  fs::copy_file(fs::path(LH_LOOMHALL_EXE).parent_path() / "manual.html", manual.toStdString());
  EXPECT_TRUE(frame->openManual(manual));
  EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(manual)});
  EXPECT_EQ(asker.asked.size(), 1u);
}

}  // namespace
}  // namespace lh
