// Arbitrary bytes as the PES file behind a loaded design: recovery reads only inside them and
// either leaves the design alone or gives it one colour change per extra colour block.
#include <cstddef>
#include <cstdint>

#include "tools/pes_recovery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::EmbDesign design;
  const std::size_t blocks = size > 0 ? 1 + data[0] % 4 : 1;
  for (std::size_t b = 0; b < blocks; ++b) {
    if (b) design.stitches.push_back(lh::Stitch::withFlags(lh::ColorChange));
    design.stitches.emplace_back(3, 4);
    design.threads.emplace_back();
  }
  const std::vector<lh::Stitch> before = design.stitches;
  lh::ToolReport report;
  const int result = lh::recoverPes10(design, lh::ByteSpan(data, size), report);
  if (result == 0 && design.stitches != before) __builtin_trap();
  if (result == 1 && design.colorChangeCount() + 1 != design.threads.size()) __builtin_trap();
  if (design.threads.size() != blocks) __builtin_trap();
  return 0;
}
