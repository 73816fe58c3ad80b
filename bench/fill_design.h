#pragma once
// The shape of a large filled design for the format and rendering benchmarks: rows back and
// forth with 3.5 mm stitches, ten colour blocks of 5,000 records, each starting with a jump.
#include <cstdint>
#include <string>

#include "design/emb_design.h"

namespace lh::bench {

inline constexpr int kRecords = 50'000;

struct FillShape {
  int halfWidth = 1000;   // rows run from -halfWidth to +halfWidth (0.1 mm)
  int blockStepY = 40;    // the jump that opens each block moves this far in Y
  std::string threadName; // displayName of every thread (empty: none)
};

inline EmbDesign fillDesign(const FillShape& shape = {}) {
  EmbDesign d;
  d.stitches.reserve(kRecords);
  int dir = 1, x = 0;
  for (int i = 0; static_cast<int>(d.stitches.size()) < kRecords; ++i) {
    if (i % 5000 == 4999) {
      d.stitches.push_back(Stitch(0, 0, false, true));
      d.stitches.push_back(Stitch(-x / 2, shape.blockStepY, true));
      x -= x / 2;
      continue;
    }
    if ((dir > 0 && x >= shape.halfWidth) || (dir < 0 && x <= -shape.halfWidth)) {
      dir = -dir;
      d.stitches.push_back(Stitch(0, 2));
      continue;
    }
    d.stitches.push_back(Stitch(35 * dir, (i % 3) - 1));
    x += 35 * dir;
  }
  const std::uint32_t colors[] = {0x2020C0, 0x20A020, 0xC02020, 0x00D0FF, 0xFFFFFF,
                                   0x000000, 0x8060A0, 0x406080, 0xA0A0A0, 0x303030};
  for (std::size_t b = 0; b <= d.colorChangeCount(); ++b) {
    ThreadColor t;
    t.rgb = colors[b % 10];
    t.displayName = shape.threadName;
    d.threads.push_back(t);
  }
  d.centreDesign();
  return d;
}

}  // namespace lh::bench
