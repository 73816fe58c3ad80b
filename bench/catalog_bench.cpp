// The catalog at a large collector's size: 100,000 entries in 1,000 categories. Loading and
// saving the file (saving includes the flush to disk; the file lives in /dev/shm when there
// is one, so the figure is the program's part), and renaming one folder in every entry.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "catalog/catalog.h"
#include "catalog/catalog_file.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

constexpr int kChildren = 37;
constexpr int kGrandchildren = 26;  // 1 + 37 + 37 * 26 = 1,000 categories
constexpr int kEntriesEach = 100;   // 100,000 entries

std::string scratchFile() {
  const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  return (base / ("lh-catalog-bench-" + std::to_string(::getpid()) + ".QY")).string();
}

void fill(Catalog& catalog, CategoryId category, int& folder) {
  const std::string base = "/home/ann/Designs/folder" + std::to_string(folder++) + "/";
  for (int i = 0; i < kEntriesEach; ++i) {
    std::string text = base + "design " + std::to_string(i) + ".pes";
    if (i % 10 == 0) text = "Zip:" + base + "set.zip:member " + std::to_string(i) + ".pes";
    if (i % 7 == 0) text = "/media/ann/SPRING/design " + std::to_string(i) + ".pes\tSPRING";
    catalog.appendEntry(category, std::move(text));
  }
}

Catalog bigCatalog() {
  Catalog catalog = Catalog::fresh();
  int folder = 0;
  fill(catalog, catalog.topCategory(), folder);
  for (int c = 0; c < kChildren; ++c) {
    const CategoryId child = catalog.appendCategory(catalog.topCategory(), "Category " + std::to_string(c));
    fill(catalog, child, folder);
    for (int g = 0; g < kGrandchildren; ++g) {
      const CategoryId grandchild = catalog.appendCategory(child, "Theme " + std::to_string(g));
      fill(catalog, grandchild, folder);
    }
  }
  return catalog;
}

void BM_LoadCatalog(benchmark::State& state) {
  Catalog catalog = bigCatalog();
  const std::string path = scratchFile();
  if (!saveCatalogFile(catalog, path).ok) {
    state.SkipWithError("cannot write the catalog");
    return;
  }
  for (auto _ : state) {
    Catalog loaded;
    benchmark::DoNotOptimize(loadCatalogFile(loaded, path));
  }
  fs::remove(path);
  state.counters["entries"] = static_cast<double>(catalog.entryCount());
}
BENCHMARK(BM_LoadCatalog)->Unit(benchmark::kMillisecond);

void BM_SaveCatalog(benchmark::State& state) {
  Catalog catalog = bigCatalog();
  const std::string path = scratchFile();
  for (auto _ : state)
    if (!saveCatalogFile(catalog, path).ok) state.SkipWithError("cannot write the catalog");
  state.counters["bytes"] = static_cast<double>(fs::file_size(path));
  fs::remove(path);
}
BENCHMARK(BM_SaveCatalog)->Unit(benchmark::kMillisecond);

// Renaming a folder that 100 entries hold, as the file list does after renaming a file; the
// name goes back and forth so every round does the same work.
void BM_ReplaceInEntries(benchmark::State& state) {
  Catalog catalog = bigCatalog();
  bool there = false;
  for (auto _ : state) {
    benchmark::DoNotOptimize(there ? catalog.replaceInEntries("/folder500x/", "/folder500/")
                                   : catalog.replaceInEntries("/folder500/", "/folder500x/"));
    there = !there;
  }
}
BENCHMARK(BM_ReplaceInEntries)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lh

BENCHMARK_MAIN();
