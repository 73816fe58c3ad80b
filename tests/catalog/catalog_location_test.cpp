#include "catalog/catalog_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalog/catalog_texts.h"
#include "tests/catalog/catalog_outline.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

using test::outline;
using test::TempDir;
namespace fs = std::filesystem;

std::vector<std::uint8_t> vec(std::string_view s) { return {s.begin(), s.end()}; }

std::string storedPath(const SettingsStore& store) {
  return store.getString("Settings", "Catalog Path", "(none)");
}

TEST(CatalogLocation, DataFolderFromTheEnvironment) {
  EXPECT_EQ(dataFolderFrom("/x/data/", "/home/ann"), "/x/data/Quenby/Loomhall");
  EXPECT_EQ(dataFolderFrom(nullptr, "/home/ann"), "/home/ann/.local/share/Quenby/Loomhall");
  EXPECT_EQ(dataFolderFrom("relative", "/home/ann/"), "/home/ann/.local/share/Quenby/Loomhall");
  EXPECT_EQ(dataFolderFrom(nullptr, nullptr), "");
  EXPECT_EQ(atelierFolder("/d/Quenby/Loomhall"), "/d/Quenby/Loomhall/Atelier");
  EXPECT_EQ(catalogFileIn("/d/"), "/d/Catalog.QY");
}

TEST(CatalogLocation, FreshStartCreatesTheCatalogWhereItStays) {
  TempDir dir;
  const std::string data = dir.file("data");
  MemorySettings store;
  Catalog catalog;
  const CatalogStartup first = openCatalogAtStartup(catalog, store, data);
  EXPECT_TRUE(first.error.empty()) << first.error;
  EXPECT_FALSE(first.move.moved);
  EXPECT_EQ(first.path, data + "/Atelier/Catalog.QY");
  EXPECT_EQ(storedPath(store), data + "/Atelier");
  EXPECT_EQ(dir.read("data/Atelier/Catalog.QY"), vec("Loomhall Catalog\r\n"));
  EXPECT_FALSE(fs::exists(data + "/Catalog.QY"));  // no second copy left behind
  EXPECT_EQ(outline(catalog), "Loomhall Catalog");

  catalog.addEntry(catalog.topCategory(), "/a/rose.pes");
  ASSERT_TRUE(saveCatalog(catalog, store, data).ok);
  Catalog again;
  const CatalogStartup second = openCatalogAtStartup(again, store, data);
  EXPECT_FALSE(second.move.moved);
  EXPECT_EQ(second.path, data + "/Atelier/Catalog.QY");
  EXPECT_EQ(outline(again), "Loomhall Catalog [/a/rose.pes]");
}

TEST(CatalogLocation, AStartMovesACatalogFromAnotherFolder) {
  TempDir dir;
  const std::string data = dir.file("data");
  const std::string old = dir.file("old");
  fs::create_directories(old);
  MemorySettings store;
  store.setString("Settings", "Catalog Path", old);
  std::ofstream(old + "/Catalog.QY", std::ios::binary) << "Loomhall Catalog\r\n/a/rose.pes\r\n";

  Catalog again;
  const CatalogStartup start = openCatalogAtStartup(again, store, data);
  EXPECT_TRUE(start.move.moved);
  EXPECT_EQ(start.path, data + "/Atelier/Catalog.QY");
  EXPECT_EQ(storedPath(store), data + "/Atelier");  // no trailing slash
  EXPECT_EQ(dir.read("data/Atelier/Catalog.QY"), dir.read("old/Catalog.QY"));
  EXPECT_EQ(outline(again), "Loomhall Catalog [/a/rose.pes]");
}

