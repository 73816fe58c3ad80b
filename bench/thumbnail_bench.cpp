// One page of the thumbnail grid (50 cells) through the thumbnail service: copies of the
// sample designs, and members of the sample archive, in a temporary folder made by the
// benchmark. Cold: the picture cache is emptied before every page (the files themselves
// stay in the system's file cache); warm: every picture comes from the cache.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "browser/view_core/grid_layout.h"
#include "browser/view_core/thumbnail_service.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

class SampleFolder {
 public:
  SampleFolder() {
    path_ = fs::temp_directory_path() / ("lh-thumbnail-bench-" + std::to_string(::getpid()));
    fs::create_directories(path_);
    std::vector<fs::path> designs;
    fs::path archive;
    for (const auto& entry : fs::directory_iterator(LH_SAMPLES_DIR)) {
      if (!entry.is_regular_file()) continue;
      if (entry.path().extension() == ".zip")
        archive = entry.path();
      else
        designs.push_back(entry.path());
    }
    std::sort(designs.begin(), designs.end());
    std::vector<std::string> members;
    if (!archive.empty()) {
      const fs::path copy = path_ / "archive.zip";
      fs::copy_file(archive, copy);
      for (const std::string& m : ZipArchive::listMembers(copy.string()))
        if (m.back() != '/') members.push_back(makeZipPath(copy.string(), m));
    }
    for (int i = 0; static_cast<int>(locations_.size()) < kGridCells; ++i) {
      if (!members.empty() && i % 10 == 9) {
        locations_.push_back(members[static_cast<std::size_t>(i / 10) % members.size()]);
        continue;
      }
      if (designs.empty()) break;
      const fs::path& from = designs[static_cast<std::size_t>(i) % designs.size()];
      const fs::path to = path_ / ("design " + std::to_string(i) + from.extension().string());
      fs::copy_file(from, to);
      locations_.push_back(to.string());
    }
  }
  ~SampleFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::vector<std::string>& locations() const { return locations_; }

 private:
  fs::path path_;
  std::vector<std::string> locations_;
};

std::vector<ThumbnailRequest> page(const SampleFolder& folder, const PictureSpec& spec) {
  std::vector<ThumbnailRequest> batch;
  std::uint64_t tag = 0;
  for (const std::string& location : folder.locations()) {
    ThumbnailRequest r;
    r.item = location;
    r.location = location;
    r.spec = spec;
    r.tag = tag++;
    batch.push_back(std::move(r));
  }
  return batch;
}

// range(0): the cell side (128 or 200); range(1): shaded.
void runPage(benchmark::State& state, bool warm) {
  const SampleFolder folder;
  if (folder.locations().size() != static_cast<std::size_t>(kGridCells)) {
    state.SkipWithError("no samples");
    return;
  }
  const int side = static_cast<int>(state.range(0));
  const PictureSpec spec = pictureSpec(cellGeometry(side, side, 13), state.range(1) != 0, false, 0xFFFFFF);
  PaletteManager screen;
  SharedPalette palette(screen);
  std::atomic<int> arrived{0};
  ThumbnailService service(palette, [&](ThumbnailResult) { arrived.fetch_add(1); });
  service.request(page(folder, spec));
  service.waitIdle();
  for (auto _ : state) {
    if (!warm) {
      state.PauseTiming();
      service.clearCache();
      state.ResumeTiming();
    }
    service.request(page(folder, spec));
    service.waitIdle();
  }
  if (arrived.load() != kGridCells * static_cast<int>(state.iterations() + 1)) state.SkipWithError("cells missing");
  state.SetItemsProcessed(state.iterations() * kGridCells);
  state.counters["threads"] = service.threadCount();
  state.counters["made"] = static_cast<double>(service.counts().made);
}

void BM_PageCold(benchmark::State& state) { runPage(state, false); }
void BM_PageWarm(benchmark::State& state) { runPage(state, true); }

}  // namespace
}  // namespace lh

BENCHMARK(lh::BM_PageCold)->Args({128, 0})->Args({128, 1})->Args({200, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(lh::BM_PageWarm)->Args({128, 0})->Args({200, 0})->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_MAIN();
