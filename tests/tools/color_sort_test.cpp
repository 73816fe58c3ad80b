#include "tools/color_sort.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::st;

constexpr std::uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

// Builds designs from straight strokes, one block each.
struct Strokes {
  EmbDesign d;
  int x = 0, y = 0;
  Strokes() { d.path = "/d/rose.pes"; }
  Strokes& block(std::uint32_t rgb, int x0, int y0, int x1, int y1, Stitch change = colorChange()) {
    if (!d.threads.empty()) {
      d.stitches.push_back(change);
      x += change.dx;
      y += change.dy;
    }
    d.threads.push_back(test::thread(rgb));
    d.threads.back().displayName = std::to_string(rgb) + "/" + std::to_string(d.threads.size());
    d.stitches.push_back(jump(x0 - x, y0 - y));
    x = x0;
    y = y0;
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) / 10;
    for (int i = 1; i <= steps; ++i) {
      const int nx = x0 + (x1 - x0) * i / steps, ny = y0 + (y1 - y0) * i / steps;
      d.stitches.push_back(st(nx - x, ny - y));
      x = nx;
      y = ny;
    }
    return *this;
  }
  EmbDesign take() {
    d.computeBounds();
    d.centreDesign();
    d.computeBlockStats();
    return std::move(d);
  }
};

// Colours of the threads, and the display names in sewing order.
std::vector<std::uint32_t> colors(const EmbDesign& d) {
  std::vector<std::uint32_t> out;
  for (const auto& t : d.threads) out.push_back(t.rgb);
  return out;
}


// Position of the first sewn record whose end is (x, y), in sewing order.
std::ptrdiff_t indexOfPoint(const EmbDesign& d, int px, int py) {
  int x = 0, y = 0;
  for (std::size_t i = 0; i < d.stitches.size(); ++i) {
    x += d.stitches[i].dx;
    y += d.stitches[i].dy;
    if (x == px && y == py && !d.stitches[i].isJump()) return static_cast<std::ptrdiff_t>(i);
  }
  return -1;
}

TEST(ColorSort, AdjacentEqualBlocksJoin) {
  EmbDesign d = Strokes().block(kRed, 0, 0, 500, 0).block(kRed, 0, 300, 500, 300).take();
  ToolReport report;
  EXPECT_EQ(colorSort(d, 5, report), 1);
  EXPECT_EQ(colors(d), (std::vector<std::uint32_t>{kRed}));
  EXPECT_EQ(d.colorChangeCount(), 0u);
  EXPECT_EQ(report.text(), "/d/rose.pes reduced 1 color.\r\n");
}

TEST(ColorSort, LaterBlockMovesOverBlocksItDoesNotCover) {
  // red, blue, red on three separate rows: sorted to red, red, blue.
  EmbDesign d = Strokes().block(kRed, 0, 0, 500, 0).block(kBlue, 0, 300, 500, 300).block(kRed, 0, 600, 500, 600).take();
  const auto before = test::needlePositions(d);
  ToolReport report;
  EXPECT_EQ(colorSort(d, 0, report), 1);
  EXPECT_EQ(colors(d), (std::vector<std::uint32_t>{kRed, kBlue}));
  EXPECT_EQ(test::needlePositions(d), before);
  // The second red follows the first before the blue's colour change: a jump from the end
  // of the first red to where the moved block began, then the block's own jump.
  std::size_t cc = 0;
  while (!d.stitches[cc].isColorChange()) ++cc;
  std::size_t jumps = 0;
  for (std::size_t i = 1; i < cc; ++i) jumps += d.stitches[i].isJump();
  EXPECT_EQ(jumps, 2u);
  EXPECT_EQ(report.text(), "/d/rose.pes reduced 1 color.\r\n");
}

