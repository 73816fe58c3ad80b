#pragma once
// Lowering the number of distinct thread colours (needles) of a design.
#include <cstdint>

#include "design/emb_design.h"

namespace lh {

// Number of distinct rgb values among the design's threads.
int needleCount(const EmbDesign& design);

// Distance of two colours as points (2S cos h, 2S sin h, V) of their saturation, hue and
// brightness (greys lie on the V axis), held as a 32-bit float.
float needleDistance(std::uint32_t a, std::uint32_t b);

// Merges the least-used of the closest colours until at most maxNeedles remain and gives
// every thread the identity of its nearest remaining colour; the colour blocks stay (each
// keeps its own statistics). Returns the number of needles removed, 0 when nothing changed.
int reduceNeedles(EmbDesign& design, int maxNeedles);

}  // namespace lh
