// Arbitrary bytes as a .jef file: the reader must stay inside them, and a design it accepts
// must survive writing as JEF and SEW and reading back.
#include <cstddef>
#include <cstdint>

#include "formats/jef_sew.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readJef(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  design.computeBlockStats();
  if (design.threads.size() > 100) return 0;  // more than a JEF reader accepts
  lh::EmbDesign copy(design);
  if (auto file = lh::writeJef(copy, lh::JefDate{2024, 1, 2, 3, 4, 5})) {
    lh::EmbDesign back;
    if (lh::readJef(codec, back, *file) != lh::ReadResult::Ok) __builtin_trap();
    if (back.threads.size() != back.colorChangeCount() + 1) __builtin_trap();
  }
  return 0;
}
