#pragma once
#include <cstdint>

namespace lh {

// Flag bits of a stitch record.
enum StitchFlag : std::uint8_t {
  ColorChange = 0x01,
  Jump = 0x02,
  Trim = 0x08,
};

// One sewing record: a relative move in 0.1 mm (Y up) with flag bits.
// Six bytes: designs hold millions of these in one contiguous vector.
struct Stitch {
  std::uint8_t flags = 0;
  std::int16_t dx = 0;
  std::int16_t dy = 0;

  constexpr Stitch() = default;
  constexpr Stitch(int x, int y, bool jump = false, bool colorChange = false)
      : flags(static_cast<std::uint8_t>((jump ? Jump : 0) | (colorChange ? ColorChange : 0))),
        dx(static_cast<std::int16_t>(x)),
        dy(static_cast<std::int16_t>(y)) {}
  static constexpr Stitch withFlags(std::uint8_t f, int x = 0, int y = 0) {
    Stitch s(x, y);
    s.flags = f;
    return s;
  }

  constexpr bool isColorChange() const { return flags & ColorChange; }
  constexpr bool isJump() const { return flags & Jump; }
  constexpr bool isTrim() const { return flags & Trim; }
  constexpr void setColorChange(bool on) { setBit(ColorChange, on); }
  constexpr void setJump(bool on) { setBit(Jump, on); }
  constexpr void setTrim(bool on) { setBit(Trim, on); }
  constexpr void clear() { *this = Stitch(); }
  constexpr bool isZeroMove() const { return dx == 0 && dy == 0; }
  // Adds to the move with the 16-bit wrap-around of the record.
  constexpr void addMove(int x, int y) {
    dx = static_cast<std::int16_t>(dx + x);
    dy = static_cast<std::int16_t>(dy + y);
  }
  constexpr void setMove(int x, int y) {
    dx = static_cast<std::int16_t>(x);
    dy = static_cast<std::int16_t>(y);
  }

  friend constexpr bool operator==(const Stitch&, const Stitch&) = default;

 private:
  constexpr void setBit(std::uint8_t bit, bool on) {
    flags = static_cast<std::uint8_t>(on ? (flags | bit) : (flags & ~bit));
  }
};

static_assert(sizeof(Stitch) <= 8, "a stitch record must stay small");

struct Point {
  int x = 0;
  int y = 0;
  friend constexpr bool operator==(const Point&, const Point&) = default;
};

}  // namespace lh
