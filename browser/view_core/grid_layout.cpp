#include "browser/view_core/grid_layout.h"

#include <algorithm>

namespace lh {

int cellSide(int sizeSetting, const GridWindow& window) {
  switch (sizeSetting) {
    case 2:
      return kLargeCell;
    case 3: {
      const int byHeight = window.clientHeight - 3 * kGridMargin;
      const int byWidth = window.clientWidth - window.scrollBarWidth - 2 * kGridMargin;
      return std::max(1, std::min(byHeight, byWidth));
    }
    default:
      return kSmallCell;
  }
}

int nextSizeSetting(int sizeSetting) {
  return sizeSetting >= kFirstSizeSetting && sizeSetting < kLastSizeSetting ? sizeSetting + 1 : kFirstSizeSetting;
}

GridLayout::GridLayout(const GridWindow& window, int sizeSetting, std::size_t listLength, std::int64_t firstShown)
    : length_(listLength), side_(cellSide(sizeSetting, window)) {
  const int pitch = kGridMargin + side_;
  columns_ = std::max(0, window.clientWidth - window.scrollBarWidth) / pitch;
  rows_ = std::max(0, window.clientHeight) / pitch;
  const auto length = static_cast<std::int64_t>(length_);
  first_ = std::clamp<std::int64_t>(firstShown, 0, std::max<std::int64_t>(0, length - 1));
  // The last page ends with the last item: no empty cells are scrolled into view. The page
  // is what the pool can show, so a window with room for more than 50 cells still reaches
  // the end of the list.
  if (length - pageCells() - first_ < 0) first_ = std::max<std::int64_t>(0, length - pageCells());
}

int GridLayout::pageCells() const { return std::min(cellsThatFit(), kGridCells); }

int GridLayout::shownCells() const {
  const std::int64_t rest = static_cast<std::int64_t>(length_) - first_;
  return static_cast<int>(std::clamp<std::int64_t>(rest, 0, pageCells()));
}

std::int64_t GridLayout::lastFirst() const {
  const auto length = static_cast<std::int64_t>(length_);
  const std::int64_t last = std::max<std::int64_t>(0, length - pageCells());
  return std::min(last, std::max<std::int64_t>(0, length - 1));
}

GridRect GridLayout::cellRect(int k) const {
  const int columns = std::max(1, columns_);
  const int c = k % columns, r = k / columns;
  return {kGridMargin + (kGridMargin + side_) * c, kGridMargin + (kGridMargin + side_) * r, side_, side_};
}

int GridLayout::cellOfItem(std::size_t index) const {
  const auto i = static_cast<std::int64_t>(index);
  return i >= first_ && i < first_ + shownCells() ? static_cast<int>(i - first_) : -1;
}

std::int64_t GridLayout::clamped(std::int64_t first) const { return std::clamp<std::int64_t>(first, 0, lastFirst()); }

std::int64_t GridLayout::pageStep() const { return std::max(1, pageCells()); }

std::int64_t GridLayout::wheel(int notches) const { return clamped(first_ - std::int64_t{notches} * columnStep()); }

GridScrollBar GridLayout::scrollBar() const {
  return {lastFirst(), first_, pageCells(), columnStep()};
}

std::int64_t GridLayout::fromScrollBar(std::int64_t value) const {
  if (value >= lastFirst()) return lastFirst();
  if (value <= 0) return 0;
  return value / columnStep() * columnStep();
}

std::vector<std::size_t> GridLayout::loadOrder() const {
  std::vector<std::size_t> order;
  const auto length = static_cast<std::int64_t>(length_);
  const std::int64_t shownEnd = first_ + shownCells();
  for (std::int64_t i = first_; i < shownEnd; ++i) order.push_back(static_cast<std::size_t>(i));
  const std::int64_t page = pageCells();
  for (std::int64_t i = shownEnd; i < std::min(length, shownEnd + page); ++i) order.push_back(static_cast<std::size_t>(i));
  for (std::int64_t i = first_ - 1; i >= std::max<std::int64_t>(0, first_ - page); --i)
    order.push_back(static_cast<std::size_t>(i));
  return order;
}

int WheelSteps::add(int delta) {
  rest_ += delta;
  const std::int64_t notches = rest_ / kWheelNotch;
  rest_ -= notches * kWheelNotch;
  return static_cast<int>(notches);
}

}  // namespace lh
