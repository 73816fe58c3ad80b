// Archive work of a batch run: storing 500 new members into one archive one by one (a
// rewrite each) against all at once, and reading every member of an archive, as converting
// it with --out does. The archives live in memory (/dev/shm when there is one).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "zip/zip_archive.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

std::string scratchArchive(const char* name) {
  const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  return (base / ("lh-zip-bench-" + std::to_string(::getpid()) + "-" + name)).string();
}

// About the size of a small design file, compressible like one.
std::vector<std::uint8_t> designLike(std::size_t n, std::uint32_t seed) {
  std::vector<std::uint8_t> out(n);
  for (std::size_t i = 0; i < n; ++i) {
    seed = seed * 1664525u + 1013904223u;
    out[i] = static_cast<std::uint8_t>((seed >> 28) + (i % 7));
  }
  return out;
}

std::vector<std::vector<std::uint8_t>> members(std::size_t count) {
  std::vector<std::vector<std::uint8_t>> out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(designLike(8 * 1024, static_cast<std::uint32_t>(i)));
  return out;
}

void BM_StoreOneByOne(benchmark::State& state) {
  const auto data = members(static_cast<std::size_t>(state.range(0)));
  const std::string archive = scratchArchive("one.zip");
  for (auto _ : state) {
    fs::remove(archive);
    for (const auto& m : data) ZipArchive::writeMember(archive, "rose.pes", m, ZipUniqueName);
  }
  fs::remove(archive);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StoreOneByOne)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_StoreBatch(benchmark::State& state) {
  const auto data = members(static_cast<std::size_t>(state.range(0)));
  std::vector<ZipArchive::NewMember> batch;
  for (const auto& m : data) batch.push_back({"rose.pes", m});
  const std::string archive = scratchArchive("batch.zip");
  for (auto _ : state) {
    fs::remove(archive);
    benchmark::DoNotOptimize(ZipArchive::storeMembers(archive, batch));
  }
  fs::remove(archive);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StoreBatch)->Arg(500)->Unit(benchmark::kMillisecond);

// Lists the archive and reads each member by name, as loading its designs one by one does.
void BM_ReadEveryMember(benchmark::State& state) {
  const auto data = members(static_cast<std::size_t>(state.range(0)));
  std::vector<ZipArchive::NewMember> batch;
  for (std::size_t i = 0; i < data.size(); ++i) batch.push_back({"d" + std::to_string(i) + ".pes", data[i]});
  const std::string archive = scratchArchive("read.zip");
  fs::remove(archive);
  if (!ZipArchive::storeMembers(archive, batch)) {
    state.SkipWithError("cannot build the archive");
    return;
  }
  for (auto _ : state)
    for (const std::string& m : ZipArchive::listMembers(archive)) benchmark::DoNotOptimize(ZipArchive::readMember(archive, m));
  fs::remove(archive);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadEveryMember)->Arg(500)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lh

BENCHMARK_MAIN();
