// PES reading and writing of a 50,000-record design, both writer generations (pictures and
// thread labels included in the write figures).
#include <benchmark/benchmark.h>

#include <string>

#include "formats/pes_reader.h"
#include "formats/pes_writer.h"
#include "threads/pec_palette.h"

namespace {

constexpr int kRecords = 50'000;

// Fill rows back and forth across a 170 x 210 mm area (the 180 x 300 mm hoop of PES 6) with
// 3.5 mm stitches and ten colour blocks, each starting with a jump: the shape of a large
// filled design. The older writer makes it a version 4 file.
lh::EmbDesign fillDesign() {
  lh::EmbDesign d;
  d.stitches.reserve(kRecords);
  int dir = 1, x = 0;
  for (int i = 0; static_cast<int>(d.stitches.size()) < kRecords; ++i) {
    if (i % 5000 == 4999) {
      d.stitches.push_back(lh::Stitch(0, 0, false, true));
      d.stitches.push_back(lh::Stitch(-x / 2, -100, true));
      x -= x / 2;
      continue;
    }
    if ((dir > 0 && x >= 850) || (dir < 0 && x <= -850)) {
      dir = -dir;
      d.stitches.push_back(lh::Stitch(0, 3));
      continue;
    }
    d.stitches.push_back(lh::Stitch(35 * dir, (i % 3) - 1));
    x += 35 * dir;
  }
  const int colors[] = {5, 20, 29, 2, 13, 37, 7, 26, 39, 48};
  for (std::size_t b = 0; b <= d.colorChangeCount(); ++b) {
    lh::ThreadColor t;
    t.rgb = lh::pecColor(colors[b % 10]);
    t.displayName = std::string(lh::pecColorName(colors[b % 10]));
    d.threads.push_back(t);
  }
  d.centreDesign();
  return d;
}

lh::ByteBuffer written(bool version5) {
  lh::EmbDesign d = fillDesign();
  lh::ByteBuffer out;
  lh::PesWriteOptions o;
  o.version5 = version5;
  lh::writePes(d, o, out);
  return out;
}

void readAs(benchmark::State& state, bool version5) {
  const lh::ByteBuffer file = written(version5);
  lh::DesignCodec codec;
  std::size_t records = 0;
  for (auto _ : state) {
    lh::EmbDesign d;
    lh::readPes(codec, d, file);
    records = d.stitches.size();
    benchmark::DoNotOptimize(d.stitches.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * records));
  state.counters["records"] = static_cast<double>(records);
}

void writeAs(benchmark::State& state, bool version5) {
  const lh::EmbDesign source = fillDesign();
  lh::PesWriteOptions o;
  o.version5 = version5;
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    lh::EmbDesign work(source);
    lh::ByteBuffer out;
    state.ResumeTiming();
    lh::writePes(work, o, out);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["bytes"] = static_cast<double>(bytes);
  lh::EmbDesign once(source);
  lh::ByteBuffer file;
  lh::writePes(once, o, file);
  state.counters["version"] = file.size() > 8 ? std::stoi(std::string(file.begin() + 4, file.begin() + 8)) : 0;
}

void BM_ReadPesOlder(benchmark::State& s) { readAs(s, false); }
void BM_ReadPesVersion6(benchmark::State& s) { readAs(s, true); }
void BM_WritePesOlder(benchmark::State& s) { writeAs(s, false); }
void BM_WritePesVersion6(benchmark::State& s) { writeAs(s, true); }

}  // namespace

BENCHMARK(BM_ReadPesOlder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPesVersion6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePesOlder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePesVersion6)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
