// Listing a folder into the browser's file list: 10,000 design files beside 10 zip archives
// of 1,000 members each, built once in a temporary folder. Nothing is loaded: the listing
// reads the folder and each archive's central directory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "browser/core/file_list.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 10000;
constexpr int kArchives = 10;
constexpr int kMembers = 1000;
const std::vector<std::string> kViewed = {"PES", "DST", "JEF", "EXP", "TXT"};
const char* const kExtensions[] = {"pes", "DST", "jef", "exp"};

class BigFolder {
 public:
  BigFolder() {
    path_ = (fs::temp_directory_path() / ("lh-file-list-bench-" + std::to_string(::getpid()))).string();
    fs::create_directories(path_);
    const std::vector<std::uint8_t> small(64, 0x5a);
    for (int i = 0; i < kFiles; ++i) {
      std::ofstream out(path_ + "/design " + std::to_string(i) + "." + kExtensions[i % 4], std::ios::binary);
      out.write(reinterpret_cast<const char*>(small.data()), static_cast<std::streamsize>(small.size()));
    }
    std::vector<ZipArchive::NewMember> members;
    for (int m = 0; m < kMembers; ++m) members.push_back({"set/member " + std::to_string(m) + ".pes", small});
    for (int a = 0; a < kArchives; ++a)
      ok_ = ZipArchive::storeMembers(path_ + "/archive " + std::to_string(a) + ".zip", members).has_value() &&
            ok_;
  }
  ~BigFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  bool ok() const { return ok_; }

 private:
  std::string path_;
  bool ok_ = true;
};

void BM_AddFolder(benchmark::State& state) {
  const BigFolder folder;
  if (!folder.ok()) {
    state.SkipWithError("cannot build the archives");
    return;
  }
  std::size_t listed = 0;
  for (auto _ : state) {
    FileList list;
    listed = list.addFolder(1, folder.path(), kViewed, nullptr);
    benchmark::DoNotOptimize(list);
  }
  if (listed != static_cast<std::size_t>(kFiles + kArchives * kMembers)) state.SkipWithError("wrong count");
  state.counters["items"] = static_cast<double>(listed);
}
BENCHMARK(BM_AddFolder)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lh

BENCHMARK_MAIN();