TEST(ColorSort, OverlapDecidesTheMove) {
  struct Case {
    const char* name;
    int x0, y0, x1, y1;  // the second red's stroke; the blue lies on row 300 from 0 to 500
    int threshold;
    int removed;
  };
  const Case cases[] = {
      {"on top of the blue", 0, 300, 500, 300, 5, 0},
      {"on top of the blue, threshold 100", 0, 300, 500, 300, 100, 1},
      {"crossing it briefly, threshold 0", 250, 200, 250, 400, 0, 0},
      {"crossing it briefly, threshold 50", 250, 200, 250, 400, 50, 1},
      {"clear of it, threshold 0", 0, 600, 500, 600, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmbDesign d = Strokes()
                      .block(kRed, 0, 0, 500, 0)
                      .block(kBlue, 0, 300, 500, 300)
                      .block(kRed, c.x0, c.y0, c.x1, c.y1)
                      .take();
    const std::vector<Stitch> records = d.stitches;
    const int bounds[4] = {d.minX, d.minY, d.maxX, d.maxY};
    ToolReport report;
    EXPECT_EQ(colorSort(d, c.threshold, report), c.removed);
    if (c.removed == 0) {
      // Nothing written: the design is exactly as it was.
      EXPECT_EQ(d.stitches, records);
      EXPECT_EQ(d.threads.size(), 3u);
      EXPECT_EQ((std::vector<int>{d.minX, d.minY, d.maxX, d.maxY}), std::vector<int>(bounds, bounds + 4));
      EXPECT_TRUE(report.empty());
    }
  }
}

TEST(ColorSort, EachMoveInsertsRightBehindTheFirstBlock) {
  // red, blue, redA, green, redB: redA moves to 1, then redB (two places on) moves to 1.
  EmbDesign d = Strokes()
                    .block(kRed, 0, 0, 500, 0)
                    .block(kBlue, 0, 200, 500, 200)
                    .block(kRed, 0, 400, 500, 400)
                    .block(kGreen, 0, 600, 500, 600)
                    .block(kRed, 0, 800, 500, 800)
                    .take();
  ToolReport report;
  EXPECT_EQ(colorSort(d, 5, report), 2);
  EXPECT_EQ(colors(d), (std::vector<std::uint32_t>{kRed, kBlue, kGreen}));
  const int shift = -400;  // centring moved the rows down by 400 units
  EXPECT_LT(indexOfPoint(d, 500 + -250, 800 + shift), indexOfPoint(d, 500 - 250, 400 + shift));
}

TEST(ColorSort, ScanSkipsTwoPlacesAfterAMove) {
  // red, blue, redA, redB: after redA moves, redB is not looked at for this block; the next
  // pass moves it behind redA, so the order is red, redA, redB, blue.
  EmbDesign d = Strokes()
                    .block(kRed, 0, 0, 500, 0)
                    .block(kBlue, 0, 200, 500, 200)
                    .block(kRed, 0, 400, 500, 400)
                    .block(kRed, 0, 600, 500, 600)
                    .take();
  ToolReport report;
  EXPECT_EQ(colorSort(d, 5, report), 2);
  EXPECT_EQ(colors(d), (std::vector<std::uint32_t>{kRed, kBlue}));
  EXPECT_LT(indexOfPoint(d, 250, 100), indexOfPoint(d, 250, 300));
}

TEST(ColorSort, ColorChangeMoveStartsTheNextBlock) {
  // The change into the blue carries a move: it stays the first record of the blue block.
  EmbDesign d = Strokes()
                    .block(kRed, 0, 0, 500, 0)
                    .block(kBlue, 0, 300, 500, 300, Stitch(-37, 11, false, true))
                    .block(kRed, 0, 600, 500, 600)
                    .take();
  ToolReport report;
  ASSERT_EQ(colorSort(d, 5, report), 1);
  std::size_t cc = 0;
  while (!d.stitches[cc].isColorChange()) ++cc;
  ASSERT_LT(cc + 2, d.stitches.size());
  EXPECT_TRUE(d.stitches[cc + 1].isJump());
  EXPECT_EQ(d.stitches[cc + 2], st(-37, 11));
}

TEST(ColorSort, EmptyFirstBlock) {
  // The records begin with a colour change: the first (red) block is empty. The second red
  // moves behind it; the rebuild still begins with the red thread and no colour change.
  Strokes s;
  s.d.threads.push_back(test::thread(kRed));
  EmbDesign d = s.block(kBlue, 0, 300, 500, 300).block(kRed, 0, 600, 500, 600).take();
  ASSERT_EQ(d.threads.size(), 3u);
  ToolReport report;
  EXPECT_EQ(colorSort(d, 5, report), 1);
  EXPECT_EQ(colors(d), (std::vector<std::uint32_t>{kRed, kBlue}));
  EXPECT_FALSE(d.stitches.front().isColorChange());
  EXPECT_EQ(d.colorChangeCount(), 1u);
}

TEST(ColorSort, ManyBlocksKeepEveryRecord) {
  // 260 blocks alternating red and blue on separate rows: the first 250 are sorted, the rest
  // follow in order; no record is lost.
  Strokes s;
  for (int i = 0; i < 260; ++i) s.block(i % 2 ? kBlue : kRed, 0, 20 * i, 100, 20 * i);
  EmbDesign d = s.take();
  const auto before = test::needlePositions(d);
  ToolReport report;
  const int removed = colorSort(d, 100, report);
  EXPECT_GT(removed, 0);
  EXPECT_EQ(test::needlePositions(d), before);
  EXPECT_EQ(d.colorChangeCount() + 1, d.threads.size());
  EXPECT_EQ(static_cast<int>(d.threads.size()), 260 - removed);
}

}  // namespace
}  // namespace lh
