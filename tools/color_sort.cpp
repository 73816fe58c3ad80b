#include "tools/color_sort.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "render/palette_manager.h"
#include "render/renderer.h"
#include "tools/setting_keys.h"

namespace lh {

namespace {

constexpr int kRaster = 400;
constexpr std::size_t kMaskBytes = kRaster * kRaster / 8;  // 20000
constexpr std::size_t kMaskWords = kMaskBytes / 8;

// Absolute positions are summed in 64 bits.
struct Position {
  std::int64_t x = 0, y = 0;
};

struct Block {
  Position start;
  ThreadColor thread;
  std::vector<Stitch> records;
};

// Coverage masks of the first `count` blocks, 64 bits per word for the AND counts. The
// count of each pair is kept once computed: the scan asks for the same pairs again.
class Masks {
 public:
  Masks(EmbDesign& design, int count)
      : count_(static_cast<std::size_t>(count)),
        words_(count_ * kMaskWords, 0),
        pairs_(count_ * count_, -1) {
    std::vector<std::uint8_t> bytes;
    for (int k = 0; k < count; ++k) {
      if (renderBlockMask(design, k, bytes) != static_cast<int>(kMaskBytes)) continue;
      std::memcpy(&words_[static_cast<std::size_t>(k) * kMaskWords], bytes.data(), kMaskBytes);
    }
    pixels_.assign(static_cast<std::size_t>(count), 0);
    for (int k = 0; k < count; ++k) pixels_[static_cast<std::size_t>(k)] = common(k, k);
  }
  // Pixels set in both masks.
  long common(int a, int b) {
    long& cached = pairs_[static_cast<std::size_t>(a) * count_ + static_cast<std::size_t>(b)];
    if (cached >= 0) return cached;
    const std::uint64_t* x = &words_[static_cast<std::size_t>(a) * kMaskWords];
    const std::uint64_t* y = &words_[static_cast<std::size_t>(b) * kMaskWords];
    long n = 0;
    for (std::size_t i = 0; i < kMaskWords; ++i) n += std::popcount(x[i] & y[i]);
    cached = n;
    pairs_[static_cast<std::size_t>(b) * count_ + static_cast<std::size_t>(a)] = n;
    return n;
  }
  long pixels(int k) const { return pixels_[static_cast<std::size_t>(k)]; }

 private:
  std::size_t count_;
  std::vector<std::uint64_t> words_;
  std::vector<long> pixels_;
  std::vector<long> pairs_;
};

// Cuts the design's records into blocks at colour changes. A colour change that carries a
// move loses its flag and starts the next block; one without a move is dropped. Every
// thread gets a block (empty when the records run out); records after the last thread's
// block form further blocks under a copy of the last thread, so no record is lost.
std::vector<Block> gatherBlocks(const EmbDesign& design) {
  std::vector<Block> blocks;
  std::int64_t x = 0, y = 0;
  auto open = [&] {
    Block b;
    b.start = {x, y};
    const std::size_t k = blocks.size();
    if (k < design.threads.size())
      b.thread = design.threads[k];
    else if (!design.threads.empty())
      b.thread = design.threads.back();
    blocks.push_back(std::move(b));
  };
  open();
  for (Stitch r : design.stitches) {
    if (r.isColorChange()) {
      r.setColorChange(false);
      open();
      if (r.isZeroMove()) continue;
    }
    blocks.back().records.push_back(r);
    x += r.dx;
    y += r.dy;
  }
  while (blocks.size() < design.threads.size()) open();
  return blocks;
}

// Whether a block between g and l covers more than `allowed` percent of block l's pixels.
bool overlapsTooMuch(Masks& masks, const std::vector<int>& order, std::size_t g, std::size_t l, int allowed) {
  const long own = masks.pixels(order[l]);
  if (own == 0) return false;
  for (std::size_t j = g + 1; j < l; ++j)
    if (masks.common(order[l], order[j]) * 100 / own > allowed) return true;
  return false;
}

// Appends a jump of any length as pieces that fit the 16-bit moves.
void appendJump(std::vector<Stitch>& out, std::int64_t dx, std::int64_t dy) {
  constexpr std::int64_t kMax = 32767;
  while (dx != 0 || dy != 0) {
    const std::int64_t sx = std::clamp(dx, -kMax, kMax);
    const std::int64_t sy = std::clamp(dy, -kMax, kMax);
    out.emplace_back(static_cast<int>(sx), static_cast<int>(sy), true);
    dx -= sx;
    dy -= sy;
  }
}

void rebuild(EmbDesign& design, const std::vector<Block>& blocks) {
  design.stitches.clear();
  design.threads.clear();
  std::int64_t x = 0, y = 0;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const Block& b = blocks[i];
    if (i == 0) {
      design.threads.push_back(b.thread);
    } else if (b.thread.rgb != blocks[i - 1].thread.rgb) {
      design.stitches.push_back(Stitch::withFlags(ColorChange));
      design.threads.push_back(b.thread);
    }
    if (x != b.start.x || y != b.start.y) appendJump(design.stitches, b.start.x - x, b.start.y - y);
    x = b.start.x;
    y = b.start.y;
    for (const Stitch& r : b.records) {
      design.stitches.push_back(r);
      x += r.dx;
      y += r.dy;
    }
  }
}

}  // namespace

