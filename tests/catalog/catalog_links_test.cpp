#include "catalog/catalog_links.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/disk_naming.h"
#include "tests/catalog/catalog_outline.h"
#include "tests/support/fake_drives.h"
#include "tests/zip/temp_dir.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

using test::outline;
using test::readText;
using test::TempDir;

const std::vector<std::uint8_t> kDesign{1, 2, 3};

std::string folderOfDir(const TempDir& dir) { return dir.path().string() + "/"; }

TEST(FindFile, SearchesOneFolderItsArchivesAndNothingHidden) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "sub");
  dir.write("sub/Rose.pes", kDesign);
  dir.write(".rose.pes", kDesign);
  ASSERT_TRUE(ZipArchive::writeMember(dir.file("set.zip"), "ROSE.PES", kDesign));
  ASSERT_TRUE(ZipArchive::writeMember(dir.file("set.zip"), "deep/lily.pes", kDesign));
  ASSERT_TRUE(ZipArchive::writeMember(dir.file(".hidden.zip"), "tulip.pes", kDesign));

  // Only the archive holds a rose at the top level: the member is found, in its own case.
  const auto rose = findInFolder(dir.path().string(), "rose.pes");
  ASSERT_TRUE(rose);
  EXPECT_EQ(itemText(*rose), "Zip:" + dir.file("set.zip") + ":ROSE.PES");
  EXPECT_FALSE(findInFolder(dir.path().string(), "lily.pes"));   // not at the top level
  EXPECT_FALSE(findInFolder(dir.path().string(), "tulip.pes"));  // in a hidden archive
  EXPECT_FALSE(findInFolder(dir.file("nowhere"), "rose.pes"));

  // With the plain file beside the archive, the first of the two in the folder's listing wins.
  dir.write("rose.pes", kDesign);
  std::string first;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = e.path().filename().string();
    if (first.empty() && (name == "rose.pes" || name == "set.zip")) first = name;
  }
  const auto found = findInFolder(dir.path().string(), "ROSE.pes");
  ASSERT_TRUE(found);
  EXPECT_EQ(itemText(*found),
            first == "rose.pes" ? dir.file("rose.pes") : "Zip:" + dir.file("set.zip") + ":ROSE.PES");
}

TEST(FindFile, RelinksTheEntryAndOtherMissingLinks) {
  TempDir dir;
  const std::string old = "/gone/old/";
  dir.write("rose.pes", kDesign);
  dir.write("lily.pes", kDesign);
  ASSERT_TRUE(ZipArchive::writeMember(dir.file("more.zip"), "tulip.pes", kDesign));
  dir.write("present.pes", kDesign);
  Catalog catalog = readText("Top\r\n" + old + "rose.pes\tDISK\r\n\tA\r\n" + old + "lily.pes\r\n" + old +
                             "tulip.pes\r\n" + old + "daisy.pes\r\n/elsewhere/lily.pes\r\n" +
                             dir.file("present.pes") + "\r\n\tB\r\n" + old + "lily.pes\r\n");
  const FileItem rose = parseItemText(catalog.category(catalog.topCategory())->entries()[0]);
  const auto found = findInFolder(folderOfDir(dir), rose.name);
  ASSERT_TRUE(found);
  EXPECT_TRUE(relinkEntry(catalog, catalog.topCategory(), rose, *found));
  EXPECT_FALSE(relinkEntry(catalog, catalog.topCategory(), rose, *found));  // no longer there

  const auto changes = relinkMissing(catalog, folderOfDir(dir), old);
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0].oldText, old + "lily.pes");
  EXPECT_EQ(changes[1].newText, "Zip:" + dir.file("more.zip") + ":tulip.pes");
  EXPECT_EQ(changes[2].category, catalog.findCategory("Top\\B"));
  EXPECT_EQ(outline(catalog), "Top [" + dir.file("rose.pes") + "] | -A [" + dir.file("lily.pes") +
                                  ", Zip:" + dir.file("more.zip") + ":tulip.pes, " + old +
                                  "daisy.pes, /elsewhere/lily.pes, " + dir.file("present.pes") + "] | -B [" +
                                  dir.file("lily.pes") + "]");
  // Without a folder to come from, any missing entry is looked for.
  EXPECT_EQ(relinkMissing(catalog, folderOfDir(dir)).size(), 1u);
}

TEST(CatalogEntries, CategoriesHoldingAnItem) {
  const Catalog catalog = readText(
      "Top\r\n/A/Rose.PES\r\n\tOne\r\n/a/rose.pes\tDISK\r\n\tTwo\r\n/a/rose.pes\tdisk\r\n/a/rose.pes\r\n"
      "\tThree\r\nZip:/a/z.zip:rose.pes\r\n");
  EXPECT_EQ(catalogEntryPaths(catalog, parseItemText("/a/rose.pes")),
            (std::vector<std::string>{"Top", "Top\\Two"}));
  EXPECT_EQ(catalogEntryPaths(catalog, parseItemText("/a/rose.pes\tDISK")),
            (std::vector<std::string>{"Top", "Top\\One", "Top\\Two"}));
  EXPECT_EQ(catalogEntryPaths(catalog, parseItemText("Zip:/a/Z.zip:ROSE.pes")),
            std::vector<std::string>{"Top\\Three"});
  EXPECT_TRUE(catalogEntryPaths(catalog, parseItemText("/b/rose.pes")).empty());
}

