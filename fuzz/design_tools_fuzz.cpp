// Arbitrary bytes as a design (records of flags, dx, dy; a few colours): colour sort keeps
// every record in place, auto-baste and needle reduction keep the design well formed, and
// hoop fitting with splitting ends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "design/transforms.h"
#include "tools/auto_baste.h"
#include "tools/color_sort.h"
#include "tools/hoop_fit.h"
#include "tools/needle_reduction.h"

namespace {

lh::EmbDesign designOf(const std::uint8_t* data, std::size_t size) {
  lh::EmbDesign d;
  d.path = "/fuzz/design.pes";
  if (size == 0) return d;
  const std::size_t colors = 1 + data[0] % 6;
  for (std::size_t c = 0; c < colors; ++c) d.threads.emplace_back("c", 0x3F3F3Fu * (data[0] % 5) + 0x40u * static_cast<unsigned>(c % 3), 0);
  std::size_t changes = 0;
  for (std::size_t i = 1; i + 2 < size && d.stitches.size() < 3000; i += 3) {
    std::uint8_t flags = data[i] & (lh::Jump | lh::Trim | lh::ColorChange);
    if ((flags & lh::ColorChange) && changes + 1 >= colors) flags &= ~lh::ColorChange;
    if (flags & lh::ColorChange) ++changes;
    d.stitches.push_back(lh::Stitch::withFlags(flags, static_cast<std::int8_t>(data[i + 1]) * 4,
                                               static_cast<std::int8_t>(data[i + 2]) * 4));
  }
  d.threads.resize(changes + 1);
  d.computeBounds();
  d.computeBlockStats();
  return d;
}

// Where the needle goes down, in sorted order and relative to the first such place: every record that is not a jump, except the
// colour changes without a move (the sort drops and adds those).
std::vector<std::pair<int, int>> sewn(const lh::EmbDesign& d) {
  std::vector<std::pair<int, int>> out;
  int x = 0, y = 0;
  for (const lh::Stitch& s : d.stitches) {
    x += s.dx;
    y += s.dy;
    if (!s.isJump() && !(s.isColorChange() && s.isZeroMove())) out.emplace_back(x, y);
  }
  std::sort(out.begin(), out.end());
  // Centring may move the whole design by a unit.
  if (!out.empty()) {
    const auto first = out.front();
    for (auto& p : out) p = {p.first - first.first, p.second - first.second};
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::ToolReport report;
  {
    lh::EmbDesign d = designOf(data, size);
    d.centreDesign();
    const auto before = sewn(d);
    const std::size_t threads = d.threads.size();
    const int removed = lh::colorSort(d, size > 0 ? data[size - 1] % 101 : 5, report);
    if (removed < 0 || d.threads.size() + static_cast<std::size_t>(removed) != threads) __builtin_trap();
    if (removed > 0 && sewn(d) != before) __builtin_trap();
  }
  {
    lh::EmbDesign d = designOf(data, size);
    if (lh::autoBaste(d, lh::BasteSettings{}, lh::HoopRect{-1500, -1000, 1500, 1000}, report) &&
        d.colorChangeCount() + 1 != d.threads.size())
      __builtin_trap();
  }
  {
    lh::EmbDesign d = designOf(data, size);
    const int before = lh::needleCount(d);
    const int removed = lh::reduceNeedles(d, 1 + (size > 1 ? data[1] % 4 : 0));
    if (lh::needleCount(d) != before - removed) __builtin_trap();
  }
  {
    lh::EmbDesign d = designOf(data, size);
    lh::ConversionSettings s = lh::defaultConversionSettings(size % 10);
    s.splitStitchesOn = true;
    s.splitStitchCount = 50;
    if (lh::fitToHoop(d, s)) {
      for (int parts = 0; !d.stitches.empty(); ++parts) {
        if (parts > 1000) __builtin_trap();
        d.computeBlockStats();
        d = lh::splitDesign(d, s.maxStitches(), s.maxColors());
      }
    }
  }
  return 0;
}
