#include "browser/app/dialogs_find.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "tests/browser/browser_fixture.h"
#include "tests/browser_widgets/widgets_fixture.h"

namespace lh {
namespace {

// A design catalogued in old/ that now lies in new/, with a second missing one beside it.
struct FindFileTest : ::testing::Test {
  FindFileTest() {
    std::filesystem::create_directories(root.path() / "old");
    std::filesystem::create_directories(root.path() / "new");
    root.add("new/rose.pes");
    root.add("new/tulip.pes");
    category = catalog.addCategory(catalog.topCategory(), "Flowers");
    catalog.appendEntry(category, itemText(missing));
    catalog.appendEntry(category, root.file("old/tulip.pes"));
    pick.folder = [&](const std::string&) { return std::optional<std::string>(root.file("new")); };
    pick.file = [&](const std::string&, const std::string&) { return chosen; };
    pick.zip = [](const std::string&) { return std::optional<std::string>(); };
  }
  test::DesignFolder root;
  FileItem missing = test::fileItem(root.file("old") + "/", "rose.pes");
  Catalog catalog = Catalog::fresh();
  CategoryId category = 0;
  FindFilePickers pick;
  std::optional<std::string> chosen;
  test::RecordingAsker asker;
};

TEST_F(FindFileTest, TheAutomaticSearchFindsTheDesignAndMendsTheOtherLinks) {
  const auto found = locateMovedFile(missing, asker.asker(), pick);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->location(), root.file("new/rose.pes"));
  const auto changes = followMovedFile(catalog, category, missing, *found, asker.asker());
  EXPECT_EQ(changes.size(), 2u);
  EXPECT_EQ(catalog.category(category)->entries(),
            (std::vector<std::string>{root.file("new/rose.pes"), root.file("new/tulip.pes")}));
  EXPECT_EQ(asker.lastText(), "1 catalog links updated.");
  EXPECT_EQ(asker.lastCaption(), "Links Updated");
}

TEST_F(FindFileTest, AManuallyPickedFileOfAnotherNameIsTakenOnlyWhenConfirmed) {
  chosen = root.file("new/tulip.pes");
  asker.answer = QMessageBox::No;  // manual, not in a zip, not that file, no new search
  EXPECT_FALSE(locateMovedFile(missing, asker.asker(), pick));
  ASSERT_GE(asker.asked.size(), 2u);
  EXPECT_EQ(asker.asked[asker.asked.size() - 2].caption, "File names differ");
  EXPECT_EQ(asker.lastCaption(), "Search Again?");

  chosen = root.file("new/rose.pes");
  const auto found = locateMovedFile(missing, asker.asker(), pick);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->location(), root.file("new/rose.pes"));
}

}  // namespace
}  // namespace lh
