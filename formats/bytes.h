#pragma once
// Bounds-checked little/big-endian byte access shared by every reader and writer.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

using ByteSpan = std::span<const std::uint8_t>;
using ByteBuffer = std::vector<std::uint8_t>;

// Reads from a byte span and never outside it: a read past the end yields zeros and marks
// the reader failed, so decoding loops can test good() once per record.
class ByteReader {
 public:
  explicit ByteReader(ByteSpan data, std::size_t pos = 0) : data_(data), pos_(pos) {
    if (pos_ > data_.size()) fail();
  }

  std::size_t pos() const { return pos_; }
  std::size_t size() const { return data_.size(); }
  std::size_t remaining() const { return data_.size() - pos_; }
  bool good() const { return ok_; }
  bool atEnd() const { return pos_ >= data_.size(); }
  bool has(std::size_t n) const { return ok_ && n <= remaining(); }

  // Moves to an absolute offset; an offset past the end fails.
  bool seek(std::size_t pos) {
    if (pos > data_.size()) return fail();
    pos_ = pos;
    return ok_;
  }
  bool skip(std::size_t n) {
    if (n > remaining()) return fail();
    pos_ += n;
    return ok_;
  }

  std::uint8_t u8() { return has(1) ? data_[pos_++] : (fail(), std::uint8_t{0}); }
  std::int8_t i8() { return static_cast<std::int8_t>(u8()); }
  std::uint16_t u16le() { return static_cast<std::uint16_t>(le(2)); }
  std::int16_t i16le() { return static_cast<std::int16_t>(le(2)); }
  std::uint32_t u24le() { return static_cast<std::uint32_t>(le(3)); }
  std::uint32_t u32le() { return static_cast<std::uint32_t>(le(4)); }
  std::int32_t i32le() { return static_cast<std::int32_t>(le(4)); }
  std::uint16_t u16be() { return static_cast<std::uint16_t>(be(2)); }
  std::int16_t i16be() { return static_cast<std::int16_t>(be(2)); }
  std::uint32_t u24be() { return static_cast<std::uint32_t>(be(3)); }
  std::uint32_t u32be() { return static_cast<std::uint32_t>(be(4)); }
  std::int32_t i32be() { return static_cast<std::int32_t>(be(4)); }

  // The next n bytes (empty and failed when fewer remain).
  ByteSpan bytes(std::size_t n) {
    if (n > remaining() || !ok_) {
      fail();
      return {};
    }
    ByteSpan s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
  }
  std::string text(std::size_t n) {
    ByteSpan s = bytes(n);
    return std::string(s.begin(), s.end());
  }

  // Byte at an absolute offset without moving; 0 when outside.
  std::uint8_t peek(std::size_t at) const { return at < data_.size() ? data_[at] : 0; }

 private:
  bool fail() {
    ok_ = false;
    pos_ = data_.size();
    return false;
  }
  std::uint64_t le(int n) {
    if (!has(static_cast<std::size_t>(n))) return fail(), 0;
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(data_[pos_ + static_cast<std::size_t>(i)]) << (8 * i);
    pos_ += static_cast<std::size_t>(n);
    return v;
  }
  std::uint64_t be(int n) {
    if (!has(static_cast<std::size_t>(n))) return fail(), 0;
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | data_[pos_ + static_cast<std::size_t>(i)];
    pos_ += static_cast<std::size_t>(n);
    return v;
  }

  ByteSpan data_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

// Appends little/big-endian values to an owned buffer; put*At patch earlier bytes.
class ByteWriter {
 public:
  ByteBuffer& buffer() { return buf_; }
  ByteBuffer take() { return std::move(buf_); }
  std::size_t size() const { return buf_.size(); }
  void reserve(std::size_t n) { buf_.reserve(n); }

  void u8(unsigned v) { buf_.push_back(static_cast<std::uint8_t>(v)); }
  void u16le(unsigned v) { le(v, 2); }
  void u24le(std::uint32_t v) { le(v, 3); }
  void u32le(std::uint32_t v) { le(v, 4); }
  void u16be(unsigned v) { be(v, 2); }
  void u24be(std::uint32_t v) { be(v, 3); }
  void u32be(std::uint32_t v) { be(v, 4); }
  void bytes(ByteSpan s) { buf_.insert(buf_.end(), s.begin(), s.end()); }
  void text(std::string_view s) { buf_.insert(buf_.end(), s.begin(), s.end()); }
  void fill(std::uint8_t value, std::size_t n) { buf_.insert(buf_.end(), n, value); }

  void u16leAt(std::size_t at, unsigned v) { leAt(at, v, 2); }
  void u32leAt(std::size_t at, std::uint32_t v) { leAt(at, v, 4); }
  void u32beAt(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) buf_.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
  }

 private:
  void le(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) buf_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void be(std::uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) buf_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void leAt(std::size_t at, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) buf_.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
  }
  ByteBuffer buf_;
};

}  // namespace lh
