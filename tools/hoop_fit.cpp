#include "tools/hoop_fit.h"

#include <algorithm>
#include <cstdint>

#include "design/transforms.h"

namespace lh {

namespace {

// min(0, (hoop - extent) / extent) as a 32-bit float; 0 for an extent of 0.
float shortfall(std::int64_t hoop, std::int64_t extent) {
  if (extent <= 0) return 0.0f;
  const float r = static_cast<float>(hoop - extent) / static_cast<float>(extent);
  return std::min(0.0f, r);
}

}  // namespace

float hoopOverflow(std::int64_t w, std::int64_t h, std::int64_t hoopW, std::int64_t hoopH) { return -(shortfall(hoopW, w) + shortfall(hoopH, h)); }

bool fitToHoop(EmbDesign& design, const ConversionSettings& settings, HoopFit* fit) {
  HoopFit done;
  design.centreDesign();
  std::int64_t w = design.width();
  std::int64_t h = design.height();
  std::int64_t hoopW = 10 * std::int64_t{settings.hoopWidth};
  std::int64_t hoopH = 10 * std::int64_t{settings.hoopHeight};
  const bool hasHoop = settings.hoopWidth != 0 && settings.hoopHeight != 0;

  if (hasHoop) {
    const float n = hoopOverflow(w, h, hoopW, hoopH);
    if (n != 0.0f) {
      const float r = hoopOverflow(w, h, hoopH, hoopW);
      if (r == 0.0f || r < n) {
        if (settings.bothOrientations) {
          std::swap(hoopW, hoopH);
        } else if (settings.rotate) {
          const int s = w > h ? 1 : -1;
          design.rotateQuarter(s);
          design.fitRotation = s;
          done.quarterTurn = s;
          design.centreDesign();
          w = design.width();
          h = design.height();
        }
      }
    }
  }

  const int pct = settings.shrinkPercent();
  if (pct != 0 && hasHoop) {
    const float l = shortfall(hoopW, w);
    const float m = shortfall(hoopH, h);
    if (l + m != 0.0f) {
      const float need = std::max(-l, -m);
      const float allowed = static_cast<float>(pct) * 0.01f;
      if (allowed >= need) {
        shrinkDesign(design, static_cast<double>(1.0f - need));
        done.shrink = need;
        w = design.width();
        h = design.height();
      }
    }
  }
  done.hoopWidth = static_cast<int>(hoopW / 10);
  done.hoopHeight = static_cast<int>(hoopH / 10);
  if (fit) *fit = done;
  return w <= hoopW && h <= hoopH;
}

}  // namespace lh
