#pragma once
// SHV (an older Husqvarna Viking format), read only: a text header, a preview picture, a
// colour table with brand thread codes and plain stitch data, block after block.
#include "formats/bytes.h"
#include "formats/design_codec.h"

namespace lh {

ReadResult readShv(DesignCodec& codec, EmbDesign& design, ByteSpan file);

}  // namespace lh
