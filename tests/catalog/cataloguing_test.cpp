#include "catalog/cataloguing.h"

#include <gtest/gtest.h>

#include "catalog/catalog_texts.h"
#include "tests/support/fake_drives.h"
#include "tests/tools/tool_fixtures.h"
#include "tools/tool_runner.h"

namespace lh {
namespace {

using R = CatalogRefusalKind;

test::FakeDrives sampleDrives() {
  return test::FakeDrives({
      {"/", "/dev/sda1", "ext4", "", DriveKind::Fixed},
      {"/media/u/SPRING", "/dev/sdb1", "vfat", "SPRING", DriveKind::Removable},
      {"/media/u/stick", "/dev/sdc1", "vfat", "", DriveKind::Removable},
      {"/media/u/cd", "/dev/sr0", "iso9660", "", DriveKind::Optical},
      {"/mnt/share", "server:/x", "nfs", "", DriveKind::Network},
  });
}

TEST(Cataloguing, EntryAndRefusalOfEachKindOfPlace) {
  const test::FakeDrives drives = sampleDrives();
  const std::string temp = "/home/u/Loomhall/My Temps/";
  struct Case {
    std::string location;
    std::string text;  // the entry it gets
    R refused;
  } cases[] = {
      {"/home/u/rose.pes", "/home/u/rose.pes", R::None},
      {"/home/u/a/../rose.pes", "/home/u/rose.pes", R::None},
      {"/mnt/share/rose.pes", "/mnt/share/rose.pes", R::None},
      {"/media/u/SPRING/tulip.pes", "/media/u/SPRING/tulip.pes\tSPRING", R::None},
      {"Zip:/media/u/SPRING/set.zip:a/b.pes", "Zip:/media/u/SPRING/set.zip:a/b.pes\tSPRING", R::None},
      {"/media/u/stick/tulip.pes", "/media/u/stick/tulip.pes", R::Unnamed},
      {"Zip:/media/u/stick/set.zip:b.pes", "Zip:/media/u/stick/set.zip:b.pes", R::Unnamed},
      {"/media/u/cd/tulip.pes", "/media/u/cd/tulip.pes", R::Unnamed},
      {"/home/u/Loomhall/My Temps/rose.dst", "/home/u/Loomhall/My Temps/rose.dst", R::Temporary},
      {"Zip:/home/u/Loomhall/My Temps/s.zip:r.pes", "Zip:/home/u/Loomhall/My Temps/s.zip:r.pes",
       R::Temporary},
      // A folder whose name only begins like the temporary one is not in it.
      {"/home/u/Loomhall/My Temps2/rose.dst", "/home/u/Loomhall/My Temps2/rose.dst", R::None},
  };
  for (const Case& c : cases) {
    const CatalogCandidate got = catalogCandidate(c.location, drives, temp);
    EXPECT_EQ(itemText(got.item), c.text) << c.location;
    EXPECT_EQ(got.refused, c.refused) << c.location;
  }
  // Relative paths become absolute; no temporary folder refuses nothing.
  const CatalogCandidate relative = catalogCandidate("rose.pes", drives, {});
  EXPECT_EQ(relative.item.folder.front(), '/');
  EXPECT_EQ(catalogCandidate("/home/u/Loomhall/My Temps/x.pes", drives, {}).refused, R::None);
}

TEST(Cataloguing, RepeatedDesignsAddNothingAndRefusalsAreToldOnce) {
  const test::FakeDrives drives = sampleDrives();
  Catalog catalog = Catalog::fresh();
  const CategoryId top = catalog.topCategory();
  std::vector<CatalogCandidate> drop;
  for (const char* path : {"/home/u/rose.pes", "/home/u/rose.pes", "/media/u/stick/a.pes",
                           "/media/u/stick/b.pes", "/tmp/t/c.pes"})
    drop.push_back(catalogCandidate(path, drives, "/tmp/t"));

  const CataloguingResult first = catalogueInto(catalog, top, drop);
  EXPECT_EQ(first.added, std::vector<std::string>{"/home/u/rose.pes"});
  EXPECT_EQ(first.present, std::vector<std::string>{"/home/u/rose.pes"});
  EXPECT_EQ(first.unnamed.size(), 2u);
  EXPECT_EQ(first.temporary, std::vector<std::string>{"/tmp/t/c.pes"});
  EXPECT_EQ(catalog.category(top)->entries(), std::vector<std::string>{"/home/u/rose.pes"});

  const auto told = refusalMessages(first, true);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[0].caption, catalog_texts::kUnnamedDiskCaption);
  EXPECT_EQ(told[0].text,
            "Some files were cataloged fine, but others were not.\n"
            "You have asked to catalog files from an unnamed removable or floppy disk.\n"
            "Would you like to name this disk?\n\n");
  EXPECT_EQ(told[1].caption, catalog_texts::kTemporaryFilesCaption);
  EXPECT_EQ(told[1].text.rfind("Some files", 0), 0u);

