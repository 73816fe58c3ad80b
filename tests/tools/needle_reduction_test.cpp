#include "tools/needle_reduction.h"

#include <gtest/gtest.h>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::st;

constexpr std::uint32_t kRed = 0x0000FF, kNearRed = 0x0505FA, kGreen = 0x00FF00, kBlue = 0xFF0000,
                        kYellow = 0x00FFFF, kCyan = 0xFFFF00;

// One block per colour with the given usage weights (threadLength).
EmbDesign blocks(std::initializer_list<std::pair<std::uint32_t, int>> colors) {
  EmbDesign d;
  for (auto [rgb, length] : colors) {
    if (!d.threads.empty()) d.stitches.push_back(colorChange());
    d.stitches.push_back(st(10, 0));
    ThreadColor t = test::thread(rgb);
    t.displayName = "c" + std::to_string(rgb);
    t.threadLength = length;
    t.stitchCount = static_cast<int>(d.threads.size()) + 100;
    d.threads.push_back(t);
  }
  return d;
}

TEST(NeedleReduction, DistanceOfColorPoints) {
  struct Case {
    std::uint32_t a, b;
    float d;
  };
  const Case cases[] = {
      {0x000000, 0xFFFFFF, 255.0f},  // greys lie on the V axis
      {0x808080, 0x808080, 0.0f},
      {kRed, kCyan, 1020.0f},  // full saturation, opposite hues
      {kRed, kNearRed, 13.0f},  // (510, 0, 255) against (498, 0, 250)
  };
  for (const Case& c : cases) EXPECT_FLOAT_EQ(needleDistance(c.a, c.b), c.d) << std::hex << c.a << " " << c.b;
}

TEST(NeedleReduction, NeedleCountIsDistinctColors) {
  EXPECT_EQ(needleCount(blocks({{kRed, 1}, {kBlue, 1}, {kRed, 1}})), 2);
  EXPECT_EQ(needleCount(EmbDesign{}), 0);
}

TEST(NeedleReduction, NearRedTakesTheHeavierRed) {
  EmbDesign d = blocks({{kRed, 5000}, {kGreen, 9000}, {kNearRed, 2000}, {kBlue, 9000}, {kYellow, 9000}});
  ASSERT_EQ(reduceNeedles(d, 4), 1);
  EXPECT_EQ(needleCount(d), 4);
  EXPECT_EQ(d.threads[2].rgb, kRed);
  EXPECT_EQ(d.threads[2].displayName, "c" + std::to_string(kRed));
  // The block keeps its own statistics.
  EXPECT_EQ(d.threads[2].threadLength, 2000);
  EXPECT_EQ(d.threads[2].stitchCount, 102);
  EXPECT_EQ(d.threads.size(), 5u);
  EXPECT_EQ(d.threads[0].rgb, kRed);
  EXPECT_EQ(d.threads[0].threadLength, 5000);  // the palette's weights are its own copies
}

TEST(NeedleReduction, NothingToDo) {
  // Maximum 0, maximum not below the block count, and a palette already small enough.
  EmbDesign d = blocks({{kRed, 1}, {kGreen, 1}, {kBlue, 1}});
  EXPECT_EQ(reduceNeedles(d, 0), 0);
  EXPECT_EQ(reduceNeedles(d, 3), 0);
  EmbDesign ten = blocks({{kRed, 1}, {kGreen, 1}, {kBlue, 1}, {kYellow, 1}, {kCyan, 1},
                          {kRed, 1}, {kGreen, 1}, {kBlue, 1}, {kYellow, 1}, {kCyan, 1}});
  const std::vector<ThreadColor> before = ten.threads;
  EXPECT_EQ(reduceNeedles(ten, 7), 0);
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(ten.threads[i].rgb, before[i].rgb);
}

TEST(NeedleReduction, EveryClosestSoFarPairPassesItsWeightOn) {
  // Greys 100, 110, 115: the pair (100, 110) is closest first and gives 110's weight to
  // 100 (5 + 3), then (110, 115) is closer and gives it to 115 (4 + 3). With one needle
  // left, 100 (8) outweighs 115 (7); without the first transfer 115 would win.
  EmbDesign d = blocks({{0x646464, 5}, {0x6E6E6E, 3}, {0x737373, 4}});
  EXPECT_EQ(reduceNeedles(d, 1), 2);
  for (const ThreadColor& t : d.threads) EXPECT_EQ(t.rgb, 0x646464u);
}

}  // namespace
}  // namespace lh
