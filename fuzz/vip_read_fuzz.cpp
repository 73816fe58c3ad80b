// Arbitrary bytes as a .vip file: the reader must stay inside them, and a design it accepts
// must survive writing and reading back.
#include <cstddef>
#include <cstdint>

#include "formats/hus_vip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readVip(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  design.computeBlockStats();
  // Writing back is for designs of modest size, so that reading gets most of the runs.
  if (design.stitches.size() > 20000) return 0;
  lh::EmbDesign copy(design);
  // Within the reader's limits (which the writer does not enforce) it must read back.
  if (auto file = lh::writeVip(codec, copy)) {
    lh::EmbDesign back;
    lh::ByteReader header(*file, 4);
    const bool withinLimits = header.u32le() <= 200000 && header.u32le() <= 150;
    if (lh::readVip(codec, back, *file) == lh::ReadResult::Failed && withinLimits) __builtin_trap();
  }
  return 0;
}
