#pragma once
// Tajima DST: a 512-byte text header, then 3-byte records in balanced ternary, ended by
// 00 00 F3. Moves only; colour blocks take the Husqvarna palette in turn.
#include <optional>

#include "formats/design_codec.h"

namespace lh {

inline constexpr std::size_t kDstHeaderSize = 512;
inline constexpr int kDstMaxMove = 121;  // per axis

// Reader contract of the load dispatcher; fails only on more records than kMaxDesignRecords
// (a file without records gives one colour and no stitches).
ReadResult readDst(DesignCodec& codec, EmbDesign& design, ByteSpan file);

// Centres the design, cuts long moves, ensures trims before long jumps (settings "dsttrim",
// "dstjumps", "dsttrimlen" of "Conversion") and encodes. Nothing for a design without stitches.
std::optional<ByteBuffer> writeDst(DesignCodec& codec, EmbDesign& design);

// The three record bytes of one move (each axis within -121..121) with its flags.
void encodeDstRecord(const Stitch& s, std::uint8_t out[3]);

}  // namespace lh
