// Converting the whole corpus with the tool runner, as `loomhall-cli convert --to pes|dst
// --out DIR -j N` does: files per second for one and two jobs. Output goes to a folder in
// memory (/dev/shm when there is one) so the figures measure conversion, not the disk.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/format_table.h"
#include "tools/tool_runner.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

// Every viewed design of the corpus (type folders and the zip archive's members), in name
// order; text and bitmap files are left out as the runner skips them.
std::vector<std::string> corpusItems() {
  std::vector<std::string> items;
  const fs::path root(LH_CORPUS_DIR);
  std::error_code ec;
  if (!fs::is_directory(root, ec)) return items;
  const std::vector<std::string> viewed = viewedTypes(defaultSettings());
  auto isDesign = [&](const std::string& path) {
    const std::string_view ext = extensionOf(path);
    if (equalsNoCase(ext, "txt") || equalsNoCase(ext, "bmp")) return false;
    return std::any_of(viewed.begin(), viewed.end(), [&](const std::string& t) { return equalsNoCase(ext, t); });
  };
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root, ec))
    if (e.is_regular_file() && e.path().string().find("/peer/") == std::string::npos) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  for (const std::string& f : files) {
    if (equalsNoCase(extensionOf(f), "zip")) {
      for (const std::string& m : ZipArchive::listMembers(f))
        if (isDesign(m)) items.push_back(makeZipPath(f, m));
    } else if (isDesign(f)) {
      items.push_back(f);
    }
  }
  return items;
}

std::string scratchFolder() {
  const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  return (base / ("lh-convert-bench-" + std::to_string(::getpid()))).string();
}

void BM_ConvertCorpus(benchmark::State& state) {
  static const std::vector<std::string> items = corpusItems();
  if (items.empty()) {
    state.SkipWithError("no corpus");
    return;
  }
  const int target = static_cast<int>(state.range(0));
  const int jobs = static_cast<int>(state.range(1));
  const std::optional<ToolCommandId> command = conversionTo(target);
  MemorySettings settings;
  RunSettings run = RunSettings::fromSettings(settings);
  run.workspace = true;
  run.directory = scratchFolder();
  std::size_t created = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(run.directory);
    fs::create_directories(run.directory);
    state.ResumeTiming();
    const RunResult r = runTool(*command, items, settings, run, RunCallbacks{}, jobs);
    created = r.created.size();
  }
  fs::remove_all(run.directory);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * items.size()));
  state.counters["designs"] = static_cast<double>(items.size());
  state.counters["files_written"] = static_cast<double>(created);
  state.SetLabel(std::string(formatName(target)) + " -j " + std::to_string(jobs));
}

BENCHMARK(BM_ConvertCorpus)
    ->Args({FormatPes, 1})
    ->Args({FormatPes, 2})
    ->Args({FormatDst, 1})
    ->Args({FormatDst, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lh

BENCHMARK_MAIN();
