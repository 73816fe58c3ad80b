#pragma once
// Regrouping colour blocks of equal colour to save thread changes.
#include <functional>
#include <string_view>

#include "design/emb_design.h"
#include "design/settings.h"
#include "tools/tool_report.h"

namespace lh {

// Blocks beyond this many are not moved; they keep their order after the sorted ones.
inline constexpr int kMaxSortedBlocks = 250;

// "Color Sort Threshold" of section "Settings" (percent, default 5), clamped to 0..100.
int loadColorSortThreshold(const SettingsStore& store);

// Moves later blocks forward behind an earlier block of the same colour unless that puts
// them underneath a block between them that they overlap by more than `allowedOverlap`
// percent of their own pixels on a 400 x 400 raster, then joins adjacent blocks of equal
// colour. Returns the number of colours removed; at 0 the design is exactly as before.
// A change is reported as "<path> reduced N colors." ("reduced 1 color."). `status`, when
// given, receives "<path> color: <name>" for each block the scan starts from.
int colorSort(EmbDesign& design, int allowedOverlap, ToolReport& report,
              const std::function<void(std::string_view)>& status = {});

}  // namespace lh
