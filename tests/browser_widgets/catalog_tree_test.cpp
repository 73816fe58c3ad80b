#include "browser/app/catalog_tree.h"

#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "catalog/catalog_file.h"
#include "catalog/catalog_texts.h"
#include "tests/browser/browser_fixture.h"
#include "tests/browser_widgets/widgets_fixture.h"
#include "tests/support/fake_drives.h"

namespace lh {
namespace {

using test::drive;

// Top > Flowers > (Roses, Tulips); Top > Animals.
struct CatalogTreeTest : ::testing::Test {
  CatalogTreeTest() {
    flowers = catalog.addCategory(top, "Flowers");
    roses = catalog.addCategory(flowers, "Roses");
    tulips = catalog.addCategory(flowers, "Tulips");
    animals = catalog.addCategory(top, "Animals");
    catalog.setFilePath(data.file("Catalog.QY"));
    tree.setAsker(asker.asker());
    tree.rebuild();
  }
  std::vector<int> looks() const {
    std::vector<int> out;
    for (CategoryId id : {top, flowers, roses, tulips, animals}) out.push_back(static_cast<int>(tree.look(id)));
    return out;
  }
  std::string savedFile() const {
    const auto bytes = data.read("Catalog.QY");
    return {bytes.begin(), bytes.end()};
  }

  test::DesignFolder data;
  test::FakeDrives drives{{drive("/", DriveKind::Fixed)}};
  MemorySettings settings;
  Catalog catalog = Catalog::fresh();
  CategoryId top = catalog.topCategory();
  CategoryId flowers = 0, roses = 0, tulips = 0, animals = 0;
  test::RecordingAsker asker;
  BCatalogTree tree{catalog, settings, data.path().string(), drives};
};

TEST_F(CatalogTreeTest, ClicksGiveTheSixLooksFromTheCategoryUpwards) {
  QSignalSpy ticked(&tree, &BCatalogTree::categoryTicked);
  QSignalSpy unticked(&tree, &BCatalogTree::categoryUnticked);
  struct Step {
    const char* what;
    std::function<void()> click;
    std::vector<int> looks;  // top, flowers, roses, tulips, animals
  };
  const std::vector<Step> steps = {
      {"box on Flowers ticks it and below", [&] { tree.boxClick(flowers, false); }, {6, 5, 5, 5, 1}},
      {"name on Roses unticks it alone", [&] { tree.nameClick(roses, false); }, {6, 3, 1, 5, 1}},
      {"name on Flowers unticks it alone", [&] { tree.nameClick(flowers, false); }, {6, 6, 1, 5, 1}},
      {"name on Roses again", [&] { tree.nameClick(roses, false); }, {6, 4, 5, 5, 1}},
      {"box on Flowers (look 4) unticks below", [&] { tree.boxClick(flowers, false); }, {1, 1, 1, 1, 1}},
      {"name on Flowers ticks it alone", [&] { tree.nameClick(flowers, false); }, {6, 2, 1, 1, 1}},
      {"box on the top (look 6) unticks everything", [&] { tree.boxClick(top, false); }, {1, 1, 1, 1, 1}},
      {"box on the top (look 1) ticks everything", [&] { tree.boxClick(top, false); }, {5, 5, 5, 5, 5}},
  };
  for (const Step& step : steps) {
    step.click();
    EXPECT_EQ(looks(), step.looks) << step.what;
  }
  // Each category was listed as often as it was taken out again, and the last ticks hold.
  EXPECT_EQ(ticked.count() - unticked.count(), 5);
  EXPECT_EQ(tree.selectedCategory(), top);
}

TEST_F(CatalogTreeTest, CtrlClickClearsEveryOtherTickFirst) {
  tree.boxClick(flowers, false);
  QSignalSpy unticked(&tree, &BCatalogTree::categoryUnticked);
  QSignalSpy ticked(&tree, &BCatalogTree::categoryTicked);
  tree.nameClick(animals, true);
  EXPECT_EQ(looks(), (std::vector<int>{6, 1, 1, 1, 5}));
  EXPECT_EQ(unticked.count(), 3);
  ASSERT_EQ(ticked.count(), 1);
  EXPECT_EQ(ticked.at(0).at(0).value<CategoryId>(), animals);
  // Ctrl on a box changes the category alone: Flowers' sub-categories stay clear.
  tree.boxClick(flowers, true);
  EXPECT_EQ(looks(), (std::vector<int>{6, 2, 1, 1, 1}));
}

TEST_F(CatalogTreeTest, MouseOnTheBoxTicksBelowAndOnTheNameTicksAlone) {
  tree.resize(300, 300);
  tree.show();
  tree.expandAll();
  QTreeWidgetItem* item = tree.itemOf(flowers);
  const QRect rect = tree.visualItemRect(item);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 5, rect.center().y()));
  EXPECT_EQ(looks(), (std::vector<int>{6, 5, 5, 5, 1}));
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 40, rect.center().y()));
  EXPECT_EQ(looks(), (std::vector<int>{6, 4, 5, 5, 1}));
}

