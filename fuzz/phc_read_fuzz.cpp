// Arbitrary bytes as a .phc / .phb / .phd card: the reader must stay inside them, and a design
// it accepts must survive writing as PES and reading back.
#include <cstddef>
#include <cstdint>

#include "formats/pes_reader.h"
#include "formats/pes_writer.h"
#include "formats/phc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readPhc(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  design.computeBlockStats();
  if (design.stitches.size() > 20000) return 0;
  lh::EmbDesign copy(design);
  lh::ByteBuffer file;
  if (lh::writePes(copy, lh::PesWriteOptions{}, file) != lh::PesResult::Written || file.empty()) return 0;
  lh::EmbDesign back;
  if (lh::readPes(codec, back, file) != lh::ReadResult::Ok) __builtin_trap();
  if (back.threads.size() != copy.threads.size()) __builtin_trap();
  return 0;
}
