#pragma once
// Corpus access for the PCS and VP3 tests: the real files of a type folder, and the needle
// path of a design as the sequence of distinct positions its records visit, so that a design
// read by our readers can be laid over the independent reader's dump of the same file
// (peer/<type>/<file>.json, records [flags, dx, dy]) whatever each side calls a jump.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "design/emb_design.h"
#include "formats/bytes.h"

namespace lh::test::pfaff {

inline std::filesystem::path corpus() { return LH_CORPUS_DIR; }

inline std::vector<std::filesystem::path> files(const std::string& folder) {
  std::vector<std::filesystem::path> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(corpus() / folder, ec))
    if (e.is_regular_file()) out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

inline ByteBuffer bytesOf(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return ByteBuffer(std::istreambuf_iterator<char>(in), {});
}

struct PeerDump {
  std::vector<Stitch> records;
  std::vector<std::uint32_t> colors;  // 0x00BBGGRR
};

// The peer's reading of a corpus file; nothing when there is no dump or the peer failed.
inline std::optional<PeerDump> peerOf(const std::filesystem::path& file) {
  std::ifstream in(corpus() / "peer" / file.parent_path().filename() / (file.filename().string() + ".json"));
  if (!in) return std::nullopt;
  const nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
  if (j.is_discarded() || j.value("result", -1) != 0) return std::nullopt;
  PeerDump d;
  for (const auto& r : j["stitches"])
    d.records.push_back(
        Stitch::withFlags(static_cast<std::uint8_t>(r[0].get<int>()), r[1].get<int>(), r[2].get<int>()));
  for (const auto& t : j["threads"]) {
    const std::string hex =
        t.contains("rgb") && t["rgb"].is_string() ? t["rgb"].get<std::string>() : "#000000";
    const auto v = static_cast<std::uint32_t>(std::strtoul(hex.c_str() + 1, nullptr, 16));
    d.colors.push_back(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
  }
  return d;
}

inline std::size_t blockCount(const std::vector<Stitch>& records) {
  if (records.empty()) return 0;
  return 1 + static_cast<std::size_t>(std::count_if(records.begin(), records.end(),
                                                    [](const Stitch& s) { return s.isColorChange(); }));
}

// Distinct positions the records visit, in order; trims and zero moves add none.
inline std::vector<Point> path(const std::vector<Stitch>& records) {
  std::vector<Point> pts;
  int x = 0, y = 0;
  for (const Stitch& s : records) {
    x += s.dx;
    y += s.dy;
    if (pts.empty() || pts.back() != Point{x, y}) pts.push_back({x, y});
  }
  return pts;
}

// Share of the longer path whose points agree within `tolerance` on both axes, both paths
// taken relative to their first point. Where the paths part (a point one reader rounds onto
// its neighbour and the other does not), the walk steps over up to `window` points on either
// side to meet again. Either side may start with one extra point (where a reader puts the
// first record's move), so each may skip its first point.
inline double agreement(const std::vector<Point>& a, const std::vector<Point>& b, int tolerance,
                        std::size_t window = 8) {
  if (a.empty() && b.empty()) return 1.0;
  double best = 0.0;
  for (std::size_t s = 0; s < 2 && s < a.size(); ++s) {
    for (std::size_t t = 0; t < 2 && t < b.size(); ++t) {
      const auto close = [&](std::size_t i, std::size_t j) {
        return std::abs((a[i].x - a[s].x) - (b[j].x - b[t].x)) <= tolerance &&
               std::abs((a[i].y - a[s].y) - (b[j].y - b[t].y)) <= tolerance;
      };
      std::size_t i = s, j = t, same = 0;
      while (i < a.size() && j < b.size()) {
        if (close(i, j)) {
          ++same, ++i, ++j;
          continue;
        }
        std::size_t d = 1;
        for (; d <= window; ++d) {
          if (i + d < a.size() && close(i + d, j)) {
            i += d;
            break;
          }
          if (j + d < b.size() && close(i, j + d)) {
            j += d;
            break;
          }
        }
        if (d > window) ++i, ++j;
      }
      best = std::max(best,
                      static_cast<double>(same) / static_cast<double>(std::max(a.size() - s, b.size() - t)));
    }
  }
  return best;
}

}  // namespace lh::test::pfaff
