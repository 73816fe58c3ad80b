// Arbitrary bytes fed to the bus frame decoder in arbitrary pieces: it never reads outside
// what it was given, hands out the same frames as a scan of the whole input, and every
// frame it hands out encodes back to exactly the bytes it came from.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "plugin/bus/bus_frame.h"

namespace {

// The frame lengths a scan of the whole input finds, and what stops it.
lh::BusDecode scanAll(std::span<const std::uint8_t> input, std::vector<std::size_t>& lengths) {
  for (std::size_t at = 0;;) {
    const lh::BusFrameScan scan = lh::scanBusFrame(input.subspan(at));
    if (scan.result != lh::BusDecode::Frame) return scan.result;
    lengths.push_back(scan.length);
    at += scan.length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte seeds the sizes of the pieces; 0 feeds everything at once.
  std::uint32_t state = data[0];
  const std::span<const std::uint8_t> input(data + 1, size - 1);

  std::vector<std::size_t> expected;
  const lh::BusDecode expectedEnd = scanAll(input, expected);

  lh::BusFrameDecoder decoder;
  lh::BusDecode result = lh::BusDecode::NeedMore;
  std::size_t fed = 0, consumed = 0, frames = 0;
  while (fed < input.size() && result != lh::BusDecode::Malformed) {
    state = state * 1103515245u + 12345u;
    const std::size_t piece = data[0] == 0 ? input.size() : 1 + (state >> 16) % 97;
    const std::size_t take = piece < input.size() - fed ? piece : input.size() - fed;
    decoder.feed(input.subspan(fed, take));
    fed += take;
    lh::BusFrame frame;
    while ((result = decoder.next(frame)) == lh::BusDecode::Frame) {
      const auto bytes = lh::encodeBusFrame(frame);
      if (!bytes || frames >= expected.size() || bytes->size() != expected[frames]) __builtin_trap();
      if (std::memcmp(bytes->data(), input.data() + consumed, bytes->size()) != 0) __builtin_trap();
      if (lh::decodeBusFrame(input.subspan(consumed, bytes->size())) != frame) __builtin_trap();
      consumed += bytes->size();
      ++frames;
    }
  }
  if (frames != expected.size()) __builtin_trap();
  if (!input.empty() && result != expectedEnd) __builtin_trap();
  if (result == lh::BusDecode::NeedMore && decoder.pendingBytes() != input.size() - consumed)
    __builtin_trap();
  return 0;
}
