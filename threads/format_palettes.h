#pragma once
// Fixed colour tables of the machine formats that carry palette numbers instead of colours:
// the Husqvarna palette (DST, EXP, HUS, VIP, SHV, XXX), the Janome palette (JEF, SEW) and the
// 16 standard Windows colours (PCS). Built into the program and never changed.
#include <array>
#include <cstdint>
#include <span>

#include "design/thread_color.h"

namespace lh {

// Husqvarna palette: 28 named colours at 0..28 (22 is the "Light Gray" default), aliases above.
inline constexpr int kHusqvarnaColors = 28;        // colours cycled by formats without colours
inline constexpr int kHusqvarnaSearchEntries = 29;  // entries 0..28 searched by nearestHusqvarnaIndex

// The palette entry n with colorName and displayName set to its name, rgb to its colour and
// chartCode = n; every index without an entry of its own (22, 29..32, 39, 40, 44 and up, and
// negative ones) gives "Light Gray".
ThreadColor husqvarnaColor(int n);

// Entry 0..28 with the smallest sum of channel differences from rgb; the lowest index wins a tie.
int nearestHusqvarnaIndex(std::uint32_t rgb);

// Janome palette: codes 1..79, 79 being "Other Color".
inline constexpr int kJanomeCodes = 79;

// Sets thread.chartCode = code and, for codes 1..79, its rgb and displayName from the palette;
// other codes leave the colour and name unchanged.
void janomeColor(ThreadColor& thread, int code);
// A new record filled by janomeColor(record, code).
ThreadColor janomeColor(int code);
// Palette colour of a code 1..79; 0 (black) for other codes.
std::uint32_t janomeRgb(int code);

// The code 1..78 whose colour has the smallest sum of channel differences from rgb (the first
// such code wins; 1 when nothing is closer than 765). "Other Color" is never chosen.
int nearestJanomeCode(std::uint32_t rgb);
// As above for thread.rgb; the code is also stored in thread.chartCode.
int nearestJanomeCode(ThreadColor& thread);

// The 16 standard Windows colours, indexes 0..15.
inline constexpr int kWindowsColors = 16;
using WindowsColorTable = std::array<std::uint32_t, kWindowsColors>;

// The standard table (the PCS writer starts from a copy and puts the design's colours over it).
const WindowsColorTable& windowsPalette();

// Entry `index` with colorName, displayName, rgb and chartCode = index; an index outside
// 0..15 gives an empty record whose chartCode is the index.
ThreadColor windowsColor(int index);

// Index of the standard colour equal to rgb, or -1 when no standard colour is.
int exactWindowsIndex(std::uint32_t rgb);

// Index 0..15 of `table` with the smallest sum of channel differences from rgb, the lowest index
// winning a tie; 0 when none is below 765.
int nearestWindowsIndex(std::uint32_t rgb, const WindowsColorTable& table);
// Same search over the standard table.
int nearestWindowsIndex(std::uint32_t rgb);

// Sum of the absolute differences of the three channels (0..765).
constexpr int channelDistance(std::uint32_t a, std::uint32_t b) {
  auto diff = [](int x, int y) { return x > y ? x - y : y - x; };
  return diff(redOf(a), redOf(b)) + diff(greenOf(a), greenOf(b)) + diff(blueOf(a), blueOf(b));
}

}  // namespace lh
