#include "catalog/catalog_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "catalog/catalog_texts.h"
#include "tests/catalog/catalog_outline.h"
#include "tests/support/process_guards.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

using test::outline;
using test::readText;
using test::TempDir;
using namespace std::string_literals;

const std::string kSevenLines =
    "Loomhall Catalog\r\n"
    "/home/ann/Designs/rose.pes\r\n"
    "\tFlowers\r\n"
    "/media/ann/SPRING/tulip.pes\tSPRING\r\n"
    "\t\tRoses\r\n"
    "Zip:/home/ann/z/set.zip:a.pes\r\n"
    "\tAnimals\r\n";

std::vector<std::uint8_t> vec(std::string_view s) { return {s.begin(), s.end()}; }

TEST(CatalogFile, SevenLineExampleReadsAndWritesBackTheSameBytes) {
  const Catalog catalog = readText(kSevenLines);
  EXPECT_EQ(
      outline(catalog),
      "Loomhall Catalog [/home/ann/Designs/rose.pes] | -Flowers [/media/ann/SPRING/tulip.pes\tSPRING] | "
      "--Roses [Zip:/home/ann/z/set.zip:a.pes] | -Animals");
  EXPECT_EQ(writeCatalog(catalog), kSevenLines);
  EXPECT_EQ(catalog.pathOf(catalog.findCategory("Loomhall Catalog\\Flowers\\Roses")),
            "Loomhall Catalog\\Flowers\\Roses");
}

TEST(CatalogFile, ReadingRules) {
  const struct {
    const char* what;
    std::string text;
    const char* tree;
    std::size_t dropped;
  } cases[] = {
      {"LF line ends", "Top\n/a.pes\n\tSub\n", "Top [/a.pes] | -Sub", 0},
      {"depths relative to the first line", "\t\tTop\r\n\t\t\tSub\r\n\t\tNext\r\n", "Top | -Sub | Next", 0},
      {"five extra tabs make a direct child", "Top\r\n\tA\r\n\t\t\t\t\t\t\tB\r\n\t\tC\r\n",
       "Top | -A | --B | --C", 0},
      {"fewer tabs go up to that depth", "Top\r\n\tA\r\n\t\tB\r\n\t\t\tC\r\n\tD\r\n",
       "Top | -A | --B | ---C | -D", 0},
      {"less than the first line is top-level", "\tTop\r\n\t\tA\r\nBb\r\n", "Top | -A | Bb", 0},
      {"entries before the first category", "/x.pes\r\nC:\\y.pes\r\nTop\r\n", "Top", 2},
      {"short and tab-only lines skipped", "Top\r\n\r\nx\r\n\t\t\r\n\tA\r\n", "Top | -A", 0},
      {"entry shapes", "Top\r\nC:\\w.pes\r\nzIP:/z.zip:a.pes\r\n/l.pes\r\nnot/entry\r\n",
       "Top [C:\\w.pes, zIP:/z.zip:a.pes, /l.pes] | not/entry", 0},
      {"no duplicate test while reading", "Top\r\n/a.pes\r\n/a.pes\r\n", "Top [/a.pes, /a.pes]", 0},
      {"a NUL ends a line", "Top\r\n/a.pes\0\0\0/b.pes\r\n\0\0\0\0"s, "Top [/a.pes, /b.pes]", 0},
      {"no category line", "/a.pes\r\n/b.pes", "", 2},
      {"empty file", "", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CatalogReadStats stats;
    const Catalog catalog = readText(c.text, &stats);
    EXPECT_EQ(outline(catalog), c.tree);
    EXPECT_EQ(stats.droppedEntries, c.dropped);
    EXPECT_EQ(outline(readText(writeCatalog(catalog))), c.tree);
  }
}

TEST(CatalogFile, NamesThatWouldReadAsSomethingElseStillReadBack) {
  // "\tA" is a category A; written at depth 0 it would be a one-character line, and "\t:x"
  // written at depth 1 would be an entry line. The writer indents such trees further.
  const Catalog catalog = readText("\tA\r\n\t\t\t:x\r\n\tZip:y\r\n\t/z\r\n");
  ASSERT_EQ(outline(catalog), "A | -:x | Zip:y | /z");
  const std::string written = writeCatalog(catalog);
  EXPECT_EQ(written.substr(0, 4), "\t\tA\r");
  EXPECT_EQ(outline(readText(written)), outline(catalog));
}

TEST(CatalogFile, GarbageAndLongLinesReadWithoutLoss) {
  std::string garbage;
  std::uint32_t seed = 7;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    garbage += static_cast<char>(seed >> 24);
  }
  const std::string longName(1 << 20, 'n');
  for (const std::string& text : {garbage, "Top\r\n\t" + longName + "\r\n/" + longName + "\r\n"}) {
    const Catalog once = readText(text);
    const Catalog twice = readText(writeCatalog(once));
    EXPECT_EQ(outline(twice), outline(once));
    EXPECT_EQ(writeCatalog(twice), writeCatalog(once));
  }
  EXPECT_EQ(readText("Top\r\n\t" + longName).topLevel(0).child(0).name(), longName);
}

