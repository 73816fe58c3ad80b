// Thread matching against the largest chart and the match report of a 100-colour design.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "design/emb_design.h"
#include "threads/thread_charts.h"
#include "threads/thread_matching.h"

namespace {

std::vector<std::uint32_t> randomColors(int n) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> channel(0, 255);
  std::vector<std::uint32_t> colors;
  for (int i = 0; i < n; ++i) colors.push_back(lh::rgbOf(channel(rng), channel(rng), channel(rng)));
  return colors;
}

void BM_NearestChartRow(benchmark::State& state) {
  const auto colors = randomColors(256);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lh::nearestChartRow(colors[i++ % colors.size()], lh::Chart::RaPoly));
  }
  state.SetLabel("RA Poly, 452 rows");
}
BENCHMARK(BM_NearestChartRow);

void BM_TopThreeMatches(benchmark::State& state) {
  const auto colors = randomColors(256);
  std::vector<lh::ThreadColor> out;
  std::size_t i = 0;
  for (auto _ : state) {
    out.clear();
    lh::topThreeMatches(lh::ThreadColor("x", colors[i++ % colors.size()], 0), lh::Chart::RaPoly, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel("RA Poly, 452 rows");
}
BENCHMARK(BM_TopThreeMatches);

void BM_MatchReport100Colors(benchmark::State& state) {
  lh::EmbDesign d;
  int n = 0;
  for (std::uint32_t c : randomColors(100)) {
    d.threads.emplace_back("Colour " + std::to_string(++n), c, 0);
    if (n > 1) d.stitches.push_back(lh::Stitch(0, 0, false, true));
    d.stitches.push_back(lh::Stitch(10, 10));
  }
  for (auto _ : state) benchmark::DoNotOptimize(lh::matchReport(d));
}
BENCHMARK(BM_MatchReport100Colors)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
