#pragma once
// The stream layout shared by the HUS and VIP expander and compressor (formats/hus_expand.cpp,
// formats/hus_compress.cpp); HusCodec (formats/hus_codec.h) is their public face.
#include <cstddef>

#include "formats/bytes.h"
#include "formats/hus_codec.h"

namespace lh::hus {

inline constexpr int kNC = 511;  // literals 0..255, lengths 3..256 as 256..509, 510 ends
inline constexpr int kNP = 15;   // distance classes
inline constexpr int kNT = 19;   // code-length alphabet
inline constexpr int kTBit = 5;  // count width of the code-length alphabet header
inline constexpr int kCBit = 9;  // count width of the literal/length header
inline constexpr int kPBit = 5;  // count width of the distance-class header
inline constexpr int kMaxCodeLen = 16;
inline constexpr int kEndOfStream = 510;
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 256;
inline constexpr int kLengthBase = 253;  // symbol = match length + 253
inline constexpr int kSpecialPosition = 3;
inline constexpr int kNoSpecial = -1;
inline constexpr int kMaxExhaustions = 5;

// Decodes a stream with the window of `level` (already checked), appending at most
// `maxOutput` bytes to `output`; HusCodec::expand describes the results.
HusCodec::Status expandStream(int level, ByteSpan input, ByteBuffer& output, std::size_t maxOutput);

// Encodes all of `input` with the window of `level` (already checked) and appends the stream
// to `output`.
void compressStream(int level, ByteSpan input, ByteBuffer& output);

}  // namespace lh::hus
