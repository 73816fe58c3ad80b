#include "design/design_limits.h"

namespace lh {

bool withinDesignLimits(const EmbDesign& design) {
  return design.stitches.size() <= kMaxDesignRecords && design.width() <= kMaxDesignExtent &&
         design.height() <= kMaxDesignExtent;
}

}  // namespace lh
