// Arbitrary bytes as an .exp file: the reader stays inside them, and what it reads writes
// back as a stream whose every 0x80 byte is a prefix the writer meant.
#include <cstddef>
#include <cstdint>

#include "formats/exp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readExp(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  design.computeBlockStats();
  lh::EmbDesign copy(design);
  const auto file = lh::writeExp(codec, copy);
  if (!file) return 0;
  if (file->size() % 2 != 0) __builtin_trap();
  for (std::size_t at = 0; at < file->size(); at += 2) {
    if ((*file)[at] != 0x80) continue;
    if ((*file)[at + 1] != 0x01 && (*file)[at + 1] != 0x04) __builtin_trap();
  }
  lh::EmbDesign back;
  if (lh::readExp(codec, back, *file) == lh::ReadResult::Failed) __builtin_trap();
  return 0;
}
