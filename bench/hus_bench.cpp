// HUS/VIP codec throughput on 1 MB of stitch-like data (the three streams of a synthetic
// design back to back) and on 1 MB of a real design's streams.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include "formats/hus_codec.h"
#include "tests/support/stitch_bytes.h"

namespace {

constexpr std::size_t kInputBytes = 1 << 20;

const lh::ByteBuffer& input() {
  static const lh::ByteBuffer bytes = lh::test::stitchLikeBytes(kInputBytes);
  return bytes;
}

// The three decoded streams of a real design (45,000 records), repeated to 1 MB; empty when
// the corpus is absent.
const lh::ByteBuffer& realInput() {
  static const lh::ByteBuffer bytes = [] {
    std::ifstream in(LH_CORPUS_DIR "/hus/01Peacock.hus", std::ios::binary);
    const lh::ByteBuffer file((std::istreambuf_iterator<char>(in)), {});
    lh::ByteBuffer streams, out;
    if (file.size() < 42) return out;
    lh::ByteReader r(file, 20);
    const std::size_t at[] = {r.u32le(), r.u32le(), r.u32le(), file.size()};
    lh::HusCodec codec;
    for (int k = 0; k < 3; ++k)
      codec.expand(lh::HusCodec::kReadLevel, lh::ByteSpan(file).subspan(at[k], at[k + 1] - at[k]), streams, kInputBytes);
    while (!streams.empty() && out.size() < kInputBytes) out.insert(out.end(), streams.begin(), streams.end());
    out.resize(std::min(out.size(), kInputBytes));
    return out;
  }();
  return bytes;
}

void BM_HusCompressReal(benchmark::State& state) {
  if (realInput().empty()) return state.SkipWithError("no corpus");
  lh::HusCodec codec;
  lh::ByteBuffer out;
  for (auto _ : state) {
    out.clear();
    codec.compress(lh::HusCodec::kWriteLevel, realInput(), out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * realInput().size()));
  state.counters["ratio"] = static_cast<double>(out.size()) / static_cast<double>(realInput().size());
}
BENCHMARK(BM_HusCompressReal)->Unit(benchmark::kMillisecond);

void BM_HusExpandReal(benchmark::State& state) {
  if (realInput().empty()) return state.SkipWithError("no corpus");
  lh::HusCodec codec;
  lh::ByteBuffer stream, out;
  codec.compress(lh::HusCodec::kWriteLevel, realInput(), stream);
  for (auto _ : state) {
    out.clear();
    codec.expand(lh::HusCodec::kReadLevel, stream, out, kInputBytes);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * realInput().size()));
}
BENCHMARK(BM_HusExpandReal)->Unit(benchmark::kMillisecond);

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
