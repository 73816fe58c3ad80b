// The grid's and the design cell's own behaviour: dragging out, double click, the preview's
// menus and read-out, the colour list switch, the "tmp " mark and the hint over designs on
// named disks.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "browser/app/browser_view.h"
#include "browser/app/design_opener.h"
#include "browser/app/grid_drag.h"
#include "browser/app/picture_loader.h"
#include "browser/app/preview_menu.h"
#include "browser/app/single_view.h"
#include "design/settings.h"
#include "tests/zip/temp_dir.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

FileItem item(const std::string& folder, const std::string& name, const std::string& archive = {}) {
  FileItem f;
  f.folder = folder;
  f.name = name;
  f.archive = archive;
  return f;
}

std::shared_ptr<const Thumbnail> picture(CellPicture kind, float scale = 0.0f) {
  auto t = std::make_shared<Thumbnail>();
  t->picture = kind;
  t->scale = scale;
  return t;
}

class GridTest : public testing::Test {
 protected:
  void SetUp() override {
    view_.resize(700, 500);
    view_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
  }
  void fill(std::vector<FileItem> items) {
    for (FileItem& f : items) view_.fileList().append(std::move(f));
    view_.listChanged();
  }
  QPoint centre(int k) { return view_.cell(k)->geometry().center(); }

  test::TempDir dir_;
  PictureLoader loader_;
  CBrowserView view_{loader_};
};

TEST(GridDragData, UriListMadeOnRequestOnceAndOnlyLocalTextInsideTheProgram) {
  int calls = 0;
  GridDragData data([&] {
    ++calls;
    return std::vector<std::string>{"/tmp/a b.pes", "/tmp/rose.pes"};
  });
  EXPECT_TRUE(data.hasUrls());
  EXPECT_EQ(calls, 0);  // nothing extracted before a target asks

  data.setLocal(true);
  EXPECT_EQ(data.formats(), QStringList{"text/plain"});
  EXPECT_FALSE(data.hasUrls());
  EXPECT_EQ(data.text(), "local data");
  EXPECT_EQ(calls, 0);

  data.setLocal(false);
  EXPECT_EQ(data.urls(), (QList<QUrl>{QUrl::fromLocalFile("/tmp/a b.pes"), QUrl::fromLocalFile("/tmp/rose.pes")}));
  EXPECT_EQ(data.data("text/uri-list"), "file:///tmp/a%20b.pes\r\nfile:///tmp/rose.pes\r\n");
  EXPECT_EQ(data.data(kPreferredDropEffect), QByteArray("\x01\x00\x00\x00", 4));
  EXPECT_EQ(calls, 1);
}

TEST_F(GridTest, PressSelectsForTheDragAndADragWithoutDropIsAClick) {
  fill({item("/d/", "a.pes"), item("/d/", "b.pes"), item("/d/", "c.pes")});
  FileList& list = view_.fileList();
  list.ctrlClick(0);
  list.ctrlClick(1);
  list.ctrlClick(2);
  view_.selectionChanged();

  // A press on a selected item leaves the selection for the drag ...
  QTest::mousePress(&view_, Qt::LeftButton, {}, centre(1));
  EXPECT_EQ(list.selectionCount(), 3u);
  // ... and a drag that drops nowhere (the offscreen platform drops nothing) is a click.
  QTest::mouseMove(&view_, centre(1) + QPoint(40, 0));
  QTest::mouseRelease(&view_, Qt::LeftButton, {}, centre(1) + QPoint(40, 0));
  EXPECT_EQ(list.selectedIndexes(), (std::vector<std::size_t>{1}));

  // Ctrl-press on an unselected item adds it at once; the release does not toggle it back.
  QTest::mouseClick(&view_, Qt::LeftButton, Qt::ControlModifier, centre(2));
  EXPECT_EQ(list.selectedIndexes(), (std::vector<std::size_t>{1, 2}));
  // Ctrl-click on a selected item clears it at the release.
  QTest::mouseClick(&view_, Qt::LeftButton, Qt::ControlModifier, centre(1));
  EXPECT_EQ(list.selectedIndexes(), (std::vector<std::size_t>{2}));
}

