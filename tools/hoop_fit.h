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

// What fitToHoop did to a design.
struct HoopFit {
  int quarterTurn = 0;  // the quarter turn applied (fitRotation: 1 or -1), 0 when not turned
  float shrink = 0.0f;  // the share of its size it lost (0.07: shrunk by 7 %), 0 when not shrunk
  int hoopWidth = 0;    // the hoop it was fitted to, whole mm, as it was used (turned with
  int hoopHeight = 0;   // "both orientations")
  bool changed() const { return quarterTurn != 0 || shrink != 0.0f; }
};

// Centres the design and fits it into the hoop of `settings`: uses the hoop turned (both
// orientations) or turns the design a quarter (rotate, recorded in fitRotation) when that
// overflows strictly less, then shrinks it by up to the allowed percentage. Returns false
// when it still does not fit (a hoop dimension of 0 fits no design with an extent). What was
// done is stored in `fit` when given.
bool fitToHoop(EmbDesign& design, const ConversionSettings& settings, HoopFit* fit = nullptr);

}  // namespace lh
