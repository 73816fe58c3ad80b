// Arbitrary bytes as a .vp3 file: the reader must stay inside them, and a design it accepts
// must survive writing as VP3 and reading back with its colour blocks.
#include <cstddef>
#include <cstdint>

#include "formats/vp3.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readVp3(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  if (design.threads.size() != design.colorChangeCount() + 1) __builtin_trap();
  if (design.stitches.empty() || design.threads.size() > 0xFFFF) return 0;
  lh::EmbDesign copy(design);
  if (auto file = lh::writeVp3(codec, copy)) {
    lh::EmbDesign back;
    if (lh::readVp3(codec, back, *file) == lh::ReadResult::Failed) __builtin_trap();
    if (back.colorChangeCount() != design.colorChangeCount()) __builtin_trap();
  }
  return 0;
}
