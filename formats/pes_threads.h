#pragma once
// The thread identity a PES 5 / 6 file gives every colour block: the table of distinct threads
// (brand, catalogue code, colour name, type, chart name, colour), the index of each block into
// it, and a 48 x 24 monochrome label per block with the catalogue code and the brand's emblem.
#include <cstddef>
#include <cstdint>

#include "design/emb_design.h"

namespace lh {

inline constexpr std::size_t kThreadLabelSize = 144;  // 24 rows of 6 bytes
inline constexpr int kThreadLabelStride = 6;
inline constexpr int kThreadLabelRows = 24;
inline constexpr std::size_t kLabelCodeDigits = 6;

// Thread types written into the table.
inline constexpr std::int32_t kThreadTypeChart = 1;
inline constexpr std::int32_t kThreadTypeApplique = 2;
inline constexpr std::int32_t kThreadTypeEmbroidery = 10;
inline constexpr std::int32_t kThreadTypeCountry = 11;

// Empties fileThreads, gives every colour block a thread identity (applique, the chart of
// designs from other formats, the brand chart by chartCode, the Sulky fallback) and its
// fileThreadIndex, and fills fileThreads with one entry per distinct colour value.
void buildFileThreads(EmbDesign& design);

// Writes one 144-byte label per colour block, in order, to `out` (T x 144 bytes, zeroed by the
// caller): the top picture, up to six digit glyphs of the code and the brand emblem, or the
// whole applique picture for codes 100, 101 and 102 without a brand.
void threadLabelPictures(const EmbDesign& design, std::uint8_t* out);

}  // namespace lh
