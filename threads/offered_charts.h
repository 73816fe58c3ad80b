#pragma once
// The colours a design's file format can hold and the thread charts offered for it, as the
// thread list of a stitch-less design (the reply to a colour-editing plug-in).
#include <cstdint>

#include "design/settings.h"

namespace lh {

class EmbDesign;

// A header thread announces the chart rows that follow it: rgb = kChartHeaderFlag + row count.
inline constexpr std::uint32_t kChartHeaderFlag = 0xFF000000u;
constexpr bool isChartHeader(std::uint32_t rgb) { return (rgb & 0xFF000000u) != 0; }

// Replaces design.threads with the machine palette of the format named by the extension of
// design.path; an unknown extension leaves no entries.
void machinePalette(EmbDesign& design);

// Replaces design.threads with the charts offered for the design's format, each preceded by a
// header thread; formats without charts get their machine palette without headers. PES designs
// are offered the brand charts while the "Conversion" setting "pes5" is on (the default).
void offeredCharts(EmbDesign& design, const SettingsStore& settings = defaultSettings());

}  // namespace lh
