#pragma once
// The PEC block: the stitch encoding shared by PES, PEC and the PHC card formats, and the
// block every written PES file embeds (512-byte header with label and colour list, 16-byte
// section header, stitch bytes, monochrome pictures of the design and of each colour block).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "design/emb_design.h"
#include "formats/bytes.h"

namespace lh {

inline constexpr std::size_t kPecHeaderSize = 512;
inline constexpr std::size_t kPecSectionHeaderSize = 16;
inline constexpr std::size_t kPecColorCountOffset = 48;  // number of colours minus one
inline constexpr std::size_t kPecColorListOffset = 49;   // one palette index per block
// The header has room for this many indexes, but the count byte limits a block to 256.
inline constexpr std::size_t kPecColorListCapacity = kPecHeaderSize - kPecColorListOffset;
inline constexpr std::size_t kPecMaxBlocks = 256;
inline constexpr std::size_t kPecLabelLength = 8;
inline constexpr std::uint8_t kPecEndByte = 0xFF;
// Section lengths and file offsets are stored in 24 bits.
inline constexpr std::uint32_t kPec24BitLimit = 0xFFFFFF;
// Long values are 12-bit two's complement.
inline constexpr int kPecLongMin = -2048;
inline constexpr int kPecLongMax = 2047;

// Monochrome pictures: 38 rows of 6 bytes, bit k of a byte is pixel 8 x column + k.
inline constexpr int kPecPictureWidth = 48;
inline constexpr int kPecPictureRows = 38;
inline constexpr int kPecPictureStride = 6;
inline constexpr std::size_t kPecPictureSize = 228;
// Colour pictures are sampled every third pixel of a render of this size.
inline constexpr int kPecRenderWidth = 144;
inline constexpr int kPecRenderHeight = 114;

// Decodes one record at `cursor` (advanced past it) from `bytes`: FE B0 xx is a zero-move
// colour change; otherwise X then Y, each one 7-bit byte or a 12-bit pair whose first byte
// has the high bit set (a first byte above 0x8F marks a jump). Y is negated (PEC's Y axis
// points down). Nothing when the record runs past the end of `bytes`.
std::optional<Stitch> decodePecStitch(ByteSpan bytes, std::size_t& cursor);

// Appends one colour block per PEC palette index: chartCode = the index, displayName = the
// palette name, rgb = the palette colour.
void pecBlockColors(EmbDesign& design, ByteSpan indexes);

// Writes the PEC bytes of one record (3 to 7 bytes) into `buffer`. colourNumber 0 marks the
// first record of a design (always written long); a colour change writes its third byte as
// 1 for an odd colourNumber and 2 for an even one.
int encodePecStitch(std::uint8_t* buffer, const Stitch& stitch, int colourNumber);

// Appends the stitch bytes of every record followed by the end byte 0xFF; returns the
// section length (bytes before the end byte + 17). A move outside the 12-bit range is written
// as leading long jumps followed by the record with the rest, so no value ever wraps.
std::uint32_t writePecStitches(const EmbDesign& design, ByteWriter& out);

// The label of a design path: the file name before its last dot (empty without a dot),
// cut to 8 characters.
std::string pecLabel(std::string_view path);

// The 512-byte PEC header. `colorIndexes` holds one palette index per block (at most
// kPecMaxBlocks); byte 31 is 0xFF when `threadTableMark`, else a space.
void writePecHeader(ByteWriter& out, std::string_view label, std::span<const std::uint8_t> colorIndexes,
                    bool threadTableMark);
// The 16-byte section header of a stitch section of `sectionLength` with the design's size.
void writePecSectionHeader(ByteWriter& out, std::uint32_t sectionLength, int width, int height);

// Renders colour block `block` alone at 144 x 114 (the scale follows the whole design) and
// samples every third pixel into a 228-byte picture at `out`. The design's bitmap size and
// buffer change; its palette binding is restored.
void pecColourPicture(EmbDesign& design, int block, std::uint8_t* out);

// On `blocks` + 1 consecutive pictures (the design picture first, zeroed by the caller, then
// the colour pictures): frames every picture and fills the design picture with the outlines
// of the colour pictures.
void pecDesignPicture(std::uint8_t* pictures, std::size_t blocks);

// The design picture followed by one picture per colour block: (T + 1) x 228 bytes.
ByteBuffer pecPictures(EmbDesign& design);

}  // namespace lh
