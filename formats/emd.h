#pragma once
// EMD (Elna): a 50-byte header, then 2-byte stitch pairs with 80-prefixed commands. The
// colours live in a companion text file beside the design (same name, extension "col").
#include <string>
#include <string_view>

#include "formats/design_codec.h"

namespace lh {

// Reads an EMD file. Blocks take the Husqvarna palette colours in order; when the companion
// colour file can be read (through the codec's file access, so "Zip:" members work too), its
// colours replace them. Always ReadResult::Ok.
ReadResult readEmd(DesignCodec& codec, EmbDesign& design, ByteSpan file);

// Path of the companion colour file: the design's path with its extension replaced by
// `extension`; empty when the path has no extension.
std::string emdColorPath(std::string_view designPath, std::string_view extension = "col");

// Applies the companion file's text: a first line with the number of colours, then one line
// "n,R,G,B" per colour. At most as many colours as the design has are replaced; each takes
// the name of the nearest PEC palette colour.
void applyEmdColors(EmbDesign& design, std::string_view text);

}  // namespace lh
