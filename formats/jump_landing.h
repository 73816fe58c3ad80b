#pragma once
// The landing stitch of formats whose readers fold the record after a run of jumps into the
// jumps (EXP, JEF, SEW, HUS, VIP, XXX).
#include <vector>

#include "design/stitch.h"

namespace lh {

// Puts one zero-move stitch between every run of jumps and the stitch that ends it, so that
// a reader folding the record after the jumps into them takes the zero move and keeps the
// stitch. One per run, never one per jump: machines that read the file without folding see
// a single penetration where the jumps land. A run ended by a colour change or by the end of
// the records needs none.
inline void addJumpLandings(std::vector<Stitch>& records) {
  std::vector<Stitch> out;
  out.reserve(records.size() + records.size() / 16 + 1);
  bool inRun = false;
  for (const Stitch& r : records) {
    if (inRun && !r.isJump() && !r.isColorChange()) out.push_back(Stitch());
    out.push_back(r);
    inRun = r.isJump() && !r.isColorChange();
  }
  records = std::move(out);
}

}  // namespace lh
