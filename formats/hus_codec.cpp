#include "formats/hus_codec.h"

#include <new>

#include "formats/hus_stream.h"

namespace lh {

namespace {

constexpr bool validLevel(int level) { return level >= HusCodec::kMinLevel && level <= HusCodec::kMaxLevel; }

}  // namespace

HusCodec::Status HusCodec::fail(Status status, int level, bool expanding) {
  switch (status) {
    case Status::BadLevel:
      message_ = "Incorrect compression level parameter passed to compressor.  Compression level = " +
                 std::to_string(level - 10);
      break;
    case Status::NoMemory:
      message_ = expanding ? "Memory allocation failure in expansion startup" : "Memory allocation failure in compression startup";
      break;
    case Status::BadTable:
      message_ = "Bad code table in compressed data";
      break;
    case Status::OutputFull:
      message_ = "Expanded data is longer than expected";
      break;
    default:
      message_.clear();
      break;
  }
  return status;
}

HusCodec::Status HusCodec::expand(int level, ByteSpan input, ByteBuffer& output, std::size_t maxOutput) {
  message_.clear();
  if (!validLevel(level)) return fail(Status::BadLevel, level, true);
  try {
    const Status status = hus::expandStream(level, input, output, maxOutput);
    return status == Status::Ok ? Status::Ok : fail(status, level, true);
  } catch (const std::bad_alloc&) {
    return fail(Status::NoMemory, level, true);
  }
}

HusCodec::Status HusCodec::compress(int level, ByteSpan input, ByteBuffer& output) {
  message_.clear();
  if (!validLevel(level)) return fail(Status::BadLevel, level, false);
  try {
    hus::compressStream(level, input, output);
    return Status::Ok;
  } catch (const std::bad_alloc&) {
    return fail(Status::NoMemory, level, false);
  }
}

}  // namespace lh
