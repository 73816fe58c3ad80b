#pragma once
// VP3 designs: a big-endian, nested, length-prefixed layout with a text signature, one thread
// description per colour block (brand, code, name and up to ten colour entries) and per-block
// stitch data of byte moves with escapes for long moves (jumps) and trims.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "design/thread_color.h"
#include "formats/bytes.h"
#include "formats/design_codec.h"

namespace lh {

// "%vsm%" and two zero bytes: the start of every VP3 file written.
inline constexpr std::array<std::uint8_t, 7> kVp3Signature{0x25, 0x76, 0x73, 0x6D, 0x25, 0x00, 0x00};
inline constexpr int kVp3MaxKeywordBytes = 1023;
inline constexpr std::size_t kVp3MaxColors = 0xFFFF;  // the colour count field
inline constexpr int kVp3MaxRgbEntries = 10;          // a larger entry count is read as one entry
inline constexpr std::size_t kVp3MaxText = 255;       // characters kept of each thread text
inline constexpr int kVp3MaxShortMove = 127;          // longer moves are written as jumps
inline constexpr int kVp3DefaultMaterial = 5;         // rayon
inline constexpr int kVp3PolyMaterial = 6;
inline constexpr int kVp3DefaultWeight = 40;
// Later design sections of a file start at this X (the first starts at the origin).
inline constexpr int kVp3LaterSectionX = -1600;

// Fills `design` from a VP3 image. Parsing stops quietly where a position runs past the end of
// the file, keeping what was read; 0 when not even one colour block could be read.
ReadResult readVp3(DesignCodec& codec, EmbDesign& design, ByteSpan file);

// The VP3 image of a design, or nothing for a design without records or with more colour
// blocks than the colour count can state. Colours that carry no VP3 thread description are
// written as the nearest thread of a brand chart.
std::optional<ByteBuffer> writeVp3(DesignCodec& codec, EmbDesign& design);

// The brand chart thread written for a colour that did not come from a VP3 file: the brand
// and thread kind guessed from its displayName, then the nearest row of that chart, with the
// thread line as `brand`, the catalogue number as `code` and "Material" set to the kind.
ThreadColor resolveVp3Thread(const ThreadColor& color);

}  // namespace lh
