#include "catalog/catalog.h"

#include <gtest/gtest.h>

#include <set>

#include "catalog/catalog_texts.h"
#include "catalog/tick_look.h"
#include "tests/catalog/catalog_outline.h"

namespace lh {
namespace {

using test::outline;
using test::readText;

TEST(Catalog, PathsAndFindingCategories) {
  Catalog catalog = readText("Top\r\n\tA\\\r\n\t\tB\r\n\tC\r\n\t\tB\r\n\tA\\\r\n\t\tB\r\n");
  const auto ids = catalog.depthFirst();
  ASSERT_EQ(ids.size(), 7u);
  // No second backslash after a name that ends with one.
  EXPECT_EQ(catalog.pathOf(ids[2]), "Top\\A\\B");
  EXPECT_EQ(catalog.pathOf(ids[4]), "Top\\C\\B");
  // The first in depth-first order wins.
  EXPECT_EQ(catalog.findCategory("Top\\A\\B"), ids[2]);
  EXPECT_EQ(catalog.findCategory("Top\\C\\B"), ids[4]);
  EXPECT_EQ(catalog.findCategory("Top\\c\\B"), 0u);
  EXPECT_EQ(catalog.findCategory("Top\\A\\\\B"), 0u);
  EXPECT_EQ(catalog.topCategory(), ids[0]);
}

TEST(Catalog, AddRenameAndDeleteCategories) {
  Catalog catalog = Catalog::fresh();
  const CategoryId top = catalog.topCategory();
  for (const char* name : {"roses", "Animals", "Birds", "apples"})
    EXPECT_NE(catalog.addCategory(top, name), 0u);
  EXPECT_EQ(outline(catalog), "Loomhall Catalog | -Animals | -apples | -Birds | -roses");
  // Top-level additions go last: the top category stays first.
  const CategoryId extra = catalog.addCategory(0, "Aardvark");
  EXPECT_EQ(catalog.topCategory(), top);
  for (const char* bad : {"", "two\nlines", "\tindented", "cr\r"})
    EXPECT_EQ(catalog.addCategory(top, bad), 0u) << bad;

  EXPECT_FALSE(catalog.renameCategory(extra, ""));  // keeps the old name
  EXPECT_EQ(catalog.category(extra)->name(), "Aardvark");
  EXPECT_TRUE(catalog.renameCategory(extra, "x\ny"));
  EXPECT_FALSE(catalog.renameCategory(extra, "Zebra"));
  EXPECT_EQ(catalog.category(extra)->name(), "Zebra");

  const auto refusal = catalog.deleteCategory(top);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->text, "Don't delete your top category. Try renaming it instead.");
  EXPECT_EQ(refusal->caption, "Whoops!");

