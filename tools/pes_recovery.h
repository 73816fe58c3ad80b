#pragma once
// Rebuilding the stitches of a damaged PES version 1 file from its CSewSeg section.
#include "design/emb_design.h"
#include "formats/bytes.h"
#include "tools/tool_report.h"

namespace lh {

// `design` was loaded from `file` (its stitches come from the PEC block). For a version 1
// file of the larger hoop whose CSewSeg points disagree with those stitches, replaces the
// stitch list and bounds by the CSewSeg copy, reports "<path> has been reconstructed." and
// returns 1. Returns 0 and leaves the design as it is otherwise, also when any read would
// leave the file or when the copy does not have as many colour blocks as the design. The
// colour blocks are never changed.
int recoverPes10(EmbDesign& design, ByteSpan file, ToolReport& report);

}  // namespace lh
