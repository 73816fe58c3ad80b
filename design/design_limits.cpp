#include "design/design_limits.h"

namespace lh {

bool withinDesignLimits(const EmbDesign& design) {
  if (design.stitches.size() > kMaxDesignRecords) return false;
  const Bounds64 b = measureBounds(design.stitches);
  return b.width() <= kMaxDesignExtent && b.height() <= kMaxDesignExtent;
}

}  // namespace lh
