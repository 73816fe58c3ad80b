#include "render/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace lh {

namespace {

// Buffers larger than this are refused rather than allocated (a damaged size request
// must not exhaust memory): 64 Mi pixels, far beyond any thumbnail or printed picture.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

// Screen coordinates beyond this are clamped before conversion to integers; such points lie
// far outside any buffer, and clamping keeps the conversion defined.
constexpr float kCoordLimit = 1.0e9f;

int truncToPixel(float v) {
  return static_cast<int>(std::clamp(v, -kCoordLimit, kCoordLimit));
}

// One axis of a DDA line: the exact position c0 + k * d / n kept as quotient q and
// remainder r (0 <= r < n) of floor division, so that every pixel is decided without
// rounding drift.
struct Axis {
  std::int64_t q = 0, r = 0, stepQ = 0, stepR = 0;

  void start(std::int64_t c0, std::int64_t d, std::int64_t n, std::int64_t k) {
    const std::int64_t num = c0 * n + k * d;
    q = floorDiv(num, n);
    r = num - q * n;
    stepQ = floorDiv(d, n);
    stepR = d - stepQ * n;
  }
  void advance(std::int64_t n) {
    q += stepQ;
    r += stepR;
    if (r >= n) {
      r -= n;
      ++q;
    }
  }
  // The position is above -1 and below `limit`; its truncation towards zero is pixel().
  bool inside(std::int64_t limit) const { return (q >= 0 || (q == -1 && r > 0)) && q < limit; }
  int pixel() const { return q < 0 ? 0 : static_cast<int>(q); }

  static std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t d = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --d;
    return d;
  }
};

// Narrows [lo, hi) to the steps k at which c0 + k * d / n may lie in (-1, limit); a step or
// two of slack is kept, the exact test is Axis::inside.
void clipRange(std::int64_t& lo, std::int64_t& hi, std::int64_t c0, std::int64_t d, std::int64_t n,
               std::int64_t limit) {
  if (d == 0) {
    if (c0 <= -1 || c0 >= limit) hi = lo;
    return;
  }
  const double step = static_cast<double>(d) / static_cast<double>(n);
  double a = (-1.0 - static_cast<double>(c0)) / step;
  double b = (static_cast<double>(limit) - static_cast<double>(c0)) / step;
  if (a > b) std::swap(a, b);
  const double from = std::floor(a) - 1.0, to = std::ceil(b) + 2.0;
  if (from > static_cast<double>(lo)) lo = from >= static_cast<double>(hi) ? hi : static_cast<std::int64_t>(from);
  if (to < static_cast<double>(hi)) hi = to <= static_cast<double>(lo) ? lo : static_cast<std::int64_t>(to);
}

inline void plot(std::uint8_t* px, int width, int x, int y, std::uint8_t slot, bool thick) {
  std::uint8_t* p = px + static_cast<std::ptrdiff_t>(y) * width + x;
  p[0] = slot;
  if (thick) {
    p[1] = slot;
    p[width] = slot;
    p[width + 1] = slot;
  }
}

// The shade of the pixel at counter b (n down to 1) of an n-pixel stitch: c = b / n folded
// to the nearer end, compared exactly as a fraction m / n.
inline std::uint8_t shadeSlot(std::int64_t b, std::int64_t n, const std::uint8_t s[4]) {
  const std::int64_t m = 2 * b <= n ? b : n - b;
  if (m == 0) return s[0];
  if (20 * m < n) return s[3];
  if (5 * m < n) return s[2];
  if (5 * m <= 2 * n) return s[1];
  return s[0];
}

// A line whose both ends lie inside the writable area: every pixel between them is inside
// too, so the walk steps a pointer along the major axis and follows the exact minor position.
template <bool kShaded, bool kThick>
void insideLine(std::uint8_t* px, int width, int x0, int y0, std::int64_t dx, std::int64_t dy, std::int64_t n,
                std::uint8_t slot, const std::uint8_t* shades) {
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  Axis minor;
  minor.start(xMajor ? y0 : x0, xMajor ? dy : dx, n, 0);
  const std::ptrdiff_t majorStep = xMajor ? (dx > 0 ? 1 : -1) : (dy > 0 ? width : -width);
  const std::ptrdiff_t minorStep = xMajor ? width : 1;
  std::uint8_t* p = px + static_cast<std::ptrdiff_t>(y0) * width + x0;
  for (std::int64_t k = 0; k < n; ++k) {
    const std::uint8_t v = kShaded ? shadeSlot(n - k, n, shades) : slot;
    p[0] = v;
    if constexpr (kThick) {
      p[1] = v;
      p[width] = v;
      p[width + 1] = v;
    }
    const std::int64_t before = minor.q;
    minor.advance(n);
    p += majorStep + static_cast<std::ptrdiff_t>(minor.q - before) * minorStep;
  }
}

