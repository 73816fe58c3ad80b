#include "sequencer/color_stop.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "design/attribute_list.h"
#include "design/emb_design.h"

namespace lh {

namespace {

constexpr std::size_t kBoundsSkip = 3;

StopBounds measureStop(std::span<const Stitch> records, std::int64_t x, std::int64_t y) {
  if (records.empty()) return {x, y, x, y};
  // The first and last few records run in from and out to the neighbouring blocks; a block
  // too short to drop them is measured whole.
  const bool skip = records.size() > 2 * kBoundsSkip;
  const std::size_t from = skip ? kBoundsSkip : 0;
  const std::size_t to = skip ? records.size() - kBoundsSkip : records.size();
  StopBounds b{std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::max(),
               std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::min()};
  for (std::size_t i = 0; i < to; ++i) {
    x += records[i].dx;
    y += records[i].dy;
    if (i < from) continue;
    b.minX = std::min(b.minX, x);
    b.minY = std::min(b.minY, y);
    b.maxX = std::max(b.maxX, x);
    b.maxY = std::max(b.maxY, y);
  }
  return b;
}

}  // namespace

ColorStop makeStop(StopThread thread, std::int64_t startX, std::int64_t startY, StitchBlock records) {
  ColorStop stop;
  stop.bounds = measureStop(records, startX, startY);
  stop.startX = startX;
  stop.startY = startY;
  const Bounds64 moved = measureBounds(records);
  stop.endX = startX + moved.endX;
  stop.endY = startY + moved.endY;
  stop.thread = std::move(thread);
  stop.thread.stitchCount = static_cast<std::int32_t>(
      std::min<std::size_t>(records.size(), std::numeric_limits<std::int32_t>::max()));
  stop.stitches = std::make_shared<const StitchBlock>(std::move(records));
  return stop;
}

std::string rowText(std::size_t row, const ColorStop& stop) {
  char number[32];
  std::snprintf(number, sizeof number, "%zu: ", row + 1);
  char count[32];
  std::snprintf(count, sizeof count, ",  %d st", static_cast<int>(stop.thread.stitchCount));
  return number + stop.thread.displayName + count;
}

bool joinedRows(const ColorStop& upper, const ColorStop& lower) {
  if (lower.thread.keepStop) return false;
  return equalsNoCase(upper.thread.displayName, lower.thread.displayName) ||
         upper.thread.rgb == lower.thread.rgb;
}

std::vector<StopRow> stopRows(std::span<const ColorStop> stops) {
  std::vector<StopRow> rows(stops.size());
  for (std::size_t j = 0; j < stops.size(); ++j) {
    const StopThread& t = stops[j].thread;
    StopRow& row = rows[j];
    row.rgb = t.rgb;
    row.included = t.included;
    row.removed = t.removed;
    row.keptBefore = t.keepStop;
    row.text = rowText(j, stops[j]);
    if (j + 1 < stops.size()) {
      row.keptAfter = stops[j + 1].thread.keepStop;
      row.joinedAfter = joinedRows(stops[j], stops[j + 1]);
    }
    if (j > 0) row.joinedBefore = rows[j - 1].joinedAfter;
  }
  return rows;
}

}  // namespace lh
