#include "design/design_limits.h"

#include <gtest/gtest.h>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::jump;
using test::st;

// A design exactly kMaxDesignExtent wide and high, plus `extraX` and `extraY`, padded with
// zero moves to `records` records.
EmbDesign design(std::size_t records, int extraX, int extraY) {
  constexpr int kQuarter = static_cast<int>(kMaxDesignExtent / 4);
  EmbDesign d;
  d.stitches = {jump(-kQuarter, -kQuarter), jump(-kQuarter, -kQuarter)};
  for (int k = 0; k < 4; ++k) d.stitches.push_back(jump(kQuarter, kQuarter));
  d.stitches.push_back(st(extraX, extraY));
  d.stitches.resize(records, st(0, 0));
  d.computeBounds();
  return d;
}

TEST(DesignLimits, RecordsAndExtentUpToTheLimitsAreWithin) {
  const struct {
    const char* name;
    std::size_t records;
    int extraX, extraY;
    bool within;
  } cases[] = {
      {"as wide and high as the limit", 7, 0, 0, true},
      {"a step wider", 7, 1, 0, false},
      {"a step higher", 7, 0, 1, false},
      {"records at the limit", kMaxDesignRecords, 0, 0, true},
      {"one record more", kMaxDesignRecords + 1, 0, 0, false},
  };
  for (const auto& c : cases) EXPECT_EQ(withinDesignLimits(design(c.records, c.extraX, c.extraY)), c.within) << c.name;
}

}  // namespace
}  // namespace lh