// The pixels of the n steps from (x0, y0) by (dx, dy) that lie inside 0 <= x < xl,
// 0 <= y < yl, visited as pixel(k, x, y) with k the step number; steps outside are skipped
// without being walked.
template <class Pixel>
void clippedWalk(int x0, int y0, std::int64_t dx, std::int64_t dy, std::int64_t n, std::int64_t xl,
                 std::int64_t yl, Pixel pixel) {
  std::int64_t lo = 0, hi = n;
  clipRange(lo, hi, x0, dx, n, xl);
  clipRange(lo, hi, y0, dy, n, yl);
  if (lo >= hi) return;
  Axis ax, ay;
  ax.start(x0, dx, n, lo);
  ay.start(y0, dy, n, lo);
  for (std::int64_t k = lo; k < hi; ++k) {
    if (ax.inside(xl) && ay.inside(yl)) pixel(k, ax.pixel(), ay.pixel());
    ax.advance(n);
    ay.advance(n);
  }
}

// The DDA shared by drawLine and drawShadedLine: n = max(|dx|, |dy|) pixels from (x0, y0),
// the end point excluded; a pixel is written only when x > -1, y > -1, x < width - 2 and
// y < height - 2. `shades` null draws flat in `slot`. The caller has checked that `px`
// holds width x height pixels.
void dda(std::uint8_t* px, int width, int height, int x0, int y0, int x1, int y1, std::uint8_t slot,
         const std::uint8_t* shades, bool thick) {
  const std::int64_t dx = static_cast<std::int64_t>(x1) - x0, dy = static_cast<std::int64_t>(y1) - y0;
  if (dx == 0 && dy == 0) return;
  const std::int64_t n = std::max(std::llabs(dx), std::llabs(dy));
  const std::int64_t xl = static_cast<std::int64_t>(width) - 2, yl = static_cast<std::int64_t>(height) - 2;

  if (x0 >= 0 && x0 < xl && y0 >= 0 && y0 < yl && x1 >= 0 && x1 < xl && y1 >= 0 && y1 < yl) {
    if (shades)
      thick ? insideLine<true, true>(px, width, x0, y0, dx, dy, n, slot, shades)
            : insideLine<true, false>(px, width, x0, y0, dx, dy, n, slot, shades);
    else
      thick ? insideLine<false, true>(px, width, x0, y0, dx, dy, n, slot, shades)
            : insideLine<false, false>(px, width, x0, y0, dx, dy, n, slot, shades);
    return;
  }

  clippedWalk(x0, y0, dx, dy, n, xl, yl, [&](std::int64_t k, int x, int y) {
    plot(px, width, x, y, shades ? shadeSlot(n - k, n, shades) : slot, thick);
  });
}

void checkedDda(DesignBitmap& bm, int x0, int y0, int x1, int y1, std::uint8_t slot, const std::uint8_t* shades,
                bool thick) {
  if (!bm.holdsPixels()) return;
  dda(bm.pixels.data(), bm.width, bm.height, x0, y0, x1, y1, slot, shades, thick);
}

// Step 1 of every render, before any colour is placed: whether a buffer can be made, with the
// width rounded up to even. A size that gets no buffer releases the old one.
bool bufferPossible(DesignBitmap& bm) {
  if (bm.holdsPicture || bm.palette == nullptr) return false;
  bm.deviceBitmapValid = false;
  if (bm.width <= 0 || bm.height <= 0) {
    bm.pixels.clear();
    return false;
  }
  bm.width = static_cast<std::int32_t>((static_cast<std::int64_t>(bm.width) + 1) / 2 * 2);
  if (static_cast<std::int64_t>(bm.width) * bm.height > kMaxPixels) {
    bm.pixels.clear();
    return false;
  }
  return true;
}

