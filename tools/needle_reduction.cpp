#include "tools/needle_reduction.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace lh {

namespace {

struct ColorPoint {
  int x, y, z;
};

ColorPoint pointOf(std::uint32_t rgb) {
  const int r = redOf(rgb), g = greenOf(rgb), b = blueOf(rgb);
  const int mx = std::max({r, g, b});
  const int mn = std::min({r, g, b});
  int s = 0;
  int hue = 0;
  if (mx != mn) {
    const double d = mx - mn;
    s = static_cast<int>(d / mx * 255.0);
    double h;
    if (r == mx)
      h = 60.0 * ((g - b) / d);
    else if (g == mx)
      h = 60.0 * ((b - r) / d + 2.0);
    else
      h = 60.0 * ((r - g) / d + 4.0);
    if (h < 0) h += 360.0;
    if (h >= 360.0) h = 0.0;
    hue = static_cast<int>(h);
  }
  const double rad = hue * std::numbers::pi / 180.0;
  return {static_cast<int>(std::round(2.0 * s * std::cos(rad))), static_cast<int>(std::round(2.0 * s * std::sin(rad))),
          mx};
}

float distance(const ColorPoint& a, const ColorPoint& b) {
  const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

// Thread lengths are 64-bit: the sum of a design's blocks cannot wrap.
void addWeight(ThreadColor& into, const ThreadColor& from) { into.threadLength += from.threadLength; }

struct PaletteEntry {
  ThreadColor thread;
  ColorPoint point;
};

}  // namespace

int needleCount(const EmbDesign& design) {
  std::vector<std::uint32_t> seen;
  for (const ThreadColor& t : design.threads)
    if (std::find(seen.begin(), seen.end(), t.rgb) == seen.end()) seen.push_back(t.rgb);
  return static_cast<int>(seen.size());
}

float needleDistance(std::uint32_t a, std::uint32_t b) { return distance(pointOf(a), pointOf(b)); }

int reduceNeedles(EmbDesign& design, int maxNeedles) {
  if (maxNeedles <= 0 || static_cast<std::size_t>(maxNeedles) >= design.threads.size()) return 0;

  // One entry per distinct colour in order of first use; threadLength is its usage weight.
  std::vector<PaletteEntry> palette;
  for (const ThreadColor& t : design.threads) {
    const bool known = std::any_of(palette.begin(), palette.end(), [&](const PaletteEntry& e) { return e.thread.rgb == t.rgb; });
    if (!known) palette.push_back({t, pointOf(t.rgb)});
  }
  const int before = static_cast<int>(palette.size());

  while (palette.size() > static_cast<std::size_t>(maxNeedles)) {
    float best = 1000000.0f;
    std::ptrdiff_t victim = -1;
    for (std::size_t a = 0; a < palette.size(); ++a) {
      for (std::size_t b = a + 1; b < palette.size(); ++b) {
        const float d = distance(palette[a].point, palette[b].point);
        if (!(d < best)) continue;
        best = d;
        // Every pair that becomes the closest so far passes its weight on, even when a
        // closer pair is found later.
        ThreadColor& ta = palette[a].thread;
        ThreadColor& tb = palette[b].thread;
        if (ta.threadLength < tb.threadLength) {
          victim = static_cast<std::ptrdiff_t>(a);
          addWeight(tb, ta);
        } else {
          victim = static_cast<std::ptrdiff_t>(b);
          addWeight(ta, tb);
        }
      }
    }
    if (victim < 0) return 0;
    palette.erase(palette.begin() + victim);
  }

  for (ThreadColor& t : design.threads) {
    const ColorPoint p = pointOf(t.rgb);
    const PaletteEntry* nearest = nullptr;
    float best = 0.0f;
    for (const PaletteEntry& e : palette) {
      const float d = distance(p, e.point);
      if (!nearest || d < best) {
        nearest = &e;
        best = d;
      }
    }
    const ThreadColor& n = nearest->thread;
    t.rgb = n.rgb;
    t.chartCode = n.chartCode;
    t.displayName = n.displayName;
    t.code = n.code;
    t.colorName = n.colorName;
    t.brand = n.brand;
    t.chartName = n.chartName;
    t.updateHsb();
  }
  return before - static_cast<int>(palette.size());
}

}  // namespace lh