TEST(CatalogFile, NewCatalogIsExactlyItsFirstLine) {
  EXPECT_EQ(writeCatalog(Catalog::fresh()), "Loomhall Catalog\r\n");
  EXPECT_EQ(catalog_texts::kNewCatalogFile, "Loomhall Catalog\r\n");
}

TEST(CatalogFile, LoadStatesAndTheSaveRefusal) {
  TempDir dir;
  dir.write("Catalog.QY", vec(kSevenLines));
  dir.write("lost.QY", vec("/a.pes\r\nTop\r\n"));
  dir.write("list.txt", vec(kSevenLines));
  std::filesystem::create_directory(dir.file("folder.QY"));
  const struct {
    const char* name;
    CatalogLoad status;
    bool mayBeSaved;
  } cases[] = {
      {"Catalog.QY", CatalogLoad::Loaded, true},     {"missing.QY", CatalogLoad::Missing, true},
      {"folder.QY", CatalogLoad::Unreadable, false}, {"list.txt", CatalogLoad::NotCatalog, false},
      {"lost.QY", CatalogLoad::Loaded, false},  // an entry line had no category to go to
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Catalog catalog = Catalog::fresh();
    const CatalogLoadResult load = loadCatalogFile(catalog, dir.file(c.name));
    EXPECT_EQ(load.status, c.status);
    EXPECT_EQ(catalog.filePath(), dir.file(c.name));
    EXPECT_EQ(catalog.saveRefusal().empty(), c.mayBeSaved);
    if (c.mayBeSaved) continue;
    const bool file = std::filesystem::is_regular_file(dir.file(c.name));
    const auto before = file ? dir.read(c.name) : std::vector<std::uint8_t>{};
    const CatalogSaveResult save = saveCatalogFile(catalog, dir.file(c.name));
    EXPECT_FALSE(save.ok);
    EXPECT_EQ(save.error.rfind(catalog_texts::kSaveRefused, 0), 0u) << save.error;
    if (file) {
      EXPECT_EQ(dir.read(c.name), before);
    } else {
      EXPECT_TRUE(std::filesystem::is_directory(dir.file(c.name)));
    }
  }
}

TEST(CatalogFile, SavesReplaceTheFileWholeOrNotAtAll) {
  TempDir dir;
  const std::string path = dir.file("Catalog.QY");
  dir.write("Catalog.QY", vec(kSevenLines));
  ::chmod(path.c_str(), 0640);
  Catalog catalog;
  ASSERT_EQ(loadCatalogFile(catalog, path).status, CatalogLoad::Loaded);
  for (int i = 0; i < 2000; ++i)
    catalog.addEntry(catalog.topCategory(), "/d/design" + std::to_string(i) + ".pes");
  {
    test::ScopedFileSizeLimit limit(4096);
    const CatalogSaveResult failed = saveCatalogFile(catalog, path);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error.rfind(catalog_texts::kSaveFailed, 0), 0u) << failed.error;
  }
  EXPECT_EQ(dir.read("Catalog.QY"), vec(kSevenLines));
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"Catalog.QY"});

  ASSERT_TRUE(saveCatalogFile(catalog, path).ok);
  Catalog again;
  loadCatalogFile(again, path);
  EXPECT_EQ(outline(again), outline(catalog));
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(CatalogFile, SavingThroughASymbolicLinkKeepsTheLink) {
  TempDir dir;
  dir.write("real.QY", vec("Top\r\n"));
  std::filesystem::create_symlink(dir.file("real.QY"), dir.file("Catalog.QY"));
  Catalog catalog;
  loadCatalogFile(catalog, dir.file("Catalog.QY"));
  catalog.addEntry(catalog.topCategory(), "/a.pes");
  ASSERT_TRUE(saveCatalogFile(catalog, dir.file("Catalog.QY")).ok);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("Catalog.QY")));
  EXPECT_EQ(dir.read("real.QY"), vec("Top\r\n/a.pes\r\n"));
}

}  // namespace
}  // namespace lh
