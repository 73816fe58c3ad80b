// Arbitrary bytes as a design payload, read by both sides: the reader must stay inside them,
// and whatever it accepts must be written again and read back whole with the same records.
#include <cstddef>
#include <cstdint>

#include "plugin/payload.h"

namespace {

void readWriteRead(lh::ByteSpan block, lh::PayloadSide side) {
  lh::EmbDesign design;
  if (lh::readDesignPayload(block, design, side) == lh::PayloadRead::Refused) return;
  (void)lh::chartGroups(design.threads);
  const auto again = lh::writeDesignPayload(design, side);
  if (!again) return;
  lh::EmbDesign back;
  if (lh::readDesignPayload(*again, back, side) != lh::PayloadRead::Whole) __builtin_trap();
  if (back.stitches != design.stitches || back.threads.size() != design.threads.size()) __builtin_trap();
  for (std::size_t i = 0; i < back.threads.size(); ++i)
    if (back.threads[i].rgb != design.threads[i].rgb || back.threads[i].brand.size() > 99) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lh::ByteSpan block(data, size);
  readWriteRead(block, lh::PayloadSide::Host);
  readWriteRead(block, lh::PayloadSide::Plugin);
  return 0;
}
