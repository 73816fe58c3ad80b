#pragma once
// Finding the threads nearest to a colour: in the PEC palette, in a brand chart, and the three
// best matches per chart for the match report of a design.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "design/thread_color.h"
#include "threads/thread_charts.h"

namespace lh {

class EmbDesign;

// PEC palette index nearest to (red, green, blue) by the sum of channel differences, searched
// in display order, then the applique colours 62..65 and then the extended colours 0, 65..94
// when allowed. Ties keep the earlier candidate; 0 when no candidate is closer than 765.
int nearestPecColor(int red, int green, int blue, bool includeApplique, bool includeExtended);

struct ChartMatch {
  const ThreadColor* row = nullptr;  // null for a chart without rows
  int distance = 0;                  // rounded distance in the hue/saturation cylinder
};

// The row nearest to rgb in the hue/saturation/brightness cylinder; the first of equal rows wins.
ChartMatch nearestChartRow(std::uint32_t rgb, std::span<const ThreadColor> rows);
ChartMatch nearestChartRow(std::uint32_t rgb, Chart chart);

// Appends up to three copies of the rows nearest to `thread` by colorDistance, nearest first;
// each copy's `needle` holds its match percentage (0..100).
void topThreeMatches(const ThreadColor& thread, std::span<const ThreadColor> rows, std::vector<ThreadColor>& out);
void topThreeMatches(const ThreadColor& thread, Chart chart, std::vector<ThreadColor>& out);

// Match percentage of a colorDistance: 100 - round(distance x 0.22573364).
int matchPercent(float distance);

// The charts of the match report, in report order: Sulky Rayon, MA Rayon, RA Poly, Isacord.
std::span<const Chart> matchReportCharts();

// For every distinct colour of the design, the best matches in the Sulky Rayon, MA Rayon, RA Poly
// and Isacord charts; lines end in CR LF.
std::string matchReport(const EmbDesign& design);

}  // namespace lh
