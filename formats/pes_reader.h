#pragma once
// The PES reader: "#PES" files of every version (a PES header, one or more PEC blocks and, from
// version 50, a thread table and a colour list) and bare "#PEC" files.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/design_codec.h"

namespace lh {

// Files shorter than this are refused.
inline constexpr std::size_t kPesMinimumSize = 512;
// Vertical offset of a design placed above or below the centre in a multi-design file.
inline constexpr int kPesPlacementOffset = 600;

// Reader contract: ReadResult::Ok with a centred design whose blocks carry PEC palette colours
// (replaced by the file's threads from version 50 on), or ReadResult::Failed for a file under 512
// bytes, another magic, or a PEC block that starts past the end or yields no stitches.
ReadResult readPes(DesignCodec& codec, EmbDesign& design, ByteSpan file);

// The brand of a PES thread record as the system keeps it, and the chart id it implies
// ("MA RAYON" -> "Madeira Rayon", 0x400); kind is 0 for a brand not in the table.
struct PesBrand {
  std::string_view kept;
  std::int32_t chartCode = 0;
  int kind = 0;
};
PesBrand translatePesBrand(std::string_view brand);

}  // namespace lh
