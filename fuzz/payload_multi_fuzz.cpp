// Arbitrary bytes as a multi-design payload: the reader stays inside them, and the designs it
// returns are written into one block again that reads back whole with as many designs.
#include <cstddef>
#include <cstdint>

#include "plugin/payload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lh::MultiPayload read = lh::readMultiPayload(lh::ByteSpan(data, size));
  if (read.status == lh::PayloadRead::Refused) return 0;
  const lh::MultiPayloadBlock again = lh::writeMultiPayload(read.designs);
  const lh::MultiPayload back = lh::readMultiPayload(again.bytes);
  if (back.status != lh::PayloadRead::Whole || back.designs.size() != static_cast<std::size_t>(again.count))
    __builtin_trap();
  return 0;
}