int loadColorSortThreshold(const SettingsStore& store) {
  return readSetting(store, kColorSortThreshold);
}

int colorSort(EmbDesign& design, int allowedOverlap, ToolReport& report,
              const std::function<void(std::string_view)>& status) {
  const std::size_t n = design.threads.size();
  if (n == 0) return 0;
  const std::vector<Stitch> savedStitches = design.stitches;
  const std::vector<ThreadColor> savedThreads = design.threads;
  const int savedBounds[4] = {design.minX, design.minY, design.maxX, design.maxY};
  const DesignBitmap savedBitmap = design;
  const bool savedJumps = design.showJumps;
  const float savedScale = design.scale;

  // Coverage masks on a raster of their own, drawn with a palette of their own.
  PaletteManager palette;
  usePalette(design, &palette);
  setSize(design, kRaster, kRaster);
  design.thickLines = true;
  design.shaded = false;
  design.showJumps = false;
  design.centreDesign();

  std::vector<Block> blocks = gatherBlocks(design);
  const int m = static_cast<int>(std::min<std::size_t>(std::min(n, blocks.size()), kMaxSortedBlocks));
  Masks masks(design, m);
  // order[i]: the block (and mask) now at position i of the first m.
  std::vector<int> order(static_cast<std::size_t>(m));
  for (int i = 0; i < m; ++i) order[static_cast<std::size_t>(i)] = i;

  for (std::size_t g = 0; m >= 3 && g + 2 < static_cast<std::size_t>(m); ++g) {
    const Block& bg = blocks[static_cast<std::size_t>(order[g])];
    if (status) status(design.path + " color: " + bg.thread.displayName);
    std::size_t l = g + 2;
    while (l < static_cast<std::size_t>(m)) {
      if (blocks[static_cast<std::size_t>(order[l])].thread.rgb != bg.thread.rgb ||
          overlapsTooMuch(masks, order, g, l, allowedOverlap)) {
        ++l;
        continue;
      }
      std::rotate(order.begin() + static_cast<std::ptrdiff_t>(g + 1), order.begin() + static_cast<std::ptrdiff_t>(l),
                  order.begin() + static_cast<std::ptrdiff_t>(l + 1));
      l += 2;
    }
  }

  std::vector<Block> sorted;
  sorted.reserve(blocks.size());
  for (int i : order) sorted.push_back(std::move(blocks[static_cast<std::size_t>(i)]));
  for (std::size_t i = static_cast<std::size_t>(m); i < blocks.size(); ++i) sorted.push_back(std::move(blocks[i]));
  rebuild(design, sorted);

  static_cast<DesignBitmap&>(design) = savedBitmap;
  design.showJumps = savedJumps;
  design.scale = savedScale;
  const int removed = static_cast<int>(n) - static_cast<int>(design.threads.size());
  if (removed <= 0) {
    design.stitches = savedStitches;
    design.threads = savedThreads;
    design.minX = savedBounds[0];
    design.minY = savedBounds[1];
    design.maxX = savedBounds[2];
    design.maxY = savedBounds[3];
    return 0;
  }
  design.computeBounds();
  design.computeBlockStats();
  if (removed == 1)
    report.addLine(design.path + " reduced 1 color.");
  else
    report.addLine(design.path + " reduced " + std::to_string(removed) + " colors.");
  return removed;
}

}  // namespace lh
