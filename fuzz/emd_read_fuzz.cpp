// Arbitrary bytes as an .emd file and as its companion colour text: both must be read
// without leaving them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/emd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::DesignCodec codec;
  lh::EmbDesign design;
  if (lh::readEmd(codec, design, lh::ByteSpan(data, size)) == lh::ReadResult::Failed) return 0;
  design.computeBlockStats();
  lh::applyEmdColors(design, std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
