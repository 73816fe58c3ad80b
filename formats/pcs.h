#pragma once
// PCS designs: absolute needle positions in fixed point (1535 file units per millimetre) after
// a table of 16 colours, with colour records between the stitches. The format marks no jumps;
// the reader infers them.
#include <cstdint>
#include <optional>

#include "formats/bytes.h"
#include "formats/design_codec.h"

namespace lh {

inline constexpr std::uint8_t kPcsSignature = 0x32;
inline constexpr int kPcsMaxColors = 100;       // a larger colour table is rejected
inline constexpr int kPcsTableColors = 16;      // colour table written
inline constexpr int kPcsUnitsPerTenMm = 1535;  // file units per 10 x 0.1 mm
inline constexpr std::size_t kPcsRecordSize = 9;
inline constexpr std::uint8_t kPcsColorFlags = 3;  // flag AND 3 = 3 marks a colour record
inline constexpr std::uint8_t kPcsEndFlag = 4;     // first and last stitch record
inline constexpr int kPcsSmallHoop = 2;
inline constexpr int kPcsLargeHoop = 3;
inline constexpr int kPcsSmallHoopExtent = 800;  // both sides at most this: the small hoop

// Fills `design` from a PCS image. 0 when the colour table is larger than 100 entries or the
// header does not fit the file; otherwise non-zero with the design centred (possibly without
// stitches).
ReadResult readPcs(DesignCodec& codec, EmbDesign& design, ByteSpan file);

// The PCS image of a (centred) design, or nothing when it has no records or more records
// than the 16-bit record count can state.
std::optional<ByteBuffer> writePcs(DesignCodec& codec, EmbDesign& design);

}  // namespace lh
