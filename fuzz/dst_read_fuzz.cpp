// Arbitrary bytes as a .dst file: the reader stays inside them, and what it reads writes back
// as records that each fit the format and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "formats/dst.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readDst(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  design.computeBlockStats();
  lh::EmbDesign copy(design);
  const auto file = lh::writeDst(codec, copy);
  if (!file) return 0;
  for (const lh::Stitch& s : copy.stitches)
    if (std::abs(s.dx) > lh::kDstMaxMove || std::abs(s.dy) > lh::kDstMaxMove) __builtin_trap();
  if ((file->size() - lh::kDstHeaderSize) % 3 != 0 || file->back() != 0xF3) __builtin_trap();
  lh::EmbDesign back;
  if (lh::readDst(codec, back, *file) == lh::ReadResult::Failed) __builtin_trap();
  if (back.threads.size() != copy.threads.size()) __builtin_trap();
  return 0;
}
