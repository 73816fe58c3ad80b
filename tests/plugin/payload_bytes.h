#pragma once
// Hand-built payload bytes for the plug-in tests: each field appended as its table gives it.
#include <cstdint>
#include <string_view>

#include "formats/bytes.h"

namespace lh::test {

class PayloadBytes {
 public:
  PayloadBytes& i32(std::int64_t v) {
    w_.u32le(static_cast<std::uint32_t>(v));
    return *this;
  }
  PayloadBytes& u8(unsigned v) {
    w_.u8(v);
    return *this;
  }
  PayloadBytes& i16(int v) {
    w_.u16le(static_cast<std::uint16_t>(v));
    return *this;
  }
  // Text bytes without a terminator.
  PayloadBytes& raw(std::string_view s) {
    w_.text(s);
    return *this;
  }
  // Text bytes and their NUL.
  PayloadBytes& cstr(std::string_view s) {
    w_.text(s);
    w_.u8(0);
    return *this;
  }
  PayloadBytes& zeros(std::size_t n) {
    w_.fill(0, n);
    return *this;
  }
  PayloadBytes& bytes(ByteSpan s) {
    w_.bytes(s);
    return *this;
  }
  // A 46-byte thread entry; `name` must fit in 29 bytes.
  PayloadBytes& thread(std::int32_t stitches, std::int32_t length, std::uint32_t rgb, std::int32_t chart,
                       std::string_view name) {
    i32(stitches).i32(length).i32(rgb).i32(chart).raw(name);
    return zeros(30 - name.size());
  }
  PayloadBytes& stitch(unsigned flags, int dx, int dy) { return u8(flags).i16(dx).i16(dy); }

  std::size_t size() const { return w_.size(); }
  ByteBuffer take() { return w_.take(); }

 private:
  ByteWriter w_;
};

}  // namespace lh::test
