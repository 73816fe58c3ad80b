#pragma once
// HUS and VIP (Husqvarna Viking and Pfaff): a small header, a colour table and three
// compressed streams of one byte per record (commands, X moves, Y moves). HUS colours are
// Husqvarna palette indexes; VIP colours are scrambled RGB values with a thread type each.
// Also the Husqvarna thread types shared with the SHV reader.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "formats/bytes.h"
#include "formats/design_codec.h"
#include "threads/thread_charts.h"

namespace lh {

// The first four bytes of every HUS and VIP file.
inline constexpr std::array<std::uint8_t, 4> kHusMagic = {0x5B, 0xAF, 0xC8, 0x00};
inline constexpr std::array<std::uint8_t, 4> kVipMagic = {0x5D, 0xFC, 0x90, 0x01};
// Most colours a file holds (HUS: colour blocks; VIP: colours). The readers refuse more; the
// conversion splits a design with more into several files.
inline constexpr std::uint32_t kMaxHusColors = 100;
inline constexpr std::uint32_t kMaxVipColors = 150;

ReadResult readHus(DesignCodec& codec, EmbDesign& design, ByteSpan file);
ReadResult readVip(DesignCodec& codec, EmbDesign& design, ByteSpan file);
// Both change the design they are given (pass a working copy). No file for a design without
// colours (HUS) or without colours or records (VIP).
std::optional<ByteBuffer> writeHus(DesignCodec& codec, EmbDesign& design);
std::optional<ByteBuffer> writeVip(DesignCodec& codec, EmbDesign& design);

// A Husqvarna thread type number (VIP type byte + 1, SHV chart byte): the brand chart it
// names and how many trailing digits of an SHV thread code identify a row of that chart.
struct HusqvarnaThreadType {
  int number;
  Chart chart;
  int codeWidth;
};
// Types 1..9; 0 and every number outside 1..9 give type 2 (Sulky Rayon).
const HusqvarnaThreadType& husqvarnaThreadType(int number);
inline constexpr bool isHusqvarnaThreadType(int number) { return number >= 1 && number <= 9; }

struct ChartColor {
  std::string name;
  std::uint32_t rgb = 0;
};
// The row of the type's chart with the smallest sum of channel differences from rgb (the
// first such row; an exact match ends the search).
ChartColor nearestChartColor(std::uint32_t rgb, int threadType);

// The fixed key of the VIP colour area's running XOR (positions past its end count as 0).
std::span<const std::uint8_t> vipColorKey();
// Encodes / decodes a VIP colour area in place.
void scrambleVipColors(std::span<std::uint8_t> area);
void descrambleVipColors(std::span<std::uint8_t> area);

}  // namespace lh
