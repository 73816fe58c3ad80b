#pragma once
// The sequencer's colour block: a thread with its stop flags, the block's own stitch records
// and where the block is sewn, plus the values a row of the stop list shows for it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "design/stitch.h"
#include "design/thread_color.h"

namespace lh {

// A thread as the sequencer holds it. The flags travel with the thread through copies and
// undo snapshots; they are not part of the plug-in payload, so a received thread gets the
// defaults.
struct StopThread : ThreadColor {
  bool included = true;         // the stop takes part in the working design
  bool keepStop = true;         // false: merges into the previous stop of equal colour on save
  bool selected = false;        // the stop selected in the stop list
  bool removed = false;         // the user removed the stop and its stitches
  std::int32_t stopIndex = -1;  // index of the stop the thread was last placed in

  StopThread() = default;
  explicit StopThread(const ThreadColor& thread) : ThreadColor(thread) {}
};

// A block's records. Blocks are never changed once built, so undo snapshots share them.
using StitchBlock = std::vector<Stitch>;
using SharedStitches = std::shared_ptr<const StitchBlock>;

// Extremes of a block's needle positions (absolute, 0.1 mm).
struct StopBounds {
  std::int64_t minX = 0, minY = 0, maxX = 0, maxY = 0;
  friend bool operator==(const StopBounds&, const StopBounds&) = default;
};

struct ColorStop {
  // Needle positions of the block without its first three and last three records (all of
  // them for a block of six or fewer; the start for an empty block): the preview frames these.
  StopBounds bounds;
  std::int64_t startX = 0, startY = 0;  // needle position just before the first record
  std::int64_t endX = 0, endY = 0;      // needle position after the last record
  StopThread thread;                    // thread.stitchCount is the number of records
  SharedStitches stitches;              // never null; never holds a ColorChange record

  std::span<const Stitch> records() const { return *stitches; }
  std::size_t size() const { return stitches->size(); }
};

// A stop for `records` sewn from (startX, startY): bounds and stitchCount filled in.
ColorStop makeStop(StopThread thread, std::int64_t startX, std::int64_t startY, StitchBlock records);

// What a row of the stop list shows beside its swatch. keptBefore mirrors this stop's
// keepStop and keptAfter the next stop's; the joined marks bracket rows that a save merges
// or whose names say they are the same thread.
struct StopRow {
  std::uint32_t rgb = 0;
  bool keptBefore = false;
  bool keptAfter = false;
  bool joinedBefore = false;
  bool joinedAfter = false;
  bool included = true;
  bool removed = false;
  std::string text;
};

// "n: name,  count st" with the 1-based row number.
std::string rowText(std::size_t row, const ColorStop& stop);
// Whether `lower`, the row right after `upper`, is marked as joined to it.
bool joinedRows(const ColorStop& upper, const ColorStop& lower);
std::vector<StopRow> stopRows(std::span<const ColorStop> stops);

}  // namespace lh
