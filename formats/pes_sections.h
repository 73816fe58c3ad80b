#pragma once
// Pieces both PES writer generations share (formats/pes_writer.cpp, formats/pes_older_writer.cpp):
// the design's extents, the little-endian field writers, the CSewSeg data with its segment
// counter, and the start of the PEC block.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "design/emb_design.h"
#include "formats/bytes.h"
#include "formats/pes_writer.h"

namespace lh::pes {

// Where the PEC block's offset is patched into every header.
inline constexpr std::size_t kPecOffsetAt = 8;
// Filler of the block of palette indexes after the PEC block.
inline constexpr std::uint8_t kFill = 0x20;
// Fixed values every header version from 2 on carries before its object sections.
inline constexpr int kFixedRun[] = {7, 19, 0, 0, 0, 25, 1};

struct Extents {
  int w = 0, h = 0, cx = 0, cy = 0;
};
// Extents of the centred design: |minX| + maxX by |minY| + maxY, and their halves.
Extents extentsOf(const EmbDesign& d);

void putI16(ByteWriter& w, int v);
void putF32(ByteWriter& w, float v);
// A counted text: one length byte (the text cut to kPesCountedTextMax), then the bytes.
void putCounted(ByteWriter& w, std::string_view s);

// The CSewSeg data and the segment counter. A segment begins at the first record, at every
// record whose Jump flag differs from the previous record's and at every colour change; a run
// longer than an int16 count can hold continues in a further segment of the same kind.
struct SewSegments {
  ByteBuffer bytes;
  int count = 0;
  std::vector<int> entries;  // e(i): the counter where block i begins
};

// The segments of `d`, points starting at (x0, y0); `colorOf` gives the colour field of a
// segment opened in `block` (`first` for the design's first segment).
SewSegments buildSewSegments(const EmbDesign& d, int x0, int y0,
                             const std::function<int(std::size_t block, bool first)>& colorOf);

// The segment entry of each block (blocks beyond the colour changes start at the end).
int entryOf(const SewSegments& s, std::size_t block);

// PEC header, section header and stitch bytes (the caller adds the pictures).
ByteBuffer pecBlockStart(const EmbDesign& d, std::span<const std::uint8_t> indexes, bool threadTableMark);

// Moves the first record so that the design starts from the top left corner of its extents.
void shiftToCorner(Stitch& first, const Extents& e);

// The older writer (versions 1, 2 and 4); writePes chooses it when version5 is off.
PesResult writeOlder(EmbDesign& d, const PesWriteOptions& o, ByteBuffer& out);

}  // namespace lh::pes