// The background's slot; filtered renders draw on slot 0 but still place the colour.
void placeBackground(DesignBitmap& bm, int colorFilter) {
  const int slot = bm.palette->addColour(redOf(bm.background), greenOf(bm.background), blueOf(bm.background));
  bm.backgroundSlot = colorFilter != -1 ? 0 : slot;
}

// The rest of step 1: a fresh buffer filled with the background slot.
void fillBuffer(DesignBitmap& bm) {
  bm.pixels.assign(static_cast<std::size_t>(bm.width) * static_cast<std::size_t>(bm.height),
                   static_cast<std::uint8_t>(bm.backgroundSlot));
}

void assignBlockColors(EmbDesign& d) {
  PaletteManager& pal = *d.palette;
  for (ThreadColor& t : d.threads) {
    const std::uint32_t c = drawnColor(t.rgb);
    t.paletteIndex = pal.addColour(redOf(c), greenOf(c), blueOf(c), -1, false, true);
  }
  pal.refresh();
}

// Steps 1, 3 and 4 of a render place all its colours under one hold of the palette, so that
// a render on another thread sharing the palette cannot take or free slots in between. The
// drawing that follows needs only the slot numbers and runs without the hold.
void placeColors(EmbDesign& d, int colorFilter) {
  const PaletteManager::Hold hold = d.palette->hold();
  placeBackground(d, colorFilter);
  if (d.stitches.empty()) return;
  assignBlockColors(d);
  if (d.shaded) buildShadeRamps(d);
}

bool hasBuffer(const DesignBitmap& bm) {
  return !bm.holdsPicture && bm.width > 0 && bm.height > 0 &&
         bm.pixels.size() == static_cast<std::size_t>(bm.width) * static_cast<std::size_t>(bm.height);
}

// Packs the buffer as a bit stream, one bit per pixel set where the slot is not 0.
void packBits(const DesignBitmap& bm, std::uint8_t* out, std::size_t bytes, bool msbFirst) {
  const std::uint8_t* px = bm.pixels.data();
  for (std::size_t i = 0; i < bytes; ++i) {
    std::uint8_t v = 0;
    for (int j = 0; j < 8; ++j)
      if (px[i * 8 + static_cast<std::size_t>(j)] != 0) v |= static_cast<std::uint8_t>(msbFirst ? 0x80 >> j : 1 << j);
    out[i] = v;
  }
}

}  // namespace

bool render(DesignBitmap& bitmap, int colorFilter) {
  if (!bufferPossible(bitmap)) return false;
  placeBackground(bitmap, colorFilter);
  fillBuffer(bitmap);
  return true;
}

bool render(EmbDesign& d, int colorFilter) {
  if (!bufferPossible(d)) return false;
  placeColors(d, colorFilter);
  fillBuffer(d);
  if (d.stitches.empty()) return true;

  const std::int64_t mx = std::max(std::llabs(d.maxX), std::llabs(d.minX));
  const std::int64_t my = std::max(std::llabs(d.maxY), std::llabs(d.minY));
  if (mx == 0 && my == 0) return true;
  const DesignBitmap& bm = d;  // the bitmap's size (EmbDesign::width() is the design's)
  const float scaleX = mx ? static_cast<float>(bm.width - 12) / static_cast<float>(2 * mx)
                          : std::numeric_limits<float>::max();
  const float scaleY = my ? static_cast<float>(bm.height - 12) / static_cast<float>(2 * my)
                          : std::numeric_limits<float>::max();
  const float scale = std::min(scaleX, scaleY);
  d.scale = scale;

  // Filtered renders draw one block flat in slot 1; a design without threads draws in black.
  const bool filtered = colorFilter != -1;
  const bool shaded = d.shaded && !filtered;
  const std::size_t blocks = d.threads.size();
  std::size_t block = 0;
  int i = 0;
  auto slotsOf = [&](std::size_t b, std::uint8_t& flat, std::uint8_t shades[4]) {
    if (b >= blocks) {
      flat = 0;
      std::fill(shades, shades + 4, std::uint8_t{0});
      return;
    }
    const ThreadColor& t = d.threads[b];
    flat = static_cast<std::uint8_t>(t.paletteIndex);
    for (int s = 0; s < 4; ++s) shades[s] = static_cast<std::uint8_t>(t.shades[static_cast<std::size_t>(s)]);
  };
  std::uint8_t flat = 1, shades[4] = {0, 0, 0, 0};
  slotsOf(0, flat, shades);
  if (filtered) flat = 1;

  std::uint8_t* const pixels = d.pixels.data();
  const int width = bm.width, height = bm.height;
  const bool thick = d.thickLines, showJumps = d.showJumps;
  float px = static_cast<float>(width) * 0.5f - 1.0f;
  float py = static_cast<float>(height) * 0.5f - 1.0f;
  for (const Stitch& s : d.stitches) {
    const float qx = px + static_cast<float>(s.dx) * scale;
    const float qy = py - static_cast<float>(s.dy) * scale;
    if (s.isColorChange() && block + 1 < blocks) {
      ++block;
      ++i;
      if (!filtered) {
        slotsOf(block, flat, shades);
      } else if (i > colorFilter) {
        break;
      }
    }
    if ((!filtered || i == colorFilter) && (!s.isJump() || showJumps)) {
      const int x0 = truncToPixel(px), y0 = truncToPixel(py);
      const int x1 = truncToPixel(qx), y1 = truncToPixel(qy);
      dda(pixels, width, height, x0, y0, x1, y1, flat, shaded ? shades : nullptr, thick);
    }
    px = qx;
    py = qy;
  }
  return true;
}

