// Arbitrary bytes as a .xxx file: the reader must stay inside them, and a design it accepts
// must survive writing and reading back.
#include <cstddef>
#include <cstdint>

#include "formats/xxx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readXxx(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  design.computeBlockStats();
  lh::EmbDesign copy(design);
  if (auto file = lh::writeXxx(codec, copy)) {
    lh::EmbDesign back;
    if (lh::readXxx(codec, back, *file) != lh::ReadResult::Ok) __builtin_trap();
  }
  return 0;
}