  // The same drop again adds nothing, so the messages lose their first line.
  const CataloguingResult again = catalogueInto(catalog, top, drop);
  EXPECT_TRUE(again.added.empty());
  EXPECT_EQ(catalog.category(top)->entries().size(), 1u);
  const auto second = refusalMessages(again, false);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].text, catalog_texts::kUnnamedDisk);
  EXPECT_EQ(second[1].text, catalog_texts::kTemporaryFiles);
  EXPECT_TRUE(refusalMessages(CataloguingResult{{"x"}, {}, {}, {}}, true).empty());
}

TEST(CatalogFollower, ListsNewFilesAfterTheirSourceInEveryCategory) {
  const test::FakeDrives drives = sampleDrives();
  Catalog catalog = Catalog::fresh();
  const CategoryId top = catalog.topCategory();
  const CategoryId flowers = catalog.addCategory(top, "Flowers");
  const CategoryId other = catalog.addCategory(top, "Other");
  catalog.addEntry(top, "/home/u/rose.pes");
  catalog.addEntry(top, "/home/u/lily.pes");
  catalog.addEntry(flowers, "/media/u/SPRING/rose.pes\tSPRING");
  catalog.addEntry(flowers, "/home/u/rose.pes");
  catalog.addEntry(other, "/home/u/lily.pes");

  CatalogFollower follower(catalog, drives, "/tmp/t");
  const auto created = follower.callback();
  created("/home/u/rose.pes", "/home/u/rose.dst");
  created("/media/u/SPRING/rose.pes", "/media/u/SPRING/rose.dst");  // the disk name on both
  created("/home/u/lily.pes", "/tmp/t/lily.dst");                   // temporary: not listed
  created("/home/u/rose.pes", "/home/u/rose.dst");                  // once per category

  EXPECT_EQ(catalog.category(top)->entries(),
            (std::vector<std::string>{"/home/u/rose.pes", "/home/u/rose.dst", "/home/u/lily.pes"}));
  EXPECT_EQ(catalog.category(flowers)->entries(),
            (std::vector<std::string>{"/media/u/SPRING/rose.pes\tSPRING", "/media/u/SPRING/rose.dst\tSPRING",
                                      "/home/u/rose.pes", "/home/u/rose.dst"}));
  EXPECT_EQ(catalog.category(other)->entries(), std::vector<std::string>{"/home/u/lily.pes"});
  EXPECT_EQ(follower.insertions(), 3u);
}

TEST(CatalogFollower, FollowsARealToolRun) {
  test::ScratchDir dir;
  const std::string source = dir / "wide.dst";
  test::writeDst(test::sampleDesign(300, 100, 12), source);
  Catalog catalog = Catalog::fresh();
  catalog.addEntry(catalog.topCategory(), source);
  const test::FakeDrives drives;
  CatalogFollower follower(catalog, drives, {});
  MemorySettings settings;
  RunSettings run;
  run.workspace = false;
  RunCallbacks callbacks;
  callbacks.fileCreated = follower.callback();
  const RunResult r =
      runTool(ToolCommandId::ConvertToSew, std::vector<std::string>{source}, settings, run, callbacks);
  ASSERT_FALSE(r.created.empty());
  std::vector<std::string> expected{source};
  expected.insert(expected.end(), r.created.rbegin(), r.created.rend());
  // Each new file goes right after the source (of a split design, the later parts first).
  EXPECT_EQ(catalog.category(catalog.topCategory())->entries(), expected);
}

}  // namespace
}  // namespace lh
