#pragma once
// The colours a design's file format can hold and the thread charts offered for it, as the
// thread list of a stitch-less design (the reply to a colour-editing plug-in). Which palette and
// which charts a file type gets is a fact of its row in the format table; formats/format_table.h
// has the calls that take them from a design's path.
#include <cstdint>

#include "design/settings.h"

namespace lh {

class EmbDesign;

// A header thread announces the chart rows that follow it: rgb = kChartHeaderFlag + row count.
inline constexpr std::uint32_t kChartHeaderFlag = 0xFF000000u;
constexpr bool isChartHeader(std::uint32_t rgb) { return (rgb & 0xFF000000u) != 0; }

// The colour table a format's machines know.
enum class MachinePalette {
  None,
  Husqvarna,      // 29 entries of the Husqvarna table, in its display order
  Windows,        // the 16 standard Windows colours
  Pec,            // 66 PEC entries: display order, then 62, 63, 64, "Not Defined" and 0
  Janome,         // Janome codes 1 to 79
  SulkyRayonXxx,  // the 196-row Sulky Rayon chart
  RaPoly,         // the R-A Poly named chart
};

// The brand charts offered for a format's colour editing instead of its machine palette.
enum class BrandCharts {
  None,
  Vip,  // nine named charts
  Vp3,  // the VIP charts without Alcazar Rayon and Stickma Poly
  Pes,  // nine brand charts, while the "Conversion" setting "pes5" is on
};

struct FormatColors {
  MachinePalette palette = MachinePalette::None;
  BrandCharts charts = BrandCharts::None;
};

// Replaces design.threads with `palette` (no entries for None).
void machinePalette(EmbDesign& design, MachinePalette palette);

// Replaces design.threads with the charts offered, each preceded by a header thread; without
// charts (or PES charts while "pes5" is off) the machine palette without headers.
void offeredCharts(EmbDesign& design, FormatColors colors,
                   const SettingsStore& settings = defaultSettings());

}  // namespace lh
