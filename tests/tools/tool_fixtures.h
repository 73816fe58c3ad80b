#pragma once
// Files on disk for the conversion and runner tests: a temporary folder and designs written
// with the DST writer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/format_table.h"
#include "tests/support/design_builder.h"

namespace lh::test {

class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "lh-tools-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) ADD_FAILURE() << "no temporary folder";
    path_ = tmpl;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }
  const std::string& path() const { return path_; }
  // Names of the files in the folder, sorted.
  std::vector<std::string> files() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  std::string path_;
};

inline std::vector<std::uint8_t> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeAll(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A w x h (0.1 mm) design of `colours` blocks; each block sews along the top and the right
// side (or back along them) in stitches of at most 4 mm.
inline EmbDesign sampleDesign(int w, int h, int colors = 1) {
  EmbDesign d;
  d.stitches.push_back(st(0, 0));  // bounds start at the first record's end
  auto run = [&](int dx, int dy) {
    const int n = std::max(1, std::max(std::abs(dx), std::abs(dy)) / 40 + 1);
    int doneX = 0, doneY = 0;
    for (int i = 1; i <= n; ++i) {
      const int x = dx * i / n, y = dy * i / n;
      d.stitches.push_back(st(x - doneX, y - doneY));
      doneX = x;
      doneY = y;
    }
  };
  for (int c = 0; c < colors; ++c) {
    if (c) d.stitches.push_back(colorChange());
    d.threads.push_back(thread(0x101010u * static_cast<unsigned>(c % 15 + 1)));
    run(c % 2 ? -w : w, 0);
    run(0, c % 2 ? -h : h);
  }
  d.computeBounds();
  d.centreDesign();
  d.computeBlockStats();
  return d;
}

// Writes `design` as a DST file at `path`.
inline void writeDst(EmbDesign design, const std::string& path) {
  DesignCodec codec;
  design.path = path;
  const auto image = writeAs(codec, design, FormatDst);
  ASSERT_TRUE(image.has_value());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image->data()),
                                              static_cast<std::streamsize>(image->size()));
}

}  // namespace lh::test
