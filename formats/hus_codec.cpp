#include "formats/hus_codec.h"

#include <new>

#include "formats/hus_stream.h"

namespace lh {

namespace {

constexpr bool validLevel(int level) { return level >= HusCodec::kMinLevel && level <= HusCodec::kMaxLevel; }

}  // namespace

int HusCodec::fail(int status, int level, bool expanding) {
  switch (status) {
    case kBadLevel:
      message_ = "Incorrect compression level parameter passed to compressor.  Compression level = " +
                 std::to_string(level - 10);
      break;
    case kNoMemory:
      message_ = expanding ? "Memory allocation failure in expansion startup" : "Memory allocation failure in compression startup";
      break;
    case kBadTable:
      message_ = "Bad code table in compressed data";
      break;
    case kOutputFull:
      message_ = "Expanded data is longer than expected";
      break;
    default:
      message_.clear();
      break;
  }
  return status;
}

int HusCodec::expand(int level, ByteSpan input, ByteBuffer& output, std::size_t maxOutput) {
  message_.clear();
  if (!validLevel(level)) return fail(kBadLevel, level, true);
  try {
    const int status = hus::expandStream(level, input, output, maxOutput);
    return status == kOk ? kOk : fail(status, level, true);
  } catch (const std::bad_alloc&) {
    return fail(kNoMemory, level, true);
  }
}

int HusCodec::compress(int level, ByteSpan input, ByteBuffer& output) {
  message_.clear();
  if (!validLevel(level)) return fail(kBadLevel, level, false);
  try {
    hus::compressStream(level, input, output);
    return kOk;
  } catch (const std::bad_alloc&) {
    return fail(kNoMemory, level, false);
  }
}

}  // namespace lh
