// Model operations over a synthetic design of one million records.
#include <benchmark/benchmark.h>

#include <random>

#include "design/emb_design.h"

namespace {

constexpr int kRecords = 1'000'000;

lh::EmbDesign syntheticDesign() {
  lh::EmbDesign d;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> step(-60, 60);
  d.stitches.reserve(kRecords);
  int blocks = 1;
  for (int i = 0; i < kRecords; ++i) {
    if (i % 20000 == 19999) {
      d.stitches.push_back(lh::Stitch(0, 0, false, true));
      ++blocks;
    } else if (i % 97 == 0) {
      d.stitches.push_back(lh::Stitch(step(rng) * 3, step(rng) * 3, true));
    } else {
      d.stitches.push_back(lh::Stitch(step(rng), step(rng)));
    }
  }
  d.threads.resize(static_cast<std::size_t>(blocks));
  return d;
}

const lh::EmbDesign& base() {
  static const lh::EmbDesign d = syntheticDesign();
  return d;
}

template <typename Op>
void runOnCopy(benchmark::State& state, Op op) {
  for (auto _ : state) {
    state.PauseTiming();
    lh::EmbDesign d(base());
    state.ResumeTiming();
    op(d);
    benchmark::DoNotOptimize(d.stitches.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_ComputeBounds(benchmark::State& s) { runOnCopy(s, [](lh::EmbDesign& d) { d.computeBounds(); }); }
void BM_CentreDesign(benchmark::State& s) { runOnCopy(s, [](lh::EmbDesign& d) { d.centreDesign(); }); }
void BM_MergeJumps(benchmark::State& s) { runOnCopy(s, [](lh::EmbDesign& d) { d.mergeJumps(true); }); }
void BM_SplitLongStitches(benchmark::State& s) {
  runOnCopy(s, [](lh::EmbDesign& d) { d.splitLongStitches(121, true, false); });
}
void BM_ComputeBlockStats(benchmark::State& s) { runOnCopy(s, [](lh::EmbDesign& d) { d.computeBlockStats(); }); }

void BM_BytesPerRecord(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(base().stitches.size());
  state.counters["bytes_per_record"] =
      static_cast<double>(base().stitches.capacity() * sizeof(lh::Stitch)) / static_cast<double>(kRecords);
}

BENCHMARK(BM_ComputeBounds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CentreDesign)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeJumps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitLongStitches)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeBlockStats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytesPerRecord);

}  // namespace

BENCHMARK_MAIN();
