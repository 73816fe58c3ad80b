#include "browser/view_core/grid_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace lh {
namespace {

// Room for 10 x 5 cells of size 1 (pitch 135) beside a 16-pixel scroll bar: a full pool.
constexpr GridWindow kFifty{1366, 700, 16};

TEST(GridLayout, CellSizeColumnsRowsAndTheFirstShownClamp) {
  struct Case {
    GridWindow window;
    int size;
    std::size_t items;
    std::int64_t first;
    int side, columns, rows, page, shown;
    std::int64_t firstAfter;
  };
  const Case cases[] = {
      // 120 items with 50 shown cells: a first index past the last page comes back to 70.
      {kFifty, 1, 120, 100, 128, 10, 5, 50, 50, 70},
      {kFifty, 1, 120, 70, 128, 10, 5, 50, 50, 70},
      {kFifty, 1, 120, 500, 128, 10, 5, 50, 50, 70},
      {kFifty, 1, 30, 10, 128, 10, 5, 50, 30, 0},
      {kFifty, 1, 0, 5, 128, 10, 5, 50, 0, 0},
      {kFifty, 2, 120, 0, 200, 6, 3, 18, 18, 0},
      // Size 3: a square of min(700 - 21, 1366 - 16 - 14).
      {kFifty, 3, 120, 119, 679, 1, 1, 1, 1, 119},
      // Any other setting reads as 1.
      {kFifty, 9, 120, 0, 128, 10, 5, 50, 50, 0},
      // Room for 18 x 10 cells: the page is still the pool's 50, so the end is reachable.
      {{2576, 1440, 16}, 1, 200, 199, 128, 18, 10, 50, 50, 150},
      // No room for a single cell: nothing shown, nothing divided by zero.
      {{100, 50, 16}, 1, 120, 30, 128, 0, 0, 0, 0, 30},
      {{100, 50, 16}, 3, 120, 0, 29, 2, 1, 2, 2, 0},
      {{10, 10, 16}, 3, 120, 0, 1, 0, 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const GridLayout g(c.window, c.size, c.items, c.first);
    SCOPED_TRACE(testing::Message() << "size " << c.size << ", " << c.items << " items from " << c.first
                                    << ", window " << c.window.clientWidth << "x" << c.window.clientHeight);
    EXPECT_EQ(g.cellWidth(), c.side);
    EXPECT_EQ(g.cellHeight(), c.side);
    EXPECT_EQ(g.columns(), c.columns);
    EXPECT_EQ(g.rows(), c.rows);
    EXPECT_EQ(g.pageCells(), c.page);
    EXPECT_EQ(g.shownCells(), c.shown);
    EXPECT_EQ(g.firstShown(), c.firstAfter);
  }
}

TEST(GridLayout, CellsGoRowByRowWithTheMargin) {
  const GridLayout g(kFifty, 1, 120, 30);
  EXPECT_EQ(g.cellRect(0), (GridRect{7, 7, 128, 128}));
  EXPECT_EQ(g.cellRect(13), (GridRect{7 + 135 * 3, 7 + 135, 128, 128}));
  EXPECT_EQ(g.cellRect(49), (GridRect{7 + 135 * 9, 7 + 135 * 4, 128, 128}));
  EXPECT_EQ(g.cellOfItem(30), 0);
  EXPECT_EQ(g.cellOfItem(79), 49);
  EXPECT_EQ(g.cellOfItem(80), -1);
  EXPECT_EQ(g.cellOfItem(29), -1);
}

TEST(GridLayout, MovesStayBetweenTheStartAndTheLastPage) {
  const GridLayout top(kFifty, 1, 120, 0);
  EXPECT_EQ(top.lineUp(), 0);
  EXPECT_EQ(top.lineDown(), 10);
  EXPECT_EQ(top.pageDown(), 50);
  EXPECT_EQ(top.end(), 70);
  EXPECT_EQ(top.wheel(1), 0);      // towards the start: already there
  EXPECT_EQ(top.wheel(-3), 30);    // three notches towards the end, a row each
  EXPECT_EQ(top.wheel(-100), 70);
  EXPECT_EQ(top.scrollTo(95), 70);  // a letter jump near the end shows the last page

  const GridLayout middle(kFifty, 1, 120, 50);
  EXPECT_EQ(middle.pageDown(), 70);
  EXPECT_EQ(middle.pageUp(), 0);
  EXPECT_EQ(middle.home(), 0);
  EXPECT_EQ(middle.wheel(2), 30);

  const GridLayout few(kFifty, 1, 30, 0);  // fewer items than cells: nothing to scroll
  EXPECT_EQ(few.pageDown(), 0);
  EXPECT_EQ(few.wheel(-5), 0);
  EXPECT_EQ(few.end(), 0);
}

TEST(GridLayout, ScrollBarCountsItemsAndSnapsToRows) {
  const GridLayout g(kFifty, 1, 120, 30);
  const GridScrollBar bar = g.scrollBar();
  EXPECT_EQ(bar.maximum, 70);
  EXPECT_EQ(bar.position, 30);
  EXPECT_EQ(bar.pageStep, 50);
  EXPECT_EQ(bar.singleStep, 10);
  EXPECT_EQ(g.fromScrollBar(35), 30);
  EXPECT_EQ(g.fromScrollBar(69), 60);
  EXPECT_EQ(g.fromScrollBar(70), 70);
  EXPECT_EQ(g.fromScrollBar(1000), 70);
  EXPECT_EQ(g.fromScrollBar(-4), 0);
}

TEST(GridLayout, WheelDeltasAddUpToWholeNotches) {
  WheelSteps wheel;
  EXPECT_EQ(wheel.add(60), 0);
  EXPECT_EQ(wheel.add(60), 1);
  EXPECT_EQ(wheel.add(360), 3);
  EXPECT_EQ(wheel.add(-100), 0);
  EXPECT_EQ(wheel.add(-20), -1);
}

TEST(GridLayout, LoadOrderIsTheShownPageThenThePagesAfterAndBefore) {
  const GridLayout g(kFifty, 1, 200, 50);
  const std::vector<std::size_t> order = g.loadOrder();
  ASSERT_EQ(order.size(), 150u);
  EXPECT_EQ(order[0], 50u);
  EXPECT_EQ(order[49], 99u);
  EXPECT_EQ(order[50], 100u);
  EXPECT_EQ(order[99], 149u);
  EXPECT_EQ(order[100], 49u);  // the page before, nearest first
  EXPECT_EQ(order[149], 0u);

  const GridLayout end(kFifty, 1, 120, 70);
  const std::vector<std::size_t> last = end.loadOrder();
  ASSERT_EQ(last.size(), 100u);  // 70..119, then 20..69
  EXPECT_EQ(last[50], 69u);
  EXPECT_EQ(last.back(), 20u);
}

TEST(GridLayout, PreviewSizeStepsThroughTheThreeSizes) {
  EXPECT_EQ(nextSizeSetting(1), 2);
  EXPECT_EQ(nextSizeSetting(2), 3);
  EXPECT_EQ(nextSizeSetting(3), 1);
  EXPECT_EQ(nextSizeSetting(0), 1);
}

}  // namespace
}  // namespace lh
