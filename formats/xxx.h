#pragma once
// XXX (Singer): a 256-byte header, 2-byte stitch pairs with 7D / 7E long records and 7F
// commands, then a 96-byte block of up to 22 colours.
#include <optional>

#include "formats/design_codec.h"

namespace lh {

// Reads an XXX file; the colours become rows of the Sulky Rayon chart XXX machines use.
// Always ReadResult::Ok: whatever the file holds is read as far as it goes.
ReadResult readXxx(DesignCodec& codec, EmbDesign& design, ByteSpan file);

// Writes a centred design as XXX. The design's first 15 colours go into the colour block;
// long moves that are not jumps are written as long stitches and marked as jumps.
std::optional<ByteBuffer> writeXxx(DesignCodec& codec, EmbDesign& design);

}  // namespace lh