  const CategoryId birds = catalog.findCategory("Loomhall Catalog\\Birds");
  const CategoryId chicks = catalog.addCategory(birds, "Chicks");
  catalog.addEntry(chicks, "/c.pes");
  EXPECT_FALSE(catalog.deleteCategory(birds));
  EXPECT_EQ(catalog.category(birds), nullptr);
  EXPECT_EQ(catalog.category(chicks), nullptr);
  EXPECT_EQ(catalog.entryCount(), 0u);
  EXPECT_EQ(outline(catalog), "Loomhall Catalog | -Animals | -apples | -roses | Zebra");
}

TEST(Catalog, IdsAreNeverZeroNorGivenTwice) {
  std::set<CategoryId> seen;
  for (int round = 0; round < 3; ++round) {
    Catalog catalog = readText("A1\r\n\tB1\r\nC1\r\n");
    for (CategoryId id : catalog.depthFirst()) {
      EXPECT_NE(id, 0u);
      EXPECT_TRUE(seen.insert(id).second);
    }
  }
}

TEST(Catalog, EntryOperations) {
  Catalog catalog = readText(
      "Top\r\n/a/rose.pes\r\n/a/rose.pes\tDISK\r\n"
      "\tOne\r\n/a/rose.pes\r\n/b/lily.pes\r\n"
      "\tTwo\r\n/b/lily.pes\r\n");
  const CategoryId top = catalog.findCategory("Top");
  const CategoryId one = catalog.findCategory("Top\\One");
  const CategoryId two = catalog.findCategory("Top\\Two");

  // Dropping the same design twice adds one entry; a text the file cannot hold is refused.
  EXPECT_TRUE(catalog.addEntry(two, "/c/tulip.pes"));
  EXPECT_FALSE(catalog.addEntry(two, "/c/tulip.pes"));
  EXPECT_FALSE(catalog.addEntry(two, "relative.pes"));
  EXPECT_FALSE(catalog.addEntry(two, "/bad\nline.pes"));

  EXPECT_TRUE(catalog.containsFile(two, "/c/tulip.pes\tANY"));  // the disk name does not count
  EXPECT_FALSE(catalog.containsFile(two, "/a/rose.pes"));

  // A new design after its source, in every category of the source that lacks it.
  catalog.addEntry(two, "/a/rose Sorted.pes\tX");
  EXPECT_EQ(catalog.addEntryAfter("/a/rose.pes", "/a/rose Sorted.pes"), 2u);
  EXPECT_EQ(catalog.addEntryAfter("/a/rose.pes", "/a/rose.pes"), 0u);
  EXPECT_EQ(outline(catalog),
            "Top [/a/rose.pes, /a/rose Sorted.pes, /a/rose.pes\tDISK] | "
            "-One [/a/rose.pes, /a/rose Sorted.pes, /b/lily.pes] | "
            "-Two [/b/lily.pes, /c/tulip.pes, /a/rose Sorted.pes\tX]");

  // Renaming a file rewrites every entry that holds the path, disk names included.
  EXPECT_EQ(catalog.replaceInEntries("/a/rose.pes", "/a/rose2.pes"), 3u);
  EXPECT_EQ(catalog.category(top)->entries()[2], "/a/rose2.pes\tDISK");
  EXPECT_EQ(catalog.replaceInEntries("/", ""), 0u);  // would leave texts that are no entries
  EXPECT_EQ(catalog.replaceInEntries("", "x"), 0u);

  // Everywhere: only categories holding the file, only entries of that exact text.
  EXPECT_EQ(catalog.removeEntryEverywhere("/a/rose2.pes"), 2u);
  EXPECT_EQ(catalog.category(top)->entries().size(), 2u);  // the DISK entry stays
  EXPECT_EQ(catalog.removeEntryFrom("Top\\Two", "/b/lily.pes"), 1u);
  EXPECT_EQ(catalog.removeEntryFrom("Top\\None", "/b/lily.pes"), 0u);
  EXPECT_EQ(catalog.removeEntryText(one, "/b/lily.pes"), 1u);

  EXPECT_TRUE(catalog.replaceEntry(two, "/c/tulip.pes", "/a/rose Sorted.pes\tX"));  // already there
  EXPECT_EQ(catalog.category(two)->entries(), std::vector<std::string>{"/a/rose Sorted.pes\tX"});
}

TEST(TickLooks, FollowTheTable) {
  using L = TickLook;
  const struct {
    bool ticked;
    std::vector<L> children;
    L look;
  } cases[] = {
      {false, {}, L::Clear},
      {true, {}, L::All},
      {false, {L::Clear, L::Clear}, L::Clear},
      {true, {L::Clear}, L::Alone},
      {true, {L::All, L::Alone}, L::TickedSome},
      {true, {L::UntickedSome}, L::TickedSome},  // counts as ticked: its look is not Clear
      {false, {L::All, L::All}, L::BelowOnly},
      {true, {L::All, L::All}, L::All},
      {false, {L::Clear, L::BelowOnly}, L::UntickedSome},
  };
  for (const auto& c : cases) EXPECT_EQ(tickLook(c.ticked, c.children), c.look) << static_cast<int>(c.look);
  for (L l : {L::Clear, L::BelowOnly, L::UntickedSome}) EXPECT_FALSE(isTicked(l));
  for (L l : {L::Alone, L::TickedSome, L::All}) EXPECT_TRUE(isTicked(l));
}

}  // namespace
}  // namespace lh
