// Loading DST and EXP from memory: decode, normalise (centre, and for EXP merge and classify
// jumps) and block statistics, in stitch records per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "formats/dst.h"
#include "formats/exp.h"

namespace {

namespace fs = std::filesystem;

struct CorpusFile {
  std::string name;
  lh::ByteBuffer bytes;
};

std::vector<CorpusFile> corpusFiles(const char* type) {
  std::vector<CorpusFile> files;
  const fs::path folder = fs::path(LH_CORPUS_DIR) / type;
  if (!fs::is_directory(folder)) return files;
  for (const auto& e : fs::directory_iterator(folder)) {
    std::ifstream in(e.path(), std::ios::binary);
    files.push_back({e.path().filename().string(),
                     lh::ByteBuffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())});
  }
  return files;
}

template <typename Reader>
void loadAll(benchmark::State& state, const char* type, Reader reader) {
  static std::map<std::string, std::vector<CorpusFile>> cache;
  auto& files = cache.try_emplace(type, corpusFiles(type)).first->second;
  if (files.empty()) {
    state.SkipWithError("no design corpus");
    return;
  }
  lh::DesignCodec codec;
  std::int64_t records = 0;
  for (auto _ : state) {
    for (const CorpusFile& f : files) {
      lh::EmbDesign design;
      design.path = f.name;
      reader(codec, design, lh::ByteSpan(f.bytes.data(), f.bytes.size()));
      design.computeBlockStats();
      records += static_cast<std::int64_t>(design.stitches.size());
      benchmark::DoNotOptimize(design.stitches.data());
    }
  }
  state.SetItemsProcessed(records);
  state.counters["records/file set"] = static_cast<double>(records) / static_cast<double>(state.iterations());
}

void BM_LoadCorpusDst(benchmark::State& state) { loadAll(state, "dst", lh::readDst); }
void BM_LoadCorpusExp(benchmark::State& state) { loadAll(state, "exp", lh::readExp); }

// One large synthetic file: 1,000,000 records of short stitches with a jump and a colour
// change now and then.
void BM_LoadLargeDst(benchmark::State& state) {
  lh::ByteBuffer file(lh::kDstHeaderSize, ' ');
  constexpr int kRecords = 1'000'000;
  for (int i = 0; i < kRecords; ++i) {
    std::uint8_t r[3];
    const lh::Stitch s = i % 5000 == 4999 ? lh::Stitch::withFlags(lh::ColorChange)
                         : i % 101 == 0   ? lh::Stitch((i * 7) % 241 - 120, (i * 13) % 241 - 120, true)
                                          : lh::Stitch((i * 3) % 61 - 30, (i * 5) % 41 - 20);
    lh::encodeDstRecord(s, r);
    file.insert(file.end(), r, r + 3);
  }
  file.insert(file.end(), {0, 0, 0xF3});
  lh::DesignCodec codec;
  std::int64_t records = 0;
  for (auto _ : state) {
    lh::EmbDesign design;
    lh::readDst(codec, design, file);
    design.computeBlockStats();
    records += static_cast<std::int64_t>(design.stitches.size());
    benchmark::DoNotOptimize(design.stitches.data());
  }
  state.SetItemsProcessed(records);
}

BENCHMARK(BM_LoadCorpusDst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCorpusExp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLargeDst)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