TEST_F(CatalogTreeTest, TicksAreRefusedWhileARunIsActive) {
  RunLock lock = RunLock::Plugin;
  tree.setRunLock([&] { return lock; });
  tree.boxClick(flowers, false);
  EXPECT_EQ(asker.lastCaption(), "Plug-in Running");
  lock = RunLock::Tool;
  tree.nameClick(flowers, false);
  EXPECT_EQ(asker.asked.size(), 1u);  // silently
  EXPECT_EQ(looks(), (std::vector<int>{1, 1, 1, 1, 1}));
}

TEST_F(CatalogTreeTest, TheTopCategoryIsNotDeletedAndOthersOnlyAfterYes) {
  tree.setCurrentItem(tree.itemOf(top));
  tree.deleteCategory();
  EXPECT_EQ(asker.lastCaption(), "Whoops!");
  EXPECT_EQ(asker.lastText(), "Don't delete your top category. Try renaming it instead.");
  EXPECT_NE(catalog.category(top), nullptr);

  tree.boxClick(flowers, false);
  QSignalSpy unticked(&tree, &BCatalogTree::categoryUnticked);
  tree.setCurrentItem(tree.itemOf(flowers));
  asker.answer = QMessageBox::No;
  tree.deleteCategory();
  EXPECT_EQ(asker.lastText(), "Are you sure your want to delete the category: \n'Flowers'");
  EXPECT_NE(catalog.category(roses), nullptr);
  asker.answer = QMessageBox::Yes;
  tree.deleteCategory();
  EXPECT_EQ(catalog.category(roses), nullptr);
  EXPECT_EQ(tree.itemOf(roses), nullptr);
  EXPECT_EQ(unticked.count(), 3);  // its designs leave the list
  EXPECT_EQ(tree.look(top), TickLook::Clear);
  EXPECT_EQ(savedFile().find("Flowers"), std::string::npos);
}

TEST_F(CatalogTreeTest, NewCategoriesGoUnderTheSelectedOneSortedAndSaved) {
  tree.setCurrentItem(tree.itemOf(flowers));
  tree.newCategoryNamed("Daisies");
  const Category& category = *catalog.category(flowers);
  ASSERT_EQ(category.childCount(), 3u);
  EXPECT_EQ(category.child(0).name(), "Daisies");
  EXPECT_EQ(tree.itemOf(flowers)->child(0)->text(0), "Daisies");
  EXPECT_NE(savedFile().find("\t\tDaisies"), std::string::npos);
}

TEST_F(CatalogTreeTest, DroppingTheSameDesignTwiceAddsOneEntry) {
  const std::string rose = data.add("rose.pes");
  const std::string notes = data.add("notes.txt");
  tree.catalogueFiles(roses, {rose, notes});
  tree.catalogueFiles(roses, {rose});
  ASSERT_EQ(catalog.category(roses)->entries().size(), 1u);
  EXPECT_EQ(catalog.category(roses)->entries()[0], rose);
  EXPECT_TRUE(asker.asked.empty());
  EXPECT_NE(savedFile().find(rose), std::string::npos);
}

TEST_F(CatalogTreeTest, TemporaryFilesAreRefusedWithTheTmpMessage) {
  std::filesystem::create_directories(data.path() / "tmp");
  const std::string kept = data.add("kept.pes");
  const std::string temporary = data.add("tmp/made.pes");
  tree.setTemporaryFolder(data.file("tmp"));
  tree.catalogueFiles(flowers, {kept, temporary});
  EXPECT_EQ(catalog.category(flowers)->entries(), std::vector<std::string>{kept});
  EXPECT_EQ(asker.lastCaption(), "Catalog Failure: Temporary (TMP) Files");
  EXPECT_TRUE(asker.lastText().startsWith("Some files were cataloged fine, but others were not.\n"));
}

TEST_F(CatalogTreeTest, AnUnnamedDiskIsNamedAndTheDropTriedAgain) {
  std::filesystem::create_directories(data.path() / "stick");
  const std::string stick = data.file("stick");
  drives.add(drive(stick, DriveKind::Removable));
  const std::string rose = data.add("stick/rose.pes");
  int namings = 0;
  tree.setDiskNamer([&] {
    ++namings;
    return drives.setLabel(drive(stick, DriveKind::Removable), "ROSES").empty();
  });
  asker.answer = QMessageBox::No;
  tree.catalogueFiles(flowers, {rose});
  EXPECT_EQ(asker.lastCaption(), "Catalog Failure: Un-Named Removable Disk");
  EXPECT_TRUE(catalog.category(flowers)->entries().empty());
  EXPECT_EQ(namings, 0);

  asker.answer = QMessageBox::Yes;
  tree.catalogueFiles(flowers, {rose});
  EXPECT_EQ(namings, 1);
  EXPECT_EQ(catalog.category(flowers)->entries(), std::vector<std::string>{rose + "\tROSES"});
}

}  // namespace
}  // namespace lh
