#pragma once
// Melco expanded (EXP): 2-byte pairs of signed moves; 80 01 and 80 04 prefix colour changes
// and jumps. No header, no end mark, no colours.
#include <optional>

#include "formats/design_codec.h"

namespace lh {

inline constexpr int kExpMaxMove = 121;  // per axis, as written

// Reader contract of the load dispatcher; fails only on more records than kMaxDesignRecords.
ReadResult readExp(DesignCodec& codec, EmbDesign& design, ByteSpan file);

// Cuts long moves and encodes. Nothing for a design without stitches.
std::optional<ByteBuffer> writeExp(DesignCodec& codec, EmbDesign& design);

}  // namespace lh
