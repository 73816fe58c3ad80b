#pragma once
// The frames programs exchange on the local message bus: a message name, its two parameters
// and an optional data block with the name of its format. The byte layout is written down in
// docs/plugin-bus.md; this file and that document must agree.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lh {

// A data block travelling with a message: its format name ("LHEmbroideryFile", ...) and bytes.
struct BusBlock {
  std::string format;
  std::vector<std::uint8_t> bytes;
  bool operator==(const BusBlock&) const = default;
};

// One posted message.
struct BusFrame {
  std::string name;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
  std::optional<BusBlock> block;
  bool operator==(const BusFrame&) const = default;
};

inline constexpr std::uint16_t kBusFrameVersion = 1;
// Fixed part before the message name: magic, version, flags, frame length, wParam, lParam,
// name length.
inline constexpr std::size_t kBusFrameHeaderSize = 30;
// Longest message name and longest block format name, in bytes.
inline constexpr std::size_t kBusMaxNameLength = 255;
// Largest whole frame; a peer announcing more is cut off.
inline constexpr std::size_t kBusMaxFrameSize = std::size_t{256} * 1024 * 1024;

// The frame's bytes, or nothing when it cannot be sent: an empty or too long name or format
// name, or a frame beyond kBusMaxFrameSize.
std::optional<std::vector<std::uint8_t>> encodeBusFrame(const BusFrame& frame);

enum class BusDecode { Frame, NeedMore, Malformed };

// What lies at the start of `bytes`: a whole frame of `length` bytes, the beginning of one
// (NeedMore), or bytes that can never become a frame (Malformed). Looks only inside `bytes`.
struct BusFrameScan {
  BusDecode result = BusDecode::NeedMore;
  std::size_t length = 0;
};
BusFrameScan scanBusFrame(std::span<const std::uint8_t> bytes);

// Exactly one whole frame, or nothing.
std::optional<BusFrame> decodeBusFrame(std::span<const std::uint8_t> bytes);

// Takes a connection's bytes as they arrive and hands out whole frames in order. Once it has
// seen malformed bytes it stays Malformed: the connection is to be dropped.
class BusFrameDecoder {
 public:
  void feed(std::span<const std::uint8_t> bytes);
  // The next whole frame into `frame` (result Frame), or NeedMore, or Malformed.
  BusDecode next(BusFrame& frame);
  // Bytes received and not yet handed out as frames.
  std::size_t pendingBytes() const { return buffer_.size() - start_; }

 private:
  std::vector<std::uint8_t> buffer_;
  std::size_t start_ = 0;
  bool malformed_ = false;
};

}  // namespace lh
