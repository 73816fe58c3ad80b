#pragma once
// Compares a design read by our readers with the independent reader's dump of the same file
// (corpus peer/<type>/<file>.json: records [flags, dx, dy], flags 1 colour change, 2 jump,
// 8 trim). The peer's records are first put through the same normalisation our reader ends
// with, so that what remains are differences of decoding, not of jump policy.
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "design/emb_design.h"
#include "formats/bytes.h"

namespace lh::test {

inline std::filesystem::path corpusDir() { return LH_CORPUS_DIR; }

inline std::vector<std::filesystem::path> corpusFiles(const std::string& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(corpusDir() / folder, ec))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

inline ByteBuffer fileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return ByteBuffer(std::istreambuf_iterator<char>(in), {});
}

// The peer's records without trims (none of these formats keeps trims), or nothing when the
// peer has no dump or could not read the file.
inline std::optional<EmbDesign> peerDesign(const std::filesystem::path& file) {
  const auto dump = corpusDir() / "peer" / file.parent_path().filename() / (file.filename().string() + ".json");
  std::ifstream in(dump);
  if (!in) return std::nullopt;
  const nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
  if (j.is_discarded() || j.value("result", -1) != 0) return std::nullopt;
  EmbDesign d;
  for (const auto& r : j["stitches"]) {
    const int flags = r[0].get<int>();
    if (flags & Trim) continue;
    d.stitches.push_back(Stitch::withFlags(static_cast<std::uint8_t>(flags), r[1].get<int>(), r[2].get<int>()));
  }
  return d;
}

// Steps between successive distinct needle positions (records that are neither jumps nor
// colour changes); a zero-move stitch adds no step.
inline std::vector<Point> penetrationSteps(const EmbDesign& d) {
  std::vector<Point> steps;
  int x = 0, y = 0;
  std::optional<Point> last;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (s.isJump() || s.isColorChange()) continue;
    if (last && (last->x != x || last->y != y)) steps.push_back({x - last->x, y - last->y});
    last = Point{x, y};
  }
  return steps;
}

// Share of the longer step list matched in order, stepping over up to `window` inserted or
// missing steps on either side where the two lists part.
inline double stepAgreement(const std::vector<Point>& a, const std::vector<Point>& b, std::size_t window = 16) {
  if (a.empty() && b.empty()) return 1.0;
  std::size_t i = 0, j = 0, matched = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i] == b[j]) {
      ++matched, ++i, ++j;
      continue;
    }
    bool resynced = false;
    for (std::size_t k = 1; k <= window && !resynced; ++k) {
      if (i + k < a.size() && a[i + k] == b[j]) i += k, resynced = true;
      else if (j + k < b.size() && a[i] == b[j + k]) j += k, resynced = true;
    }
    if (!resynced) ++i, ++j;
  }
  return static_cast<double>(matched) / static_cast<double>(std::max(a.size(), b.size()));
}

inline std::size_t blockCount(const EmbDesign& d) { return d.stitches.empty() ? 0 : d.colorChangeCount() + 1; }

}  // namespace lh::test
