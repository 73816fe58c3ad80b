#pragma once
// Fitting a design into the largest hoop of a target format.
#include <cstdint>

#include "design/emb_design.h"
#include "tools/conversion_settings.h"

namespace lh {

// Total relative overflow of a W x H design (0.1 mm) in a hoopW x hoopH hoop, in single
// precision: -(min(0, (hoopW - W) / W) + min(0, (hoopH - H) / H)). A dimension of 0 never
// overflows.
float hoopOverflow(std::int64_t w, std::int64_t h, std::int64_t hoopW, std::int64_t hoopH);

// Centres the design and fits it into the hoop of `settings`: uses the hoop turned (both
// orientations) or turns the design a quarter (rotate, recorded in fitRotation) when that
// overflows strictly less, then shrinks it by up to the allowed percentage. Returns false
// when it still does not fit (a hoop dimension of 0 fits no design with an extent).
bool fitToHoop(EmbDesign& design, const ConversionSettings& settings);

}  // namespace lh
