// PCS and VP3 with a 50,000-record design: reading (records per second) and writing.
#include <benchmark/benchmark.h>

#include "bench/fill_design.h"

#include "formats/pcs.h"
#include "formats/vp3.h"

namespace {

using lh::bench::kRecords;

// Threads named so that VP3 resolves them to a thread line.
lh::EmbDesign fillDesign() { return lh::bench::fillDesign({.threadName = "Madeira Rayon"}); }

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
