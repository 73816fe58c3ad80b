#include "plugin/bus/bus_frame.h"

#include <algorithm>
#include <array>

namespace lh {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'L', 'H', 'B', 'F'};
constexpr std::uint16_t kFlagBlock = 0x0001;
// Offsets in the fixed part.
constexpr std::size_t kVersionAt = 4;
constexpr std::size_t kFlagsAt = 6;
constexpr std::size_t kLengthAt = 8;
constexpr std::size_t kWParamAt = 12;
constexpr std::size_t kLParamAt = 20;
constexpr std::size_t kNameLengthAt = 28;
// Format name length and block length around the format name.
constexpr std::size_t kBlockFieldsSize = 2 + 4;

std::uint64_t readLittle(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = (value << 8) | bytes[at + i];
  return value;
}

void putLittle(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putText(std::vector<std::uint8_t>& out, const std::string& text) {
  putLittle(out, text.size(), 2);
  out.insert(out.end(), text.begin(), text.end());
}

bool goodNameLength(std::uint64_t length) { return length >= 1 && length <= kBusMaxNameLength; }

constexpr BusFrameScan kNeedMore{BusDecode::NeedMore, 0};
constexpr BusFrameScan kMalformed{BusDecode::Malformed, 0};

// Magic, version, flags and frame length, as far as they have arrived.
BusFrameScan scanFixedFields(std::span<const std::uint8_t> bytes) {
  const std::size_t magicPart = std::min(bytes.size(), kMagic.size());
  if (!std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(magicPart), kMagic.begin()))
    return kMalformed;
  if (bytes.size() >= kFlagsAt && readLittle(bytes, kVersionAt, 2) != kBusFrameVersion) return kMalformed;
  if (bytes.size() >= kLengthAt && (readLittle(bytes, kFlagsAt, 2) & ~std::uint64_t{kFlagBlock}) != 0)
    return kMalformed;
  if (bytes.size() < kWParamAt) return kNeedMore;
  const std::uint64_t length = readLittle(bytes, kLengthAt, 4);
  if (length <= kBusFrameHeaderSize || length > kBusMaxFrameSize) return kMalformed;
  return {BusDecode::NeedMore, static_cast<std::size_t>(length)};
}

// The lengths inside a frame of `length` bytes must add up to exactly that length.
BusFrameScan scanVariableFields(std::span<const std::uint8_t> bytes, std::size_t length) {
  const std::uint64_t nameLength = readLittle(bytes, kNameLengthAt, 2);
  if (!goodNameLength(nameLength)) return kMalformed;
  const std::uint64_t afterName = kBusFrameHeaderSize + nameLength;
  if ((readLittle(bytes, kFlagsAt, 2) & kFlagBlock) == 0)
    return afterName == length ? BusFrameScan{BusDecode::Frame, length} : kMalformed;

  if (afterName + kBlockFieldsSize > length) return kMalformed;
  if (bytes.size() < afterName + 2) return kNeedMore;
  const std::uint64_t formatLength = readLittle(bytes, afterName, 2);
  const std::uint64_t blockLengthAt = afterName + 2 + formatLength;
  if (!goodNameLength(formatLength) || blockLengthAt + 4 > length) return kMalformed;
  if (bytes.size() < blockLengthAt + 4) return kNeedMore;
  const std::uint64_t blockLength = readLittle(bytes, blockLengthAt, 4);
  if (blockLengthAt + 4 + blockLength != length) return kMalformed;
  return {BusDecode::Frame, length};
}

std::string textAt(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t length) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
}

// Reads a frame that scanBusFrame has found whole.
BusFrame readWholeFrame(std::span<const std::uint8_t> bytes) {
  BusFrame frame;
  frame.wParam = static_cast<std::int64_t>(readLittle(bytes, kWParamAt, 8));
  frame.lParam = static_cast<std::int64_t>(readLittle(bytes, kLParamAt, 8));
  const std::size_t nameLength = readLittle(bytes, kNameLengthAt, 2);
  frame.name = textAt(bytes, kBusFrameHeaderSize, nameLength);
  if ((readLittle(bytes, kFlagsAt, 2) & kFlagBlock) == 0) return frame;

  std::size_t at = kBusFrameHeaderSize + nameLength;
  const std::size_t formatLength = readLittle(bytes, at, 2);
  BusBlock block;
  block.format = textAt(bytes, at + 2, formatLength);
  at += 2 + formatLength;
  const std::size_t blockLength = readLittle(bytes, at, 4);
  const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(at + 4);
  block.bytes.assign(first, first + static_cast<std::ptrdiff_t>(blockLength));
  frame.block = std::move(block);
  return frame;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> encodeBusFrame(const BusFrame& frame) {
  if (!goodNameLength(frame.name.size())) return std::nullopt;
  std::uint64_t length = kBusFrameHeaderSize + frame.name.size();
  if (frame.block) {
    if (!goodNameLength(frame.block->format.size())) return std::nullopt;
    length += kBlockFieldsSize + frame.block->format.size() + std::uint64_t{frame.block->bytes.size()};
  }
  if (length > kBusMaxFrameSize) return std::nullopt;

  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(length));
  for (const std::uint8_t b : kMagic) out.push_back(b);  // (GCC 12 -O2 misreads an insert here)
  putLittle(out, kBusFrameVersion, 2);
  putLittle(out, frame.block ? kFlagBlock : 0, 2);
  putLittle(out, length, 4);
  putLittle(out, static_cast<std::uint64_t>(frame.wParam), 8);
  putLittle(out, static_cast<std::uint64_t>(frame.lParam), 8);
  putText(out, frame.name);
  if (frame.block) {
    putText(out, frame.block->format);
    putLittle(out, frame.block->bytes.size(), 4);
    out.insert(out.end(), frame.block->bytes.begin(), frame.block->bytes.end());
  }
  return out;
}

BusFrameScan scanBusFrame(std::span<const std::uint8_t> bytes) {
  const BusFrameScan fixed = scanFixedFields(bytes);
  if (fixed.result == BusDecode::Malformed || bytes.size() < kBusFrameHeaderSize) return {fixed.result, 0};
  const BusFrameScan scan = scanVariableFields(bytes, fixed.length);
  if (scan.result == BusDecode::Frame && bytes.size() < scan.length) return kNeedMore;
  return scan;
}

std::optional<BusFrame> decodeBusFrame(std::span<const std::uint8_t> bytes) {
  const BusFrameScan scan = scanBusFrame(bytes);
  if (scan.result != BusDecode::Frame || scan.length != bytes.size()) return std::nullopt;
  return readWholeFrame(bytes);
}

void BusFrameDecoder::feed(std::span<const std::uint8_t> bytes) {
  if (malformed_ || bytes.empty()) return;
  if (start_ > 0) {
    // Frames already handed out are dropped before the buffer grows again.
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

BusDecode BusFrameDecoder::next(BusFrame& frame) {
  if (malformed_) return BusDecode::Malformed;
  const std::span<const std::uint8_t> rest = std::span(buffer_).subspan(start_);
  const BusFrameScan scan = scanBusFrame(rest);
  if (scan.result == BusDecode::Malformed) {
    malformed_ = true;
    buffer_.clear();
    buffer_.shrink_to_fit();
    start_ = 0;
    return BusDecode::Malformed;
  }
  if (scan.result == BusDecode::NeedMore) return BusDecode::NeedMore;
  frame = readWholeFrame(rest.first(scan.length));
  start_ += scan.length;
  return BusDecode::Frame;
}

}  // namespace lh
