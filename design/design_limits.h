#pragma once
// How large a design may be before it is taken as damaged, and narrowing of 64-bit sums into
// the design's 32-bit fields.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "design/emb_design.h"

namespace lh {

// More records than any real design holds (the largest designs in use have a few hundred
// thousand); a reader refuses a file that claims or yields more.
inline constexpr std::size_t kMaxDesignRecords = 1'000'000;
// Width or height, in 0.1 mm, beyond any machine's sewing field (6.5 m). Half of it fits a
// 16-bit move, so the centring jump from the middle of a loaded design to its first stitch
// never wraps.
inline constexpr std::int64_t kMaxDesignExtent = 65'000;
static_assert(kMaxDesignExtent / 2 <= 32767);

// Whether a filled design is within both limits, judged by its records and the bounds its
// reader left (a reader's own records may already have wrapped: a far-off design's centring jump
// outgrows its 16-bit move). Every
// load applies it to what a reader produced: a design beyond the limits is refused as damaged.
bool withinDesignLimits(const EmbDesign& design);

// A 64-bit position or length stored in an int32 field: the nearest representable value.
// Loaded designs never need the clamp; designs beyond the limits keep their sign and order.
constexpr std::int32_t clampToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

}  // namespace lh
