#include "threads/thread_matching.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "design/emb_design.h"
#include "threads/pec_palette.h"

namespace lh {

namespace {

// A colour as a point of the hue/saturation cylinder: hue is the angle, twice the saturation
// the radius, the brightest channel the height.
struct CylinderPoint {
  long x, y, z;
};

CylinderPoint cylinderPoint(std::uint32_t rgb) {
  const int r = redOf(rgb), g = greenOf(rgb), b = blueOf(rgb);
  const int v = std::max({r, g, b});
  const int m = std::min({r, g, b});
  int s = 0, hue = 0;
  if (v != m) {
    const double d = v - m;
    s = static_cast<int>(255.0 * (v - m) / v);
    double h;
    if (r == v)
      h = (g - b) / d;
    else if (g == v)
      h = (b - r) / d + 2.0;
    else
      h = (r - g) / d + 4.0;
    h *= 60.0;
    if (h < 0) h += 360.0;
    hue = static_cast<int>(h);
    if (hue == 360) hue = 0;
  }
  const double angle = hue * std::numbers::pi / 180.0;
  return {std::lround(std::cos(angle) * 2.0 * s), std::lround(std::sin(angle) * 2.0 * s), v};
}

long squaredDistance(const CylinderPoint& a, const CylinderPoint& b) {
  const long dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

const std::array<Chart, 4> kReportCharts{Chart::SulkyRayon, Chart::MaRayon, Chart::RaPoly, Chart::Isacord};

}  // namespace

int nearestPecColor(int red, int green, int blue, bool includeApplique, bool includeExtended) {
  int best = 765;
  int result = 0;
  auto consider = [&](int index) {
    const std::uint32_t c = pecColor(index);
    const int d = std::abs(red - redOf(c)) + std::abs(green - greenOf(c)) + std::abs(blue - blueOf(c));
    if (d < best) {
      best = d;
      result = index;
    }
  };
  for (int index : kPecDisplayOrder) consider(index);
  if (includeApplique)
    for (int index = 62; index <= kPecNotDefined; ++index) consider(index);
  if (includeExtended) {
    consider(0);
    for (int index = kPecNotDefined; index < kPecPaletteSize; ++index) consider(index);
  }
  return result;
}

ChartMatch nearestChartRow(std::uint32_t rgb, std::span<const ThreadColor> rows) {
  const CylinderPoint target = cylinderPoint(rgb);
  // Squared integer distances order the rows exactly as their square roots do.
  long best = 10000L * 10000L;
  ChartMatch match;
  for (const ThreadColor& row : rows) {
    const long d = squaredDistance(target, cylinderPoint(row.rgb));
    if (d < best) {
      best = d;
      match.row = &row;
      if (d == 0) break;
    }
  }
  if (match.row) match.distance = static_cast<int>(std::lround(std::sqrt(static_cast<double>(best))));
  return match;
}

ChartMatch nearestChartRow(std::uint32_t rgb, Chart chart) { return nearestChartRow(rgb, chartRows(chart)); }

int matchPercent(float distance) { return 100 - static_cast<int>(std::lround(distance * 0.22573364f)); }

void topThreeMatches(const ThreadColor& thread, std::span<const ThreadColor> rows, std::vector<ThreadColor>& out) {
  // colorDistance derives hue, saturation and brightness of both records on every call; these
  // two light records carry just what that needs (an achromatic colour keeps its old hue), so
  // no chart row is copied until it is known to be among the best.
  ThreadColor target;
  target.rgb = thread.rgb;
  target.hue = thread.hue;
  ThreadColor candidate;
  std::array<float, 3> dist{100000.0f, 100000.0f, 100000.0f};
  std::array<const ThreadColor*, 3> slot{};
  for (const ThreadColor& row : rows) {
    candidate.rgb = row.rgb;
    candidate.hue = row.hue;
    const float d = colorDistance(target, candidate);
    if (d < dist[0]) {
      dist = {d, dist[0], dist[1]};
      slot = {&row, slot[0], slot[1]};
    } else if (d < dist[1]) {
      dist = {dist[0], d, dist[1]};
      slot = {slot[0], &row, slot[1]};
    } else if (d < dist[2]) {
      dist[2] = d;
      slot[2] = &row;
    }
  }
  for (std::size_t i = 0; i < slot.size(); ++i) {
    if (!slot[i]) continue;
    ThreadColor match = *slot[i];
    match.needle = matchPercent(dist[i]);
    out.push_back(std::move(match));
  }
}

void topThreeMatches(const ThreadColor& thread, Chart chart, std::vector<ThreadColor>& out) {
  topThreeMatches(thread, chartRows(chart), out);
}

std::string matchReport(const EmbDesign& design) {
  std::vector<const ThreadColor*> kept;
  for (const ThreadColor& t : design.threads)
    if (std::none_of(kept.begin(), kept.end(), [&](const ThreadColor* k) { return k->rgb == t.rgb; }))
      kept.push_back(&t);

  std::string report;
  std::vector<ThreadColor> matches;
  for (const ThreadColor* block : kept) {
    report += "\r\n";
    report += block->displayName;
    report += " Matches:\r\n";
    for (Chart chart : kReportCharts) {
      matches.clear();
      topThreeMatches(*block, chart, matches);
      for (std::size_t i = 0; i < matches.size(); ++i) {
        if (i > 0) report += " - ";
        char percent[24];
        std::snprintf(percent, sizeof percent, " (%i%%)", matches[i].needle);
        report += matches[i].displayName;
        report += percent;
      }
      report += "\r\n";
    }
  }
  return report;
}

}  // namespace lh
