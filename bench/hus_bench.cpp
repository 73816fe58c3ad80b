// HUS/VIP codec throughput on 1 MB of stitch-like data (the three streams of a synthetic
// design back to back).
#include <benchmark/benchmark.h>

#include "formats/hus_codec.h"
#include "tests/support/stitch_bytes.h"

namespace {

constexpr std::size_t kInputBytes = 1 << 20;

const lh::ByteBuffer& input() {
  static const lh::ByteBuffer bytes = lh::test::stitchLikeBytes(kInputBytes);
  return bytes;
}

void BM_HusCompress(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  lh::HusCodec codec;
  lh::ByteBuffer out;
  for (auto _ : state) {
    out.clear();
    codec.compress(level, input(), out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputBytes));
  state.counters["ratio"] = static_cast<double>(out.size()) / kInputBytes;
}
BENCHMARK(BM_HusCompress)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_HusExpand(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  lh::HusCodec codec;
  lh::ByteBuffer stream;
  codec.compress(level, input(), stream);
  lh::ByteBuffer out;
  out.reserve(kInputBytes);
  for (auto _ : state) {
    out.clear();
    codec.expand(lh::HusCodec::kReadLevel, stream, out, kInputBytes);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputBytes));
}
BENCHMARK(BM_HusExpand)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
