// Arbitrary bytes as a .pcs file: the reader must stay inside them, and a design it accepts
// must survive writing as PCS and reading back with its colour blocks.
#include <cstddef>
#include <cstdint>

#include "formats/pcs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  design.path = "fuzz.pcs";
  if (lh::readPcs(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  if (design.stitches.empty()) return 0;
  if (design.threads.size() != design.colorChangeCount() + 1) __builtin_trap();
  lh::EmbDesign copy(design);
  if (auto file = lh::writePcs(codec, copy)) {
    lh::EmbDesign back;
    if (lh::readPcs(codec, back, *file) == lh::ReadResult::Failed) __builtin_trap();
    if (back.colorChangeCount() != design.colorChangeCount()) __builtin_trap();
    if (back.threads.size() != back.colorChangeCount() + 1) __builtin_trap();
  }
  return 0;
}
