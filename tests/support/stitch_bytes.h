#pragma once
// Byte streams shaped like the command, X and Y streams of a real design (fills, satin
// columns, running stitches and jumps between them), for codec tests and benchmarks.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace lh::test {

struct StitchStreams {
  std::vector<std::uint8_t> commands, xs, ys;
};

// About `records` records of a synthetic design, as HUS-style streams: command 0x80 with
// 0x01 for a jump and 0x04 for a colour change, moves as signed bytes.
inline StitchStreams stitchStreams(std::size_t records, unsigned seed = 1) {
  StitchStreams s;
  std::mt19937 rng(seed);
  auto put = [&](std::uint8_t cmd, int dx, int dy) {
    s.commands.push_back(cmd);
    s.xs.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(dx)));
    s.ys.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(dy)));
  };
  int object = 0;
  while (s.commands.size() < records) {
    if (object > 0) {
      if (object % 7 == 0) put(0x84, 0, 0);
      for (int j = 0; j < 3; ++j) put(0x81, static_cast<int>(rng() % 200) - 100, static_cast<int>(rng() % 200) - 100);
    }
    switch (object++ % 3) {
      case 0: {  // tatami fill: rows of equal stitches with a staggered last stitch
        const int len = 25 + static_cast<int>(rng() % 20), per = 4 + static_cast<int>(rng() % 8);
        const int rows = 40 + static_cast<int>(rng() % 80);
        for (int r = 0; r < rows; ++r) {
          const int dir = r % 2 ? -1 : 1;
          for (int k = 0; k < per; ++k) put(0x80, dir * len, 0);
          put(0x80, dir * (len / 3 + r % 3), 0);
          put(0x80, 0, 4);
        }
        break;
      }
      case 1: {  // satin column of slowly changing width
        double w = 30 + rng() % 20;
        const int n = 100 + static_cast<int>(rng() % 300);
        for (int k = 0; k < n; ++k) {
          w += std::sin(k / 15.0) * 0.8;
          const int dx = static_cast<int>(w) * (k % 2 ? -1 : 1);
          put(0x80, dx, 2 + (k % 3 == 0));
        }
        break;
      }
      default: {  // running stitch along a curve
        const int n = 50 + static_cast<int>(rng() % 150);
        for (int k = 0; k < n; ++k) {
          const double a = k / 20.0;
          put(0x80, static_cast<int>(std::lround(25 * std::cos(a))), static_cast<int>(std::lround(25 * std::sin(a))));
        }
        break;
      }
    }
  }
  s.commands.resize(records);
  s.xs.resize(records);
  s.ys.resize(records);
  return s;
}

// `size` bytes: the three streams of one synthetic design back to back.
inline std::vector<std::uint8_t> stitchLikeBytes(std::size_t size, unsigned seed = 1) {
  StitchStreams s = stitchStreams(size / 3 + 1, seed);
  std::vector<std::uint8_t> out;
  out.reserve(size);
  out.insert(out.end(), s.commands.begin(), s.commands.end());
  out.insert(out.end(), s.xs.begin(), s.xs.end());
  out.insert(out.end(), s.ys.begin(), s.ys.end());
  out.resize(size);
  return out;
}

}  // namespace lh::test
