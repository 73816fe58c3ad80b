// Designs rendered on many threads at once, all on one shared palette, as the browser's
// thumbnail workers and its preview do. The tsan preset runs these under ThreadSanitizer.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "render/renderer.h"
#include "tests/support/design_builder.h"

namespace lh {
namespace {

constexpr int kThreads = 8;
constexpr int kDesigns = 96;
constexpr int kSize = 64;

// Design i: two to five zigzag blocks in colours from a small set, so that threads both find
// colours other threads placed and take new slots.
EmbDesign zigzag(int i) {
  static const std::uint32_t colors[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00,
                                          0x808080, 0xFFFFFF, 0x000000, 0x3060C0, 0xC06030, 0x60C030};
  EmbDesign d;
  const int blocks = 2 + i % 4;
  for (int b = 0; b < blocks; ++b) {
    if (b > 0) d.stitches.push_back(test::colorChange());
    d.stitches.push_back(test::jump(-60 + 10 * b, 20 * b - 40));
    for (int k = 0; k < 12; ++k) d.stitches.push_back(test::st(k % 2 ? 50 + i : -50 - i, 3 + b));
    d.threads.push_back(test::thread(colors[(i * 5 + b * 7) % std::size(colors)]));
  }
  d.computeBounds();
  d.centreDesign();
  return d;
}

enum class Kind { Flat, Thick, Outline, Shaded };

// Renders the design the way `kind` says and returns its BMP file image.
std::vector<std::uint8_t> picture(EmbDesign& d, PaletteManager& palette, Kind kind) {
  usePalette(d, &palette);
  setSize(d, kSize, kSize);
  d.thickLines = kind == Kind::Thick;
  d.shaded = kind == Kind::Shaded;
  const bool drawn = kind == Kind::Outline ? renderOutline(d) : render(d);
  return drawn ? toBmpFile(d) : std::vector<std::uint8_t>{};
}

// The colour of every pixel of an 8-bit BMP image made by toBmpFile, bottom row first.
std::vector<std::uint32_t> pixelColors(const std::vector<std::uint8_t>& bmp) {
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(bmp.at(at)) | static_cast<std::uint32_t>(bmp.at(at + 1)) << 8 |
           static_cast<std::uint32_t>(bmp.at(at + 2)) << 16 | static_cast<std::uint32_t>(bmp.at(at + 3)) << 24;
  };
  const std::size_t bits = u32(10), w = u32(18), h = u32(22), stride = (w + 3) / 4 * 4;
  std::vector<std::uint32_t> out;
  for (std::size_t y = 0; y < h; ++y)
    for (std::size_t x = 0; x < w; ++x) out.push_back(u32(54 + 4 * std::size_t{bmp.at(bits + y * stride + x)}));
  return out;
}

TEST(RenderThreads, DesignsOnManyThreadsShowTheirOwnColorsOnOneSharedPalette) {
  struct Job {
    EmbDesign design;
    Kind kind;
    std::vector<std::uint32_t> expected, got;
  };
  std::vector<Job> jobs;
  for (int i = 0; i < kDesigns; ++i) {
    Job job{zigzag(i), static_cast<Kind>(i % 4), {}, {}};
    EmbDesign alone(job.design);
    PaletteManager own;
    job.expected = pixelColors(picture(alone, own, job.kind));
    jobs.push_back(std::move(job));
  }

  PaletteManager shared;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (std::size_t j = static_cast<std::size_t>(t); j < jobs.size(); j += kThreads)
        jobs[j].got = pixelColors(picture(jobs[j].design, shared, jobs[j].kind));
    });
  }
  for (std::thread& w : workers) w.join();

  for (std::size_t j = 0; j < jobs.size(); ++j) {
    ASSERT_EQ(jobs[j].got.size(), static_cast<std::size_t>(kSize * kSize)) << j;
    // A shaded render's shade slots last only until the next shaded render on the palette
    // releases them, so only the pictures without shading are compared colour for colour.
    if (jobs[j].kind != Kind::Shaded) {
      EXPECT_EQ(jobs[j].got, jobs[j].expected) << "design " << j;
    }
  }
}

}  // namespace
}  // namespace lh