TEST_F(GridTest, DoubleClickExtractsAMemberAndConvertsWhenNoProgramOpensIt) {
  std::ifstream in(std::string(LH_SAMPLES_DIR) + "/spiral.dst", std::ios::binary);
  const std::vector<std::uint8_t> dst{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(dst.empty());
  const std::string zip = dir_.file("set.zip");
  ASSERT_TRUE(ZipArchive::writeMember(zip, "designs/spiral.dst", dst));
  fill({item("designs/", "spiral.dst", zip)});

  MemorySettings store;  // tool format PES
  std::vector<std::string> launched;
  bool programThere = false;
  view_.setOpener(std::make_unique<DesignOpener>(store, view_.extractedFiles(), [&](const std::string& path) {
    launched.push_back(path);
    return programThere || launched.size() > 1;
  }));

  QTest::mouseDClick(&view_, Qt::LeftButton, {}, centre(0));
  ASSERT_EQ(launched.size(), 2u);
  EXPECT_EQ(fs::path(launched[0]).filename(), "spiral.dst");
  EXPECT_EQ(fs::path(launched[1]).filename(), "spiral.pes");
  EXPECT_EQ(fs::path(launched[1]).parent_path(), fs::path(launched[0]).parent_path());
  EXPECT_EQ(view_.extractedFiles().paths(), launched);
  EXPECT_TRUE(fs::exists(launched[1]));
  EXPECT_EQ(store.getString("Settings", "Last File", "unset"), "");  // a finished load is no crash

  // With a program for the type, the extracted copy (the same one) is all that is opened.
  launched.clear();
  programThere = true;
  QTest::mouseDClick(&view_, Qt::LeftButton, {}, centre(0));
  EXPECT_EQ(launched.size(), 1u);
  EXPECT_EQ(view_.extractedFiles().paths().size(), 2u);

  const std::vector<std::string> made = view_.extractedFiles().paths();
  EXPECT_EQ(view_.extractedFiles().removeAll(), 2u);
  for (const std::string& path : made) EXPECT_FALSE(fs::exists(path)) << path;
}

TEST_F(GridTest, HintOverCatalogEntriesOnNamedDisks) {
  FileItem onDisk = item("/media/u/STICK/", "rose.pes");
  onDisk.extra = "STICK";
  fill({onDisk, item("/home/u/", "tulip.pes")});
  EXPECT_EQ(view_.hintAt(0), "/media/u/STICK/rose.pes can be found on disk 'STICK'.");
  EXPECT_EQ(view_.hintAt(1), "");
  EXPECT_EQ(view_.hintAt(5), "");

  QString status;
  QObject::connect(&view_, &CBrowserView::statusText, [&](const QString& text) { status = text; });
  QTest::mouseMove(&view_, centre(0));
  EXPECT_EQ(status, view_.hintAt(0));
  QTest::mouseMove(&view_, centre(1));
  EXPECT_EQ(status, "");
}

TEST(DesignCellWidget, ColourListRefusedForTextAndPicturesAndKeptFromDesignToDesign) {
  BSingleView preview(false);
  preview.resize(300, 300);
  bool checked = false;
  QObject::connect(&preview, &BSingleView::colourListSwitched, [&](bool on) { checked = on; });
  for (CellPicture kind : {CellPicture::Text, CellPicture::PictureFile, CellPicture::Missing}) {
    preview.showItem(item("/d/", "notes.txt"));
    preview.setThumbnail(picture(kind));
    preview.switchColourList();
    EXPECT_FALSE(preview.colourListShown());
    preview.showItem(FileItem{});
  }
  preview.showItem(item("/d/", "rose.pes"));
  preview.setThumbnail(picture(CellPicture::Design, 1.0f));
  preview.switchColourList();
  EXPECT_TRUE(preview.colourListShown());
  EXPECT_TRUE(checked);

  preview.showItem(item("Zip:/d/set.zip:designs/", "tulip.pes", "/d/set.zip"));  // the next design
  EXPECT_TRUE(preview.colourListShown());
  preview.setThumbnail(picture(CellPicture::Text));  // it turned out to be no design
  EXPECT_FALSE(preview.colourListShown());
  EXPECT_FALSE(checked);
}

TEST(DesignCellWidget, CaptionThickLinesAndDistanceReadOut) {
  BSingleView cell(true);
  cell.showItem(item("designs/", "rose.pes", "/d/set.zip"));
  EXPECT_EQ(cell.caption(), "rose.pes(zip)");
  cell.resize(248, 300);
  EXPECT_FALSE(cell.wantedSpec(true, false).thickLines);
  cell.resize(250, 300);
  EXPECT_TRUE(cell.wantedSpec(true, false).thickLines);
  EXPECT_FALSE(cell.wantedSpec(false, false).thickLines);

  BSingleView preview(false);
  preview.resize(300, 300);
  EXPECT_EQ(preview.statusTextAt({150, 150}, false), "Select an image to view.");
  preview.showItem(item("/d/", "rose.pes"));
  preview.setThumbnail(picture(CellPicture::Design, 0.5f));  // 2 pixels a millimetre
  const GridRect r = preview.geometryNow().picture;
  const QPoint centre(r.x + r.width / 2, r.y + r.height / 2);
  EXPECT_EQ(preview.statusTextAt(centre + QPoint(50, -20), false), "Distance From Center: 1.00 cm. x 0.40 cm.");
  EXPECT_EQ(preview.statusTextAt(centre, true), "Select an image to view.");
  preview.setInches(true);
  EXPECT_EQ(preview.statusTextAt(centre, false).left(22), "Distance From Center: ");
  preview.setThumbnail(picture(CellPicture::PictureFile));
  EXPECT_EQ(preview.statusTextAt(centre, false), "rose.pes");
}

// Pixels of the lower half (where the "tmp " mark goes) that are red, or dark.
int pixelsBelow(const QImage& image, bool red) {
  int n = 0;
  for (int y = image.height() / 2; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      n += red ? c.red() > 200 && c.green() < 90 && c.blue() < 90 : c.lightness() < 100;
    }
  return n;
}

TEST(DesignCellWidget, TmpMarkRedWhenDeletedAtCloseBlackOtherwise) {
  BSingleView cell(true);
  cell.resize(128, 128);
  FileItem f = item("/tmp/My Temps/", "rose.pes");
  f.isTemporary = true;
  f.deleteAtClose = true;
  cell.showItem(f);
  cell.setThumbnail(picture(CellPicture::Text));
  EXPECT_GT(pixelsBelow(cell.grab().toImage(), true), 10);

  f.deleteAtClose = false;
  cell.showItem(f);  // the same file, marked anew
  const QImage black = cell.grab().toImage();
  EXPECT_EQ(pixelsBelow(black, true), 0);
  EXPECT_GT(pixelsBelow(black, false), 10);

  f.isTemporary = false;
  cell.showItem(f);
  EXPECT_EQ(pixelsBelow(cell.grab().toImage(), false), 0);
}

TEST(PreviewMenu, TextsFollowTheTogglesAndItemsTriggerTheViewCommands) {
  QAction jumps("Preview Jump stitches"), shading("3D Preview"), colours("Color Display");
  jumps.setCheckable(true);
  shading.setCheckable(true);
  shading.setChecked(true);
  int colourSwitches = 0;
  QObject::connect(&colours, &QAction::triggered, [&] { ++colourSwitches; });
  const PreviewCommands commands{&jumps, &shading, &colours};

  auto menu = buildPreviewMenu(commands, false);
  ASSERT_EQ(menu->actions().size(), 3);
  EXPECT_EQ(menu->objectName(), "PREVIEW");
  EXPECT_EQ(menu->actions()[0]->text(), "Show jump stitches");
  EXPECT_EQ(menu->actions()[1]->text(), "Turn Instant-3D Off");
  EXPECT_EQ(menu->actions()[2]->text(), "Show Color List");
  menu->actions()[0]->trigger();
  menu->actions()[1]->trigger();
  EXPECT_TRUE(jumps.isChecked());
  EXPECT_FALSE(shading.isChecked());
  EXPECT_EQ(buildPreviewMenu(commands, false)->actions()[0]->text(), "Hide jump stitches");

  auto shown = buildPreviewMenu(commands, true);
  EXPECT_EQ(shown->objectName(), "PREVIEW2");
  ASSERT_EQ(shown->actions().size(), 1);
  EXPECT_EQ(shown->actions()[0]->text(), "Show Image");
  shown->actions()[0]->trigger();
  EXPECT_EQ(colourSwitches, 1);
}

}  // namespace
}  // namespace lh
