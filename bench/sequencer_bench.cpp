// The sequencer's model on a large design: 500,000 records in 200 colour blocks.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <unordered_set>

#include "sequencer/sequence_model.h"

namespace {

constexpr int kRecords = 500'000;
constexpr int kBlocks = 200;

lh::EmbDesign largeDesign() {
  lh::EmbDesign d;
  d.stitches.reserve(kRecords);
  const int perBlock = kRecords / kBlocks;
  for (int b = 0; b < kBlocks; ++b) {
    if (b > 0) d.stitches.push_back(lh::Stitch(0, 0, false, true));
    d.stitches.push_back(lh::Stitch((b % 7) * 40 - 120, (b % 5) * 30 - 60, true));
    int dir = 1;
    for (int i = 1; i < perBlock - (b > 0 ? 1 : 0); ++i) {
      if (i % 60 == 0) dir = -dir;
      d.stitches.push_back(lh::Stitch(i % 60 == 0 ? 0 : 35 * dir, i % 60 == 0 ? 2 : (i % 3) - 1));
    }
  }
  for (int b = 0; b < kBlocks; ++b) {
    lh::ThreadColor t("Isacord " + std::to_string(1000 + b), static_cast<std::uint32_t>(0x101010 * (b % 12)),
                      lh::ChartIsacord);
    d.threads.push_back(t);
  }
  d.computeBounds();
  return d;
}

const lh::EmbDesign& design() {
  static const lh::EmbDesign d = largeDesign();
  return d;
}

std::size_t residentBytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

std::size_t stringBytes(const std::string& s) { return s.capacity() > 15 ? s.capacity() + 1 : 0; }

// Bytes the undo list holds, each shared stitch block counted once.
std::size_t snapshotBytes(const lh::UndoHistory& history) {
  std::unordered_set<const lh::StitchBlock*> seen;
  std::size_t bytes = 0;
  for (const lh::StopSnapshot& snapshot : history.snapshots()) {
    bytes += snapshot.capacity() * sizeof(lh::ColorStop);
    for (const lh::ColorStop& stop : snapshot) {
      const lh::StopThread& t = stop.thread;
      bytes += stringBytes(t.displayName) + stringBytes(t.code) + stringBytes(t.colorName) +
               stringBytes(t.brand) + stringBytes(t.chartName);
      if (seen.insert(stop.stitches.get()).second) bytes += stop.stitches->capacity() * sizeof(lh::Stitch);
    }
  }
  return bytes;
}

void BM_BuildStops(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(lh::buildStops(design()).data());
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_RebuildDesign(benchmark::State& state) {
  const std::vector<lh::ColorStop> stops = lh::buildStops(design());
  lh::EmbDesign target;
  for (auto _ : state) {
    lh::rebuildDesign(stops, lh::RebuildMode::IncludedOnly, target);
    benchmark::DoNotOptimize(target.stitches.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// One Up or Down of a stop in the middle, with its undo snapshot and the rebuild of the
// working design, as the window runs it.
void BM_MoveWithRebuild(benchmark::State& state) {
  lh::SequenceModel model;
  model.load(design());
  model.select(kBlocks / 2);
  bool up = true;
  for (auto _ : state) {
    benchmark::DoNotOptimize(model.move(up ? lh::MoveCommand::Up : lh::MoveCommand::Down));
    up = !up;
  }
}

// Fifty edits fill the undo list; the counters give what the snapshots hold.
void BM_FiftySnapshots(benchmark::State& state) {
  std::size_t held = 0, grown = 0;
  for (auto _ : state) {
    lh::SequenceModel model;
    model.load(design());
    const std::size_t before = residentBytes();
    for (int i = 0; i < static_cast<int>(lh::UndoHistory::kLimit); ++i) {
      model.select(static_cast<std::size_t>(i * 3 % kBlocks));
      model.move(i % 2 ? lh::MoveCommand::Last : lh::MoveCommand::First);
    }
    grown = residentBytes() - before;
    held = snapshotBytes(model.history());
  }
  state.counters["snapshot_MB"] = static_cast<double>(held) / 1e6;
  state.counters["rss_growth_MB"] = static_cast<double>(grown) / 1e6;
}

BENCHMARK(BM_BuildStops)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildDesign)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveWithRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiftySnapshots)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
