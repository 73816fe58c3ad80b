#include "sequencer/sequence_edits.h"

#include <utility>

#include "sequencer/stop_list.h"

namespace lh {

namespace {

bool sameColor(const ColorStop& a, const ColorStop& b) { return a.thread.rgb == b.thread.rgb; }

std::optional<std::size_t> previousMatch(std::span<const ColorStop> stops, std::size_t row) {
  for (std::size_t m = row - 1; m-- > 0;) {
    if (sameColor(stops[m], stops[row])) return m + 1;
  }
  return std::nullopt;
}

std::optional<std::size_t> nextMatch(std::span<const ColorStop> stops, std::size_t row) {
  for (std::size_t m = row + 2; m < stops.size(); ++m) {
    if (sameColor(stops[m], stops[row])) return m - 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::size_t> moveTarget(std::span<const ColorStop> stops, std::size_t row,
                                      MoveCommand command) {
  if (row >= stops.size()) return std::nullopt;
  const std::size_t lastRow = stops.size() - 1;
  switch (command) {
    case MoveCommand::First:
      if (row == 0) return std::nullopt;
      return 0;
    case MoveCommand::PrevMatch:
      if (row == 0) return std::nullopt;
      return previousMatch(stops, row);
    case MoveCommand::Up:
      if (row == 0) return std::nullopt;
      return row - 1;
    case MoveCommand::Down:
      // Trailing stops without records are threads the design never sews; a stop moved
      // below them would leave an empty block in front of it.
      if (row == lastRow || stops[row + 1].size() == 0) return std::nullopt;
      return row + 1;
    case MoveCommand::NextMatch:
      return nextMatch(stops, row);
    case MoveCommand::Last:
      if (row == lastRow) return std::nullopt;
      return lastRow;
  }
  return std::nullopt;
}

void moveStop(std::span<ColorStop> stops, std::size_t from, std::size_t to) {
  for (; from > to; --from) swapStops(stops, from, from - 1);
  for (; from < to; ++from) swapStops(stops, from, from + 1);
}

void splitStop(std::vector<ColorStop>& stops, std::size_t row, std::size_t offset) {
  const ColorStop& old = stops[row];
  const std::span<const Stitch> records = old.records();
  StitchBlock head(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(offset));
  StitchBlock tail(records.begin() + static_cast<std::ptrdiff_t>(offset), records.end());
  StopThread copy = old.thread;
  copy.included = true;
  copy.keepStop = true;
  copy.removed = false;
  copy.selected = false;
  ColorStop first = makeStop(old.thread, old.startX, old.startY, std::move(head));
  ColorStop second = makeStop(std::move(copy), first.endX, first.endY, std::move(tail));
  stops[row] = std::move(first);
  stops.insert(stops.begin() + static_cast<std::ptrdiff_t>(row) + 1, std::move(second));
  renumberStops(stops);
}

void renumberStops(std::span<ColorStop> stops) {
  for (std::size_t i = 0; i < stops.size(); ++i) stops[i].thread.stopIndex = static_cast<std::int32_t>(i);
}

}  // namespace lh
