#pragma once
// The compressor of HUS and VIP stitch streams: an LZ77 parse over a sliding window whose
// literals, match lengths and match distances are coded with static canonical Huffman codes
// sent per block. Bits are most significant first; symbol 510 ends a stream.
#include <cstddef>
#include <string>

#include "formats/bytes.h"

namespace lh {

class HusCodec {
 public:
  // Results of expand and compress: 0 success, anything else a failure.
  enum class Status {
    Ok = 0,
    BadLevel = 1,    // level outside 0..4; nothing decoded or encoded
    BadTable = 2,    // a code-length set that is not a complete prefix code, or out of range
    OutputFull = 3,  // the stream decodes to more than the caller's output limit
    NoMemory = 4,
  };

  static constexpr int kMinLevel = 0;
  static constexpr int kMaxLevel = 4;
  // Readers decode with the largest window; writers encode with the smallest, which every
  // reader accepts because the stream layout does not depend on the window.
  static constexpr int kReadLevel = 4;
  static constexpr int kWriteLevel = 0;

  // Window size 2^(10 + level) for a valid level.
  static constexpr std::size_t windowSize(int level) { return std::size_t{1} << (10 + level); }

  // Decodes `input` (never reading outside it) and appends the bytes to `output`, appending
  // at most `maxOutput` bytes. A stream that runs out of input stops after the fifth read
  // past its end with what it decoded so far (Status::Ok); a bad code table stops with the
  // bytes decoded before it; a stream longer than maxOutput stops at the limit (Status::OutputFull).
  Status expand(int level, ByteSpan input, ByteBuffer& output, std::size_t maxOutput);

  // Encodes all of `input` and appends the stream to `output`.
  Status compress(int level, ByteSpan input, ByteBuffer& output);

  // The text of the last failing call's status ("" after success).
  const std::string& message() const { return message_; }

 private:
  Status fail(Status status, int level, bool expanding);

  std::string message_;
};

}  // namespace lh