void drawLine(DesignBitmap& bitmap, int x0, int y0, int x1, int y1, int slot, bool thick) {
  checkedDda(bitmap, x0, y0, x1, y1, static_cast<std::uint8_t>(slot), nullptr, thick);
}

void drawShadedLine(DesignBitmap& bitmap, int x0, int y0, int x1, int y1, int s0, int s1, int s2, int s3,
                    bool thick) {
  const std::uint8_t shades[4] = {static_cast<std::uint8_t>(s0), static_cast<std::uint8_t>(s1),
                                  static_cast<std::uint8_t>(s2), static_cast<std::uint8_t>(s3)};
  checkedDda(bitmap, x0, y0, x1, y1, 0, shades, thick);
}

void drawDashedLine(DesignBitmap& bm, int x0, int y0, int x1, int y1, int slot) {
  if (!bm.holdsPixels()) return;
  const std::int64_t dx = static_cast<std::int64_t>(x1) - x0, dy = static_cast<std::int64_t>(y1) - y0;
  if (dx == 0 && dy == 0) return;
  const std::int64_t n = std::max(std::llabs(dx), std::llabs(dy));
  const std::int64_t xl = static_cast<std::int64_t>(bm.width) - 2,
                     yl = static_cast<std::int64_t>(bm.height) - 2;
  clippedWalk(x0, y0, dx, dy, n, xl, yl, [&](std::int64_t k, int x, int y) {
    if ((n - k) % 5 >= 3) plot(bm.pixels.data(), bm.width, x, y, static_cast<std::uint8_t>(slot), false);
  });
}

ShadeRamp shadeRampOf(std::uint32_t color) {
  const double ch[3] = {static_cast<double>(redOf(color)), static_cast<double>(greenOf(color)),
                        static_cast<double>(blueOf(color))};
  double ramp[4][3];
  for (int c = 0; c < 3; ++c) {
    ramp[0][c] = 1.1 * ch[c];
    ramp[1][c] = 0.92 * ch[c];
    ramp[2][c] = 0.8 * ch[c];
    ramp[3][c] = 0.6 * ch[c];
  }
  // Dark colours get a stronger ramp so that their stitches still show relief.
  int top = 0;
  if (ramp[0][1] > ramp[0][top]) top = 1;
  if (ramp[0][2] > ramp[0][top]) top = 2;
  const double a = ramp[0][top] - ramp[3][top];
  auto setGrey = [&](int level, double v) { ramp[level][0] = ramp[level][1] = ramp[level][2] = v; };
  if (a < 80) {
    if (a == 0) {
      setGrey(0, 60);
      setGrey(1, 45);
      setGrey(2, 25);
      setGrey(3, 0);
    } else {
      const double k = (80 - a) * 0.0125 + 1;
      const double k2 = (k + 1) / 2, k3 = (k2 + 1) / 2, k4 = (k3 + 1) / 2;
      const double factor[4] = {k, k2, k3, k4};
      for (int level = 0; level < 4; ++level)
        for (int c = 0; c < 3; ++c) ramp[level][c] *= factor[level];
    }
  }
  ShadeRamp out;
  if (redOf(color) + greenOf(color) + blueOf(color) > 715) {
    setGrey(0, 245);
    setGrey(1, 238);
    setGrey(2, 225);
    setGrey(3, 210);
    out.quantise = false;
  }
  for (int level = 0; level < 4; ++level) {
    int v[3];
    for (int c = 0; c < 3; ++c) v[c] = static_cast<int>(std::clamp(ramp[level][c], 0.0, 255.0));
    out.colors[static_cast<std::size_t>(level)] = rgbOf(v[0], v[1], v[2]);
  }
  return out;
}

