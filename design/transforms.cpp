#include "design/transforms.h"

#include <algorithm>
#include <cstdint>

#include "design/design_limits.h"

namespace lh {

void shrinkDesign(EmbDesign& design, double factor) {
  double cx = 0, cy = 0;
  for (Stitch& s : design.stitches) {
    const double vx = s.dx * factor + cx;
    const double vy = s.dy * factor + cy;
    s.setMove(static_cast<int>(vx), static_cast<int>(vy));
    cx = vx - static_cast<int>(vx);
    cy = vy - static_cast<int>(vy);
  }
  design.computeBounds();
}

EmbDesign splitDesign(EmbDesign& design, int maxStitches, int maxColors) {
  EmbDesign rest;
  if (maxStitches <= 0 && maxColors <= 0) return rest;
  const bool tooManyColors = maxColors > 0 && design.threads.size() > static_cast<std::size_t>(maxColors);
  const bool tooManyStitches = maxStitches > 0 && design.stitches.size() > static_cast<std::size_t>(maxStitches);
  if (!tooManyColors && !tooManyStitches) return rest;

  rest.path = design.path;
  Bounds64 restBounds;  // absolute positions from the cut on
  auto& st = design.stitches;
  std::int64_t x = 0, y = 0;
  int j = 0;
  std::size_t block = 0;
  bool trigger = false;
  std::size_t cut = st.size();  // index of the first record that moves
  const auto blockCount = [&] { return block < design.threads.size() ? design.threads[block].stitchCount : 0; };
  for (std::size_t i = 0; i < st.size(); ++i) {
    Stitch& r = st[i];
    x += r.dx;
    y += r.dy;
    const bool started = cut != st.size();
    if (!started && r.isColorChange()) {
      ++j;
      if (block + 1 < design.threads.size()) ++block;
      if (maxColors > 0 && j >= maxColors) trigger = true;
      if (maxStitches > 0) {
        if (static_cast<long long>(i) + blockCount() >= maxStitches) trigger = true;
        if (blockCount() >= maxStitches) trigger = false;
      }
    }
    if (!started && ((maxStitches > 0 && i >= static_cast<std::size_t>(maxStitches)) || trigger)) {
      cut = i;
      r.setColorChange(false);
      r.setJump(true);
      r.setMove(static_cast<int>(x), static_cast<int>(y));
    }
    if (cut != st.size()) {
      restBounds.maxX = std::max(restBounds.maxX, x);
      restBounds.minX = std::min(restBounds.minX, x);
      restBounds.maxY = std::max(restBounds.maxY, y);
      restBounds.minY = std::min(restBounds.minY, y);
    }
  }
  rest.maxX = clampToInt32(restBounds.maxX);
  rest.minX = clampToInt32(restBounds.minX);
  rest.maxY = clampToInt32(restBounds.maxY);
  rest.minY = clampToInt32(restBounds.minY);
  if (cut == st.size()) return rest;

  rest.stitches.assign(st.begin() + static_cast<std::ptrdiff_t>(cut), st.end());
  st.erase(st.begin() + static_cast<std::ptrdiff_t>(cut), st.end());
  if (block < design.threads.size()) {
    rest.threads.assign(design.threads.begin() + static_cast<std::ptrdiff_t>(block), design.threads.end());
    design.threads.erase(design.threads.begin() + static_cast<std::ptrdiff_t>(block), design.threads.end());
  }
  // The first part keeps one ColorChange fewer than threads: when the cut fell inside a
  // block, that block's thread is listed in both parts.
  const std::size_t changes = design.colorChangeCount();
  while (design.threads.size() < changes + 1 && !rest.threads.empty())
    design.threads.push_back(rest.threads.front());
  return rest;
}

}  // namespace lh