TEST(CatalogEntries, RemovingAnItemFromOneCategoryTakesEveryEntryCountedAsIts) {
  Catalog catalog =
      readText("Top\r\n/a/rose.pes\r\n\tOne\r\n/A/ROSE.pes\r\n/a/lily.pes\r\n/a/rose.pes\tDISK\r\n");
  EXPECT_EQ(removeItemEntries(catalog, "Top\\One", parseItemText("/a/rose.pes")), 1u);
  EXPECT_EQ(outline(catalog), "Top [/a/rose.pes] | -One [/a/lily.pes, /a/rose.pes\tDISK]");
  EXPECT_EQ(removeItemEntries(catalog, "Top\\None", parseItemText("/a/rose.pes")), 0u);
}

// A rename follows the one file: an entry whose path only contains the old path (another
// folder ending in the same names) keeps its own.
TEST(CatalogEntries, RenamingAFileRewritesOnlyItsOwnEntries) {
  Catalog catalog = readText(
      "Top\r\n/a/rose.pes\r\n/x/a/rose.pes\r\n/a/rose.pes.txt\r\n\tOne\r\n/a/rose.pes\tDISK\r\n"
      "Zip:/a/set.zip:rose.pes\r\n");
  EXPECT_EQ(renameEntries(catalog, parseItemText("/a/rose.pes"), parseItemText("/a/rose2.pes")), 2u);
  const std::string others = "Top [/a/rose2.pes, /x/a/rose.pes, /a/rose.pes.txt] | -One [/a/rose2.pes\tDISK, ";
  EXPECT_EQ(outline(catalog), others + "Zip:/a/set.zip:rose.pes]");
  const FileItem member = parseItemText("Zip:/a/set.zip:rose.pes");
  EXPECT_EQ(renameEntries(catalog, member, parseItemText("Zip:/a/set.zip:r.pes")), 1u);
  EXPECT_EQ(outline(catalog), others + "Zip:/a/set.zip:r.pes]");
}

TEST(CatalogEntries, PresentMissingOrOnADiskThatIsOut) {
  TempDir dir;
  dir.write("rose.pes", kDesign);
  ASSERT_TRUE(ZipArchive::writeMember(dir.file("set.zip"), "lily.pes", kDesign));
  test::FakeDrives drives({{"/media/ann/SPRING", "/dev/sdb1", "vfat", "SPRING", DriveKind::Removable}});
  const struct {
    std::string text;
    EntryPresence presence;
  } cases[] = {
      {dir.file("rose.pes"), EntryPresence::Present},
      {"Zip:" + dir.file("set.zip") + ":LILY.pes", EntryPresence::Present},
      {"Zip:" + dir.file("set.zip") + ":rose.pes", EntryPresence::Missing},
      {dir.file("gone.pes"), EntryPresence::Missing},
      {"/media/ann/SPRING/gone.pes\tSPRING", EntryPresence::Missing},
      {"/media/ann/SUMMER/tulip.pes\tSUMMER", EntryPresence::DiskAbsent},
  };
  for (const auto& c : cases) EXPECT_EQ(checkEntry(parseItemText(c.text), drives), c.presence) << c.text;
}

TEST(DiskNaming, ItemsAndEntriesTakeTheNewName) {
  std::vector<FileItem> items = {parseItemText("/media/ann/OLD/a.pes\tOLD"),
                                 parseItemText("/media/ann/OLD/b.pes"),
                                 parseItemText("/mnt/other/c.pes\tOLD"), parseItemText("/home/ann/d.pes")};
  Catalog catalog = readText(
      "Top\r\n/media/ann/OLD/a.pes\tOLD\r\nZip:/media/ann/OLD/s.zip:x.pes\tOLD\r\n"
      "/mnt/other/c.pes\tOLD\r\n/media/ann/OLD/e.pes\tOTHER\r\n");
  const DiskNaming done = applyDiskName(items, catalog, "/media/ann/OLD", "OLD", "NEW");
  EXPECT_EQ(done.items, 3u);
  EXPECT_EQ(items[1].extra, "NEW");
  EXPECT_EQ(items[2].extra, "NEW");
  EXPECT_EQ(items[3].extra, "");
  EXPECT_EQ(itemText(items[0]), "/media/ann/OLD/a.pes\tNEW");  // mounted there until taken out
  EXPECT_EQ(done.entries, 2u);
  EXPECT_EQ(outline(catalog),
            "Top [/media/ann/NEW/a.pes\tNEW, Zip:/media/ann/NEW/s.zip:x.pes\tNEW, /mnt/other/c.pes\tOLD, "
            "/media/ann/OLD/e.pes\tOTHER]");

  // A disk that had no name: only its own items change, and no entry.
  std::vector<FileItem> more = {parseItemText("/media/ann/STICK/a.pes"), parseItemText("/home/ann/d.pes")};
  EXPECT_EQ(applyDiskName(more, catalog, "/media/ann/STICK", "", "STICK").entries, 0u);
  EXPECT_EQ(more[0].extra, "STICK");
  EXPECT_EQ(more[1].extra, "");
}

}  // namespace
}  // namespace lh
