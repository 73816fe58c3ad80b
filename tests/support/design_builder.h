#pragma once
// Builds small designs for tests: records and threads in a few lines.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "design/emb_design.h"

namespace lh::test {

inline Stitch st(int dx, int dy) { return Stitch(dx, dy); }
inline Stitch jump(int dx, int dy) { return Stitch(dx, dy, true); }
inline Stitch colorChange(int dx = 0, int dy = 0) { return Stitch(dx, dy, false, true); }
inline Stitch trim() { return Stitch::withFlags(Trim); }

inline ThreadColor thread(std::uint32_t rgb, std::string brand = "Embroidery") {
  ThreadColor t(brand, "", "", rgb, 0, 1);
  return t;
}

// A design with the given records and one thread per colour block (colours cycle red,
// green, blue, ... unless given).
inline EmbDesign makeDesign(std::initializer_list<Stitch> records, std::initializer_list<std::uint32_t> colors = {}) {
  EmbDesign d;
  d.stitches.assign(records.begin(), records.end());
  std::size_t blocks = d.colorChangeCount() + 1;
  static const std::uint32_t cycle[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00};
  auto it = colors.begin();
  for (std::size_t b = 0; b < blocks; ++b) {
    std::uint32_t c = it != colors.end() ? *it++ : cycle[b % 6];
    d.threads.push_back(thread(c));
  }
  d.computeBounds();
  return d;
}

// Absolute sewn positions (non-jump, non-colour-change records), relative to the first one.
inline std::vector<Point> sewnPoints(const EmbDesign& d) {
  std::vector<Point> pts;
  int x = 0, y = 0;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (!s.isJump() && !s.isColorChange() && !s.isTrim()) pts.push_back({x, y});
  }
  if (!pts.empty()) {
    Point o = pts.front();
    for (auto& p : pts) p = {p.x - o.x, p.y - o.y};
  }
  return pts;
}

using Position = std::pair<std::int64_t, std::int64_t>;

// Absolute positions of the records that put the needle down (no jump, no colour change),
// sorted, so that two designs sewing the same points in another order compare equal.
inline std::vector<Position> needlePositions(const EmbDesign& d) {
  std::vector<Position> out;
  std::int64_t x = 0, y = 0;
  for (const Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (!s.isJump() && !s.isColorChange()) out.emplace_back(x, y);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace lh::test