TEST(CatalogLocation, MovingKeepsADifferentCatalogAlreadyThere) {
  TempDir dir;
  const std::string data = dir.file("data");
  std::filesystem::create_directories(dir.path() / "data/Atelier");
  std::filesystem::create_directories(dir.path() / "mine");
  dir.write("data/Atelier/Catalog.QY", vec("Older\r\n/o.pes\r\n/p.pes\r\n"));
  dir.write("mine/Catalog.QY", vec("Mine\r\n"));
  MemorySettings store;
  store.setString("Settings", "Catalog Path", dir.file("mine/"));
  const CatalogMove move = moveCatalogToAtelier(store, data);
  EXPECT_TRUE(move.moved);
  EXPECT_EQ(move.keptOldAs, data + "/Atelier/Catalog(2).QY");
  EXPECT_EQ(dir.read("data/Atelier/Catalog.QY"), vec("Mine\r\n"));
  EXPECT_EQ(dir.read("data/Atelier/Catalog(2).QY"), vec("Older\r\n/o.pes\r\n/p.pes\r\n"));
  EXPECT_EQ(dir.read("mine/Catalog.QY"), vec("Mine\r\n"));
}

TEST(CatalogLocation, StartupProblems) {
  TempDir dir;
  const std::string data = dir.file("data");
  // An empty file gets its first line.
  std::filesystem::create_directories(dir.path() / "data/Atelier");
  dir.write("data/Atelier/Catalog.QY", {});
  MemorySettings store;
  store.setString("Settings", "Catalog Path", data + "/Atelier");
  Catalog catalog;
  EXPECT_TRUE(openCatalogAtStartup(catalog, store, data).error.empty());
  EXPECT_EQ(dir.read("data/Atelier/Catalog.QY"), vec("Loomhall Catalog\r\n"));

  // A catalog file that cannot be opened: the message, an empty catalog, no save over it.
  std::filesystem::remove(dir.path() / "data/Atelier/Catalog.QY");
  std::filesystem::create_directory(dir.path() / "data/Atelier/Catalog.QY");
  const CatalogStartup broken = openCatalogAtStartup(catalog, store, data);
  EXPECT_EQ(broken.error.rfind("Error reading catalog file:\n", 0), 0u);
  EXPECT_GT(broken.error.size(), catalog_texts::kErrorReading.size());
  EXPECT_TRUE(catalog.empty());
  EXPECT_FALSE(saveCatalog(catalog, store, data).ok);
}

TEST(CatalogLocation, ChangingTheFolder) {
  TempDir dir;
  const std::string data = dir.file("data");
  std::filesystem::create_directories(dir.path() / "one");
  std::filesystem::create_directories(dir.path() / "two");
  std::filesystem::create_directories(dir.path() / "three");
  dir.write("one/Catalog.QY", vec("One\r\n"));
  dir.write("three/Catalog.QY", vec("Three\r\n"));
  MemorySettings store;
  store.setString("Settings", "Catalog Path", dir.file("one"));
  Catalog catalog;
  loadCatalogFile(catalog, dir.file("one/Catalog.QY"));
  catalog.addEntry(catalog.topCategory(), "/x.pes");

  // A folder without a catalog gets this one; the old place has the latest state too.
  CatalogFolderChange change = changeCatalogFolder(catalog, store, dir.file("two/"), data);
  EXPECT_TRUE(change.savedOld.ok);
  EXPECT_TRUE(change.copiedToNew);
  EXPECT_EQ(storedPath(store), dir.file("two"));
  EXPECT_EQ(dir.read("one/Catalog.QY"), vec("One\r\n/x.pes\r\n"));
  EXPECT_EQ(dir.read("two/Catalog.QY"), vec("One\r\n/x.pes\r\n"));
  EXPECT_EQ(catalog.filePath(), dir.file("two/Catalog.QY"));

  // A folder with a catalog: that one is loaded.
  change = changeCatalogFolder(catalog, store, dir.file("three"), data);
  EXPECT_FALSE(change.copiedToNew);
  EXPECT_EQ(outline(catalog), "Three");
  EXPECT_EQ(dir.read("three/Catalog.QY"), vec("Three\r\n"));
}

}  // namespace
}  // namespace lh
