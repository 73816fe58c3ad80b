#pragma once
// The PES writer, in two generations sharing the PEC block and the CEmbOne / CSewSeg sections:
// the older writer (versions 1, 2 and 4 by size, colours reduced to the PEC palette) and the
// version 5 / 6 writer (the design's own threads in a thread table, "#PES0050", "#PES0055" or
// "#PES0060" by hoop).
#include <cstddef>
#include <cstdint>
#include <optional>

#include "design/settings.h"
#include "formats/design_codec.h"

namespace lh {

// Longest move a written record carries.
inline constexpr int kPesMaxMove = 500;
// The block after a version 5 / 6 PEC block holds the count and at most 127 palette indexes;
// readers find the colour list behind it at a fixed distance, so it cannot grow.
inline constexpr std::size_t kPesIndexBlockSize = 128;
inline constexpr std::size_t kPesMaxBlocksV5 = kPesIndexBlockSize - 1;
// Counted texts carry a one-byte length; longer texts are cut.
inline constexpr std::size_t kPesCountedTextMax = 255;
// CSewSeg point counts are int16; longer runs continue in a further segment of the same kind.
inline constexpr int kPesSegmentMaxPoints = 32767;
// Tie-off stitches ensured before a long jump, and the longest stitch that counts as one.
inline constexpr int kPesTieOffStitches = 3;
inline constexpr int kPesTieOffLength = 5;

// The "Conversion" settings that steer the writer (defaults: all on, 6 mm).
struct PesWriteOptions {
  bool version5 = true;     // "pes5"
  bool version6 = true;     // "pes6"
  bool ensureTrims = true;  // "pestrim"
  int trimLength = 6;       // "pestrimlen", mm
};
PesWriteOptions pesWriteOptions(const SettingsStore& settings);

// Results of writePes with options (the writer's integers: 0 written, -1 refused).
enum class PesResult {
  Written = 0,   // with output; also without output for a design without colours
  Refused = -1,  // no records, or beyond what the format can hold
};

// Writes `design` (a working copy: it is folded, split, turned, re-centred and its blocks get
// chartCode, fileThreadIndex, needle and thread texts). On Written `out` holds the file
// unless the design has no colour blocks (then it stays empty).
PesResult writePes(EmbDesign& design, const PesWriteOptions& options, ByteBuffer& out);

// The same as the writer of the format table, with the options from the codec's settings:
// the file image, or nothing.
std::optional<ByteBuffer> writePes(DesignCodec& codec, EmbDesign& design);

// Ensures at least three stitches of length 5 or less before every jump longer than
// 10 x trimLengthMm that follows sewing, inserting zero-move stitches where the run is shorter.
void ensureTrims(EmbDesign& design, int trimLengthMm);

}  // namespace lh
