#pragma once
#include <string>

#include "design/emb_design.h"

namespace lh {

struct StitchCount {
  int count = 0;
  int trims = 0;
};

// Stitches as shown to the user (colour changes and PES tie-offs left out) and PES trims.
StitchCount displayStitchCount(const EmbDesign& design);
// A length in inches as whole inches and sixteenths, e.g. "2 (1/2)".
std::string inchText(double value);
// The one-line summary: size in cm or inches, optionally with the stitch count.
std::string sizeText(const EmbDesign& design, bool inches, bool withCount);

}  // namespace lh
