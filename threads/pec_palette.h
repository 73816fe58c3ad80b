#pragma once
// The PEC palette that every PES and PEC file indexes: 95 fixed colours with names and the
// catalogue codes of the Embroidery thread line.
#include <array>
#include <cstdint>
#include <string_view>

#include "design/thread_color.h"

namespace lh {

class EmbDesign;

inline constexpr int kPecPaletteSize = 95;   // indexes 0..94
inline constexpr int kPecThreadColors = 61;  // the machine's thread colours, 1..61
inline constexpr int kPecNotDefined = 65;

// The 61 thread colours in the order the machine's chart lists them.
extern const std::array<int, kPecThreadColors> kPecDisplayOrder;

// Colour of a palette index; any index outside 0..94 reads as (225, 225, 225).
std::uint32_t pecColor(int index);
// Name of a palette index; any index outside 0..94 reads as "Unknown".
std::string_view pecColorName(int index);
// Embroidery-line catalogue code of indexes 1..61; empty for every other value.
std::string_view embroideryCode(int index);

// Every colour block takes pecColor of its chartCode.
void applyPecColors(EmbDesign& design);

}  // namespace lh
