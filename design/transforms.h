#pragma once
#include "design/emb_design.h"

namespace lh {

// Scales every move by factor (0 < factor < 1) in place, carrying the rounding so that the
// design does not drift, and recomputes the bounds.
void shrinkDesign(EmbDesign& design, double factor);

// Cuts `design` after at most maxStitches records / maxColors colour blocks (0 = no limit)
// and returns the remainder; an empty remainder means nothing was cut. Both parts stay well
// formed: a block cut in two gives the first part a copy of its thread.
EmbDesign splitDesign(EmbDesign& design, int maxStitches, int maxColors);

}  // namespace lh
