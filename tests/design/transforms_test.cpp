#include "design/transforms.h"

#include <gtest/gtest.h>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::st;

// Well formed: one ColorChange fewer than threads.
void expectWellFormed(const EmbDesign& d) { EXPECT_EQ(d.colorChangeCount() + 1, d.threads.size()); }

EmbDesign blocks(std::initializer_list<int> sizes) {
  EmbDesign d;
  bool first = true;
  for (int n : sizes) {
    if (!first) d.stitches.push_back(colorChange());
    for (int i = 0; i < n - (first ? 0 : 1); ++i) d.stitches.push_back(st(1, 1));
    first = false;
    d.threads.push_back(test::thread(0x10u * static_cast<unsigned>(d.threads.size() + 1)));
  }
  d.computeBlockStats();
  return d;
}

std::vector<EmbDesign> splitAll(EmbDesign d, int maxStitches, int maxColors) {
  std::vector<EmbDesign> parts;
  for (;;) {
    EmbDesign rest = splitDesign(d, maxStitches, maxColors);
    parts.push_back(std::move(d));
    if (rest.stitches.empty()) break;
    d = std::move(rest);
    d.computeBlockStats();
  }
  return parts;
}

TEST(Transforms, ShrinkCarriesTheRounding) {
  EmbDesign d;
  d.stitches.assign(10, st(3, -3));
  shrinkDesign(d, 0.5);
  int sum = 0;
  for (std::size_t i = 0; i < d.stitches.size(); ++i) {
    EXPECT_EQ(d.stitches[i].dx, i % 2 ? 2 : 1);
    EXPECT_EQ(d.stitches[i].dy, i % 2 ? -2 : -1);
    sum += d.stitches[i].dx;
  }
  EXPECT_EQ(sum, 15);
  EXPECT_EQ(d.maxX, 15);
  EXPECT_EQ(d.minX, 1);
}

TEST(Transforms, NoLimitsNoSplit) {
  EmbDesign d = blocks({50, 50});
  EmbDesign rest = splitDesign(d, 0, 0);
  EXPECT_TRUE(rest.stitches.empty());
  EXPECT_EQ(d.stitches.size(), 100u);
  EXPECT_TRUE(splitDesign(d, 1000, 2).stitches.empty());
}

TEST(Transforms, SplitByColors) {
  EmbDesign d = blocks({10, 20, 30});
  const auto parts = splitAll(std::move(d), 0, 1);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].stitches.size(), 10u);
  EXPECT_EQ(parts[1].stitches.size(), 20u);
  EXPECT_EQ(parts[2].stitches.size(), 30u);
  // Later parts begin with a jump from the origin to where their block starts.
  EXPECT_EQ(parts[1].stitches[0], jump(10, 10));
  EXPECT_EQ(parts[2].stitches[0], jump(29, 29));
  for (const auto& p : parts) {
    EXPECT_EQ(p.threads.size(), 1u);
    expectWellFormed(p);
  }
  EXPECT_EQ(parts[2].threads[0].rgb, 0x30u);
}

TEST(Transforms, SplitByStitches) {
  struct Case {
    const char* what;
    std::initializer_list<int> blocks;
    std::vector<std::size_t> sizes;
  };
  const Case cases[] = {
      {"one long block in pieces", {2500}, {1000, 1000, 500}},
      {"a block that would overflow starts the next part", {300, 800}, {300, 800}},
      {"a first block over the limit is cut at the limit", {1200, 100}, {1000, 300}},
  };
  for (const auto& c : cases) {
    const auto parts = splitAll(blocks(c.blocks), 1000, 0);
    ASSERT_EQ(parts.size(), c.sizes.size()) << c.what;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      EXPECT_EQ(parts[i].stitches.size(), c.sizes[i]) << c.what << " part " << i;
      expectWellFormed(parts[i]);
    }
  }
}

TEST(Transforms, SplitInsideABlockListsItsThreadInBothParts) {
  EmbDesign d = blocks({1200, 100});
  EmbDesign rest = splitDesign(d, 1000, 0);
  ASSERT_EQ(d.threads.size(), 1u);
  ASSERT_EQ(rest.threads.size(), 2u);
  EXPECT_EQ(d.threads[0].rgb, rest.threads[0].rgb);
  // The remainder's bounds are in the unsplit design's coordinates.
  EXPECT_EQ(rest.minX, 1001);
  EXPECT_EQ(rest.maxX, 1299);
}

}  // namespace
}  // namespace lh
