// JEF, SEW and XXX with a 50,000-record design: reading (records per second) and writing
// (SEW including its block icons and outline).
#include <benchmark/benchmark.h>

#include "bench/fill_design.h"

#include "formats/jef_sew.h"
#include "formats/xxx.h"

namespace {

using lh::bench::fillDesign;
using lh::bench::kRecords;

std::optional<lh::ByteBuffer> writeJefFixed(lh::DesignCodec&, lh::EmbDesign& d) {
  return lh::writeJef(d, lh::JefDate{2024, 1, 2, 3, 4, 5});
}

void readBench(benchmark::State& state, lh::WriterFn write, lh::ReaderFn read) {
  lh::DesignCodec codec;
  lh::EmbDesign source = fillDesign();
  const lh::ByteBuffer file = *write(codec, source);
  std::size_t records = 0;
  for (auto _ : state) {
    lh::EmbDesign d;
    read(codec, d, file);
    records = d.stitches.size();
    benchmark::DoNotOptimize(d.stitches.data());
  }
  state.counters["records"] = static_cast<double>(records);
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(kRecords), benchmark::Counter::kIsIterationInvariantRate);
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
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(kRecords), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ReadJef(benchmark::State& s) { readBench(s, writeJefFixed, lh::readJef); }
void BM_ReadSew(benchmark::State& s) { readBench(s, lh::writeSew, lh::readSew); }
void BM_ReadXxx(benchmark::State& s) { readBench(s, lh::writeXxx, lh::readXxx); }
void BM_WriteJef(benchmark::State& s) { writeBench(s, writeJefFixed); }
void BM_WriteSew(benchmark::State& s) { writeBench(s, lh::writeSew); }
void BM_WriteXxx(benchmark::State& s) { writeBench(s, lh::writeXxx); }

BENCHMARK(BM_ReadJef)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSew)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXxx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteJef)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSew)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteXxx)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
