// Arbitrary bytes as a .sew file: the reader must stay inside them, and a design it accepts
// must survive writing (with its block icons) and reading back.
#include <cstddef>
#include <cstdint>

#include "formats/jef_sew.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readSew(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  design.computeBlockStats();
  lh::EmbDesign copy(design);
  if (auto file = lh::writeSew(codec, copy)) {
    lh::EmbDesign back;
    if (lh::readSew(codec, back, *file) != lh::ReadResult::Ok) __builtin_trap();
    if (back.threads.size() != copy.threads.size()) __builtin_trap();
  }
  return 0;
}
