#pragma once
// The card formats PHC, PHB and PHD: PEC-encoded stitch segments, each placed, scaled, turned
// and mirrored by its own section header.
#include "formats/design_codec.h"

namespace lh {

// More colours than this and the file is refused.
inline constexpr int kPhcMaxColors = 250;

// Reader contract: ReadResult::Ok with a centred design (pesVersion 1), or ReadResult::Failed for an empty
// buffer or a colour count outside 0..250. A section that runs into the last 90 bytes or lacks
// its marker ends the reading with what was decoded so far.
ReadResult readPhc(DesignCodec& codec, EmbDesign& design, ByteSpan file);

}  // namespace lh