void buildShadeRamps(EmbDesign& d) {
  if (d.palette == nullptr) return;
  PaletteManager& pal = *d.palette;
  const PaletteManager::Hold hold = pal.hold();
  pal.releaseShadeSlots();
  for (ThreadColor& t : d.threads) {
    const std::uint32_t base = pal.colourOf(t.paletteIndex).value_or(drawnColor(t.rgb));
    const ShadeRamp ramp = shadeRampOf(base);
    for (std::size_t level = 0; level < 4; ++level) {
      const std::uint32_t c = ramp.colors[level];
      t.shades[level] = pal.findOrAddShade(redOf(c), greenOf(c), blueOf(c), true, ramp.quantise);
    }
    pal.setShadeOut(t.shades);
  }
  pal.refresh();
}

bool renderOutline(EmbDesign& d) {
  d.shaded = false;
  if (!render(d, -1)) return false;
  PaletteManager& pal = *d.palette;
  const std::vector<std::uint8_t> copy = d.pixels;
  std::uint8_t white = 0, black = 0;
  {
    const PaletteManager::Hold hold = pal.hold();
    white = static_cast<std::uint8_t>(pal.addColour(255, 255, 255));
    black = static_cast<std::uint8_t>(pal.nearestSlot(0, 0, 0));
    pal.refresh();
  }
  std::fill(d.pixels.begin(), d.pixels.end(), white);
  const DesignBitmap& bm = d;
  const int w = bm.width, h = bm.height;
  for (int y = 1; y <= h - 2; ++y) {
    const std::uint8_t* row = copy.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
    const std::uint8_t* below = row + w;
    std::uint8_t* out = d.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
    for (int x = 1; x <= w - 2; ++x) {
      const std::uint8_t v = row[x];
      if (v != row[x + 1] || v != below[x] || v != below[x + 1]) out[x] = black;
    }
  }
  return true;
}

int renderBlockMask(EmbDesign& d, int k, std::vector<std::uint8_t>& mask) {
  const bool ok = render(d, k) && hasBuffer(d);
  const DesignBitmap& bm = d;
  const std::size_t bytes = bm.width > 0 && bm.height > 0
                                ? static_cast<std::size_t>(bm.width) * static_cast<std::size_t>(bm.height) / 8
                                : 0;
  mask.assign(bytes, 0);
  if (!ok) return 0;
  packBits(d, mask.data(), bytes, false);
  return static_cast<int>(bytes);
}

int renderBlockIcon(EmbDesign& d, int k, std::vector<std::uint8_t>& out, int w, int h) {
  const std::size_t bytes = w > 0 && h > 0 ? static_cast<std::size_t>(w) * static_cast<std::size_t>(h) / 8 : 0;
  out.assign(2 + bytes, 0);
  out[0] = static_cast<std::uint8_t>(w / 8);
  out[1] = static_cast<std::uint8_t>(h);
  setSize(d, w, h);
  if (!render(d, k) || !hasBuffer(d)) return 0;
  // An odd width was rounded up to even: pack what the buffer holds, never more.
  const std::size_t avail = std::min(bytes, d.pixels.size() / 8);
  packBits(d, out.data() + 2, avail, true);
  return static_cast<int>(bytes);
}

void setSize(DesignBitmap& bitmap, int width, int height) {
  bitmap.width = width;
  bitmap.height = height;
}

void setBackground(DesignBitmap& bitmap, std::uint32_t rgb) { bitmap.background = rgb; }

std::uint32_t drawnColor(std::uint32_t rgb) {
  if (redOf(rgb) + greenOf(rgb) + blueOf(rgb) == 765) return rgbOf(240, 240, 240);
  return rgb & 0xFFFFFF;
}

}  // namespace lh
