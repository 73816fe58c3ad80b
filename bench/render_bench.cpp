// Thumbnail rendering of a 50,000-record design: flat and shaded, 128 x 128 and 400 x 400.
#include <benchmark/benchmark.h>

#include "render/renderer.h"

namespace {

constexpr int kRecords = 50'000;

// Fill rows back and forth across a 200 x 175 mm area with 3.5 mm stitches, ten colour blocks,
// each starting with a jump: the shape of a large filled design.
lh::EmbDesign fillDesign() {
  lh::EmbDesign d;
  d.stitches.reserve(kRecords);
  int dir = 1, x = 0;
  for (int i = 0; static_cast<int>(d.stitches.size()) < kRecords; ++i) {
    if (i % 5000 == 4999) {
      d.stitches.push_back(lh::Stitch(0, 0, false, true));
      d.stitches.push_back(lh::Stitch(-x / 2, 40, true));
      x -= x / 2;
      continue;
    }
    if ((dir > 0 && x >= 1000) || (dir < 0 && x <= -1000)) {
      dir = -dir;
      d.stitches.push_back(lh::Stitch(0, 2));
      continue;
    }
    d.stitches.push_back(lh::Stitch(35 * dir, (i % 3) - 1));
    x += 35 * dir;
  }
  const std::uint32_t colours[] = {0x2020C0, 0x20A020, 0xC02020, 0x00D0FF, 0xFFFFFF,
                                   0x000000, 0x8060A0, 0x406080, 0xA0A0A0, 0x303030};
  for (std::size_t b = 0; b <= d.colorChangeCount(); ++b) {
    lh::ThreadColor t;
    t.rgb = colours[b % 10];
    d.threads.push_back(t);
  }
  d.centreDesign();
  return d;
}

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
