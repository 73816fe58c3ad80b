// PCS and VP3 with a 50,000-record design: reading (records per second) and writing.
#include <benchmark/benchmark.h>

#include "formats/pcs.h"
#include "formats/vp3.h"

namespace {

constexpr int kRecords = 50'000;

// Fill rows back and forth across a 200 x 175 mm area with 3.5 mm stitches, ten colour blocks
// each starting with a jump (a long move: VP3 writes it with escapes), the first record a
// jump from the origin: the shape of a large filled design.
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
    t.displayName = "Madeira Rayon";
    d.threads.push_back(t);
  }
  d.centreDesign();
  return d;
}

void readBench(benchmark::State& state, lh::WriterFn write, lh::ReaderFn read, const char* path) {
  lh::DesignCodec codec;
  lh::EmbDesign source = fillDesign();
  const lh::ByteBuffer file = *write(codec, source);
  std::size_t records = 0;
  for (auto _ : state) {
    lh::EmbDesign d;
    d.path = path;
    read(codec, d, file);
    records = d.stitches.size();
    benchmark::DoNotOptimize(d.stitches.data());
  }
  state.counters["records"] = static_cast<double>(records);
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(kRecords), benchmark::Counter::kIsIterationInvariantRate);
}

void writeBench(benchmark::State& state, lh::WriterFn write) {
  lh::DesignCodec codec;
  const lh::EmbDesign source = fillDesign();
  std::size_t bytes = 0;
  for (auto _ : state) {
    lh::EmbDesign work(source);  // writers change the design they are given
    auto file = write(codec, work);
    bytes = file ? file->size() : 0;
    benchmark::DoNotOptimize(file);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(kRecords), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ReadPcs(benchmark::State& s) { readBench(s, lh::writePcs, lh::readPcs, "bench.pcs"); }
void BM_ReadVp3(benchmark::State& s) { readBench(s, lh::writeVp3, lh::readVp3, "bench.vp3"); }
void BM_WritePcs(benchmark::State& s) { writeBench(s, lh::writePcs); }
void BM_WriteVp3(benchmark::State& s) { writeBench(s, lh::writeVp3); }

BENCHMARK(BM_ReadPcs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadVp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePcs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteVp3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
