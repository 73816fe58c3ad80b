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

namespace {

// Rows in order, each at pointOf(i); the first row at the smallest distance wins.
template <typename PointOf>
ChartMatch nearestRow(std::uint32_t rgb, std::span<const ThreadColor> rows, PointOf pointOf) {
  const CylinderPoint target = cylinderPoint(rgb);
  // Squared integer distances order the rows exactly as their square roots do.
  long best = 10000L * 10000L;
  ChartMatch match;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const long d = squaredDistance(target, pointOf(i));
    if (d < best) {
      best = d;
      match.row = &rows[i];
      if (d == 0) break;
    }
  }
  if (match.row) match.distance = static_cast<int>(std::lround(std::sqrt(static_cast<double>(best))));
  return match;
}

// Cylinder points of every chart row, computed once.
const std::vector<CylinderPoint>& chartPoints(Chart chart) {
  static const auto points = [] {
    std::array<std::vector<CylinderPoint>, kChartCount> all;
    for (const ChartInfo& info : chartInfos())
      for (const ThreadColor& row : chartRows(info.chart))
        all[static_cast<std::size_t>(info.chart)].push_back(cylinderPoint(row.rgb));
    return all;
  }();
  return points[static_cast<std::size_t>(chart)];
}

}  // namespace

ChartMatch nearestChartRow(std::uint32_t rgb, std::span<const ThreadColor> rows) {
  return nearestRow(rgb, rows, [rows](std::size_t i) { return cylinderPoint(rows[i].rgb); });
}

ChartMatch nearestChartRow(std::uint32_t rgb, Chart chart) {
  const std::vector<CylinderPoint>& points = chartPoints(chart);
  return nearestRow(rgb, chartRows(chart), [&points](std::size_t i) { return points[i]; });
}

int matchPercent(float distance) { return 100 - static_cast<int>(std::lround(distance * 0.22573364f)); }

namespace {

// colorDistance(target, row) for a row whose derived fields are filled. colorDistance derives
// both records on every call, and hsbDistance may lift the target's saturation from -1 to 0, so
// the target's derived saturation is put back before each row; the result is the same while
// the target is derived once and no row is copied.
class Matcher {
 public:
  explicit Matcher(const ThreadColor& thread) {
    target_.rgb = thread.rgb;
    target_.hue = thread.hue;  // an achromatic colour keeps the hue it had
    target_.updateHsb();
    saturation_ = target_.saturation;
    weight_ = static_cast<float>(target_.brightness) * 0.003921569f;
  }

  float distance(const ThreadColor& row) {
    target_.saturation = saturation_;
    const float r = rgbDistance(target_, row);
    const float h = hsbDistance(target_, row);
    return (1.0f - weight_) * r + weight_ * h;
  }

 private:
  ThreadColor target_;
  std::int32_t saturation_ = 0;
  float weight_ = 0.0f;
};

// The three best rows by Matcher distance; `derived` gives a row with its derived fields filled.
template <typename Derived>
void collectTopThree(const ThreadColor& thread, std::span<const ThreadColor> rows, Derived derived,
                     std::vector<ThreadColor>& out) {
  Matcher matcher(thread);
  std::array<float, 3> dist{100000.0f, 100000.0f, 100000.0f};
  std::array<const ThreadColor*, 3> slot{};
  for (const ThreadColor& row : rows) {
    const float d = matcher.distance(derived(row));
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

}  // namespace

void topThreeMatches(const ThreadColor& thread, std::span<const ThreadColor> rows, std::vector<ThreadColor>& out) {
  // Rows of any origin: derive each into a light record (no strings copied). A row without a
  // chromatic hue keeps its own, as colorDistance would leave it.
  ThreadColor probe;
  collectTopThree(thread, rows,
                  [&probe](const ThreadColor& row) -> const ThreadColor& {
                    probe.rgb = row.rgb;
                    probe.hue = row.hue;
                    probe.updateHsb();
                    return probe;
                  },
                  out);
}

void topThreeMatches(const ThreadColor& thread, Chart chart, std::vector<ThreadColor>& out) {
  // Chart rows are derived when the charts are built.
  collectTopThree(thread, chartRows(chart), [](const ThreadColor& row) -> const ThreadColor& { return row; }, out);
}

std::span<const Chart> matchReportCharts() { return kReportCharts; }

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
