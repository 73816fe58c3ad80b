#pragma once
// Designs made of numbered blocks, and needle positions to compare designs by.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "design/emb_design.h"
#include "sequencer/color_stop.h"
#include "sequencer/sequence_model.h"
#include "tests/support/design_builder.h"

namespace lh::test {

// Block k opens with a jump from where the block before ended and sews lengths[k] stitches
// of (2, 1); thread k is named "t<k>" with colors[k]. Threads beyond `lengths` stay without
// a block; lengths default to 10 per thread.
inline EmbDesign blocksDesign(const std::vector<std::uint32_t>& colors, std::vector<int> lengths = {}) {
  if (lengths.empty()) lengths.assign(colors.size(), 10);
  EmbDesign d;
  for (std::size_t k = 0; k < lengths.size(); ++k) {
    if (k > 0) d.stitches.push_back(colorChange());
    d.stitches.push_back(jump(static_cast<int>(k) * 7 + 3, -5));
    for (int i = 0; i < lengths[k]; ++i) d.stitches.push_back(st(2, 1));
  }
  for (std::size_t k = 0; k < colors.size(); ++k) {
    ThreadColor t("t" + std::to_string(k), colors[k], 0);
    d.threads.push_back(t);
  }
  d.computeBounds();
  return d;
}

// The thread names of the stops in row order, blank-separated.
inline std::string order(const SequenceModel& model) {
  std::string out;
  for (const ColorStop& stop : model.stops()) {
    if (!out.empty()) out += ' ';
    out += stop.thread.displayName;
  }
  return out;
}

inline std::vector<Position> needlePositions(const ColorStop& stop) {
  std::vector<Position> out;
  std::int64_t x = stop.startX, y = stop.startY;
  for (const Stitch& s : stop.records()) {
    x += s.dx;
    y += s.dy;
    if (!s.isJump() && !s.isColorChange()) out.emplace_back(x, y);
  }
  return out;
}

}  // namespace lh::test
