#pragma once
// The edits of a stop sequence that do not depend on the window: where a move takes a stop,
// the move itself, and cutting one stop in two.
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "sequencer/color_stop.h"

namespace lh {

enum class MoveCommand { First, PrevMatch, Up, Down, NextMatch, Last };

// The row that `command` moves stop `row` to, or nothing when the command is refused there.
// The match searches skip the direct neighbour: moving next to a neighbour that already has
// the same colour would change nothing.
std::optional<std::size_t> moveTarget(std::span<const ColorStop> stops, std::size_t row,
                                      MoveCommand command);

// Moves stop `from` to row `to` by swapping neighbours; the stops between shift by one.
void moveStop(std::span<ColorStop> stops, std::size_t from, std::size_t to);

// Cuts stop `row` before its record `offset` (0 < offset < size): the stop keeps the records
// before, a new stop right after it takes the rest with a copy of its thread that is
// included, keeps its stop and is not removed.
void splitStop(std::vector<ColorStop>& stops, std::size_t row, std::size_t offset);

// Sets every stop's stopIndex to its row.
void renumberStops(std::span<ColorStop> stops);

}  // namespace lh
