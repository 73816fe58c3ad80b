#pragma once
// The thumbnail grid's arithmetic: a fixed pool of cells over a flat list of items. Every
// answer comes from a few integers (window size, size setting, list length, first shown
// index); nothing here walks the list.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lh {

inline constexpr int kGridCells = 50;      // cells in the pool
inline constexpr int kGridMargin = 7;      // pixels between cells and around them
inline constexpr int kWheelNotch = 120;    // wheel delta of one notch
inline constexpr int kSmallCell = 128;     // size setting 1
inline constexpr int kLargeCell = 200;     // size setting 2
inline constexpr int kFirstSizeSetting = 1;
inline constexpr int kLastSizeSetting = 3;  // a square filling the window's height or width

struct GridRect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const GridRect&, const GridRect&) = default;
};

// The window the grid lays itself out in.
struct GridWindow {
  int clientWidth = 0;
  int clientHeight = 0;
  int scrollBarWidth = 0;
};

// The side of a square cell for a size setting (outside 1..3 reads as 1). Setting 3 never
// gives less than one pixel, however small the window.
int cellSide(int sizeSetting, const GridWindow& window);
// The setting after "Preview Size": 1 -> 2 -> 3 -> 1.
int nextSizeSetting(int sizeSetting);

// The scroll bar in item units: first shown index from 0 to maximum, moved by a row per
// line and by the shown cells per page.
struct GridScrollBar {
  std::int64_t maximum = 0;
  std::int64_t position = 0;
  std::int64_t pageStep = 0;
  std::int64_t singleStep = 1;
};

// One layout of the grid: cell size, columns and rows, and which items the cells show.
class GridLayout {
 public:
  GridLayout(const GridWindow& window, int sizeSetting, std::size_t listLength, std::int64_t firstShown);

  int cellWidth() const { return side_; }
  int cellHeight() const { return side_; }
  int columns() const { return columns_; }
  int rows() const { return rows_; }
  // Columns x rows: the cells the window has room for (may exceed the pool).
  int cellsThatFit() const { return columns_ * rows_; }
  // The cells a page holds: those that fit, at most the pool's 50.
  int pageCells() const;
  std::size_t listLength() const { return length_; }

  std::int64_t firstShown() const { return first_; }
  // Cells showing an item: at most a page and at most the items from the first shown one.
  int shownCells() const;
  // The largest first shown index: the last page ends with the list's last item.
  std::int64_t lastFirst() const;
  // Where cell k (0 .. kGridCells - 1) goes; cells past shownCells() are hidden but still
  // get their place.
  GridRect cellRect(int k) const;
  // The cell showing item `index`, or -1 when it is not shown.
  int cellOfItem(std::size_t index) const;

  // First shown index after a move, kept between 0 and lastFirst().
  std::int64_t clamped(std::int64_t first) const;
  std::int64_t lineUp() const { return clamped(first_ - columnStep()); }
  std::int64_t lineDown() const { return clamped(first_ + columnStep()); }
  std::int64_t pageUp() const { return clamped(first_ - pageStep()); }
  std::int64_t pageDown() const { return clamped(first_ + pageStep()); }
  std::int64_t home() const { return 0; }
  std::int64_t end() const { return lastFirst(); }
  // Whole wheel notches: positive notches (the wheel turned away from the user) move
  // towards the start, one row per notch.
  std::int64_t wheel(int notches) const;
  // A letter jump: the found item becomes the first shown one (as far as the end allows).
  std::int64_t scrollTo(std::size_t index) const { return clamped(static_cast<std::int64_t>(index)); }

  GridScrollBar scrollBar() const;
  // The first shown index for a scroll bar value: the start of the value's row, or the
  // last page when the value is at the end.
  std::int64_t fromScrollBar(std::int64_t value) const;

  // Items to prepare, most wanted first: the shown items, then the page after them, then
  // the page before them.
  std::vector<std::size_t> loadOrder() const;

 private:
  std::int64_t columnStep() const { return columns_ > 0 ? columns_ : 1; }
  std::int64_t pageStep() const;

  std::size_t length_;
  int side_;
  int columns_;
  int rows_;
  std::int64_t first_;
};

// Turns wheel deltas into whole notches; a fine-grained wheel's small deltas add up.
class WheelSteps {
 public:
  int add(int delta);

 private:
  std::int64_t rest_ = 0;
};

}  // namespace lh
