// The grid with its loader's pool of threads: paging on and switching the shaded look while
// pictures are still being made leaves every cell with its own item's picture, and the
// workers' codecs all idle. The tsan preset runs it under ThreadSanitizer, where it checks
// the hand-over of pictures to the user-interface thread, the shared screen palette (flat
// and shaded renders side by side), the crash guard's record and the codecs' busy counts.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <map>
#include <string>

#include "browser/app/browser_view.h"
#include "browser/app/crash_guard.h"
#include "browser/app/picture_loader.h"
#include "browser/app/single_view.h"
#include "design/settings.h"
#include "formats/format_table.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
constexpr int kLoadWait = 60000;  // ms: an upper bound for sanitizer builds, not a measure
constexpr int kCopies = 40;       // of each sample design: several pages of items

// The sample design an item was copied from ("copy007 flower.pes" -> "flower.pes"); archive
// members keep their own names.
std::string sourceOf(const std::string& name) { return name.rfind("copy", 0) == 0 ? name.substr(8) : name; }

class GridThreadsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.path().toStdString();
    for (const auto& e : fs::directory_iterator(LH_SAMPLES_DIR)) {
      const std::string name = e.path().filename().string();
      if (e.path().extension() == ".zip") {
        fs::copy_file(e.path(), folder_ + "/" + name);
        continue;
      }
      for (int i = 0; i < kCopies; ++i) {
        const std::string n = std::to_string(1000 + i).substr(1);
        fs::copy_file(e.path(), folder_ + "/copy" + n + " " + name);
      }
    }
    view_.resize(900, 600);  // 6 x 4 cells of the small size
    view_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    view_.fileList().addFolder(1, folder_, viewedTypes(MemorySettings{}), nullptr);
    view_.listChanged();
  }

  // Every picture asked for has been made and handed to its cell (a cell keeps its old
  // picture until the new look's arrives, so allShownReady alone is not enough).
  bool settled() {
    if (!QTest::qWaitFor([&] { return loader_.idle(); }, kLoadWait)) return false;
    QCoreApplication::processEvents();
    return view_.allShownReady();
  }

  void pageDown() {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QCoreApplication::sendEvent(&view_, &key);
  }

  // Every shown cell's picture is the one first seen for its source in the same look.
  void expectPicturesOf(std::map<std::string, QImage>& seen) {
    ASSERT_TRUE(settled());
    for (int k = 0; k < view_.shownCells(); ++k) {
      const BSingleView& cell = *view_.cell(k);
      const std::string source = sourceOf(cell.item().name);
      EXPECT_EQ(cell.pictureKind(), CellPicture::Design) << cell.caption();
      const auto [it, first] = seen.try_emplace(source, cell.image());
      if (!first) {
        EXPECT_EQ(cell.image(), it->second) << cell.caption();
      }
    }
  }

  QTemporaryDir dir_;
  std::string folder_;
  QTemporaryDir guardDir_;
  CrashGuard guard_{guardDir_.path().toStdString() + "/last-file"};
  PictureLoader loader_{nullptr, 4, &guard_};
  CBrowserView view_{loader_};
};

TEST_F(GridThreadsTest, PagingAndSwitchingLooksWhilePicturesArriveLeavesEveryCellItsOwnPicture) {
  ASSERT_GT(view_.fileList().size(), static_cast<std::size_t>(4 * view_.shownCells()));
  std::map<std::string, QImage> flat;
  std::map<std::string, QImage> shaded;
  expectPicturesOf(flat);

  // Page on without waiting, the look switching every other page, pictures arriving throughout.
  for (int page = 1; view_.firstShown() < view_.layout().lastFirst(); ++page) {
    pageDown();
    if (page % 2 == 0) view_.setThumbnails3D(!view_.thumbnails3D());
    QCoreApplication::processEvents();
  }
  view_.setThumbnails3D(true);
  expectPicturesOf(shaded);
  view_.setThumbnails3D(false);
  expectPicturesOf(flat);
  view_.scrollTo(view_.layout().home());
  expectPicturesOf(flat);

  EXPECT_EQ(loader_.busyLoads(), 0);
  ASSERT_EQ(flat.size(), shaded.size());
  for (const auto& [source, image] : flat) EXPECT_NE(image, shaded[source]) << source;
}

}  // namespace
}  // namespace lh
