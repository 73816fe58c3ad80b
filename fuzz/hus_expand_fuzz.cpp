// Feeds arbitrary bytes to the HUS/VIP stream decoder. The first byte picks the window; the
// output limit is the one a reader of a 200000-record file would use.
#include <cstddef>
#include <cstdint>

#include "formats/hus_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  lh::HusCodec codec;
  lh::ByteBuffer out;
  const int level = data[0] % 6;  // 5 exercises the bad-level path
  constexpr std::size_t kLimit = 200000 + 500;
  codec.expand(level, lh::ByteSpan(data + 1, size - 1), out, kLimit);
  if (out.size() > kLimit) __builtin_trap();
  return 0;
}
