// Arbitrary bytes as a .pes / .pec file: the reader must stay inside them, and a design it
// accepts must survive writing with both PES writer generations and reading back.
#include <cstddef>
#include <cstdint>

#include "formats/pes_reader.h"
#include "formats/pes_writer.h"

namespace {

void writeAndReadBack(const lh::EmbDesign& design, bool version5) {
  lh::EmbDesign copy(design);
  lh::PesWriteOptions options;
  options.version5 = version5;
  lh::ByteBuffer file;
  if (lh::writePes(copy, options, file) != lh::PesResult::Written || file.empty()) return;
  lh::DesignCodec codec;
  lh::EmbDesign back;
  if (lh::readPes(codec, back, file) != lh::ReadResult::Ok) __builtin_trap();
  if (back.threads.size() != copy.threads.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readPes(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  design.computeBlockStats();
  if (design.stitches.size() > 20000) return 0;  // keep each run short
  writeAndReadBack(design, false);
  writeAndReadBack(design, true);
  return 0;
}
