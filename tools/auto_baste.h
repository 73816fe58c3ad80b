#pragma once
// Basting outline around a design.
#include "design/emb_design.h"
#include "design/settings.h"
#include "tools/conversion_settings.h"
#include "tools/tool_report.h"

namespace lh {

struct BasteSettings {
  int length = 6;      // "Baste length", running-stitch length in mm (1 to 100)
  bool combine = true; // "Baste combine": the baste followed by the design in one file
  bool cross = true;   // "Baste cross": crosshair ticks in the middle of each side
  int edge = 1;        // "Baste edge", distance outside the design in mm (0 to 10)
};

// Reads the four values of section "Settings", clamped to their ranges.
BasteSettings loadBasteSettings(const SettingsStore& store);

// Replaces the design's records and threads by a basting rectangle of running stitches
// (and, combined, the design after it as further colours). The edge distance applies only
// when the widened rectangle stays inside `hoop`. A design whose larger extent is 0.4 mm or
// less cannot advance the running stitch: it is left unchanged, `report` gets
// "<path> is too small to baste." and the result is false.
bool autoBaste(EmbDesign& design, const BasteSettings& settings, const HoopRect& hoop, ToolReport& report);

}  // namespace lh
