// Thumbnail rendering of a 50,000-record design: flat and shaded, 128 x 128 and 400 x 400.
#include <benchmark/benchmark.h>

#include "bench/fill_design.h"

#include "render/renderer.h"

namespace {

using lh::bench::fillDesign;
using lh::bench::kRecords;

void renderAt(benchmark::State& state, bool shaded) {
  lh::PaletteManager palette;
  lh::EmbDesign d = fillDesign();
  lh::usePalette(d, &palette);
  d.shaded = shaded;
  const int size = static_cast<int>(state.range(0));
  for (auto _ : state) {
    lh::setSize(d, size, size);
    lh::render(d);
    benchmark::DoNotOptimize(static_cast<lh::DesignBitmap&>(d).pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_RenderFlat(benchmark::State& s) { renderAt(s, false); }
void BM_RenderShaded(benchmark::State& s) { renderAt(s, true); }

void BM_ToBmpFile(benchmark::State& state) {
  lh::PaletteManager palette;
  lh::EmbDesign d = fillDesign();
  lh::usePalette(d, &palette);
  for (auto _ : state) {
    lh::setSize(d, 400, 400);
    benchmark::DoNotOptimize(lh::toBmpFile(d).size());
  }
}

}  // namespace

BENCHMARK(BM_RenderFlat)->Arg(128)->Arg(400)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderShaded)->Arg(128)->Arg(400)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ToBmpFile)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
