#include "sequencer/stop_list.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace lh {

namespace {

StopThread threadOfBlock(const EmbDesign& design, std::size_t block) {
  if (block < design.threads.size()) return StopThread(design.threads[block]);
  if (!design.threads.empty()) return StopThread(design.threads.back());
  return StopThread();
}

std::size_t blockCount(const EmbDesign& design) {
  if (design.stitches.empty()) return design.threads.size();
  return std::max(design.threads.size(), design.colorChangeCount() + 1);
}

// Appends jump records that move the needle by (dx, dy); a record's move is 16 bits, so a
// long way goes in several pieces.
void appendJump(std::vector<Stitch>& out, std::int64_t dx, std::int64_t dy) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int16_t>::max();
  while (dx != 0 || dy != 0) {
    const std::int64_t sx = std::clamp(dx, -kMax, kMax);
    const std::int64_t sy = std::clamp(dy, -kMax, kMax);
    out.push_back(Stitch::withFlags(Jump, static_cast<int>(sx), static_cast<int>(sy)));
    dx -= sx;
    dy -= sy;
  }
}

bool qualifies(const StopThread& t, RebuildMode mode) {
  switch (mode) {
    case RebuildMode::IncludedOnly: return t.included;
    case RebuildMode::ForSaving: return !t.removed;
    case RebuildMode::AllStops: return true;
  }
  return false;
}

}  // namespace

std::vector<ColorStop> buildStops(const EmbDesign& design) {
  const std::vector<Stitch>& in = design.stitches;
  const std::size_t blocks = blockCount(design);
  std::vector<ColorStop> stops;
  stops.reserve(blocks);
  std::int64_t x = 0, y = 0;
  std::size_t next = 0;
  std::optional<Stitch> opening;  // the move a colour change carried, opening the next block
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::int64_t startX = x, startY = y;
    StitchBlock records;
    if (opening) {
      records.push_back(*opening);
      x += opening->dx;
      y += opening->dy;
      opening.reset();
    }
    std::size_t end = next;
    while (end < in.size() && !in[end].isColorChange()) ++end;
    records.reserve(records.size() + (end - next));
    for (; next < end; ++next) {
      records.push_back(in[next]);
      x += in[next].dx;
      y += in[next].dy;
    }
    if (next < in.size()) {
      const Stitch& change = in[next++];
      if (!change.isZeroMove()) opening = Stitch::withFlags(Jump, change.dx, change.dy);
    }
    stops.push_back(makeStop(threadOfBlock(design, b), startX, startY, std::move(records)));
  }
  for (std::size_t i = 0; i < stops.size(); ++i) stops[i].thread.stopIndex = static_cast<std::int32_t>(i);
  return stops;
}

void rebuildDesign(std::span<const ColorStop> stops, RebuildMode mode, EmbDesign& target,
                   std::vector<BlockSpan>* spans) {
  target.stitches.clear();
  target.threads.clear();
  if (spans) spans->clear();
  std::size_t total = 0;
  for (const ColorStop& stop : stops) total += stop.size() + 2;
  target.stitches.reserve(total);

  std::int64_t x = 0, y = 0;
  const ColorStop* last = nullptr;
  for (std::size_t i = 0; i < stops.size(); ++i) {
    const ColorStop& stop = stops[i];
    if (!qualifies(stop.thread, mode)) continue;
    const bool merge = mode == RebuildMode::ForSaving && last && !stop.thread.keepStop &&
                       stop.thread.rgb == last->thread.rgb;
    if (!merge) {
      if (last) target.stitches.push_back(Stitch::withFlags(ColorChange));
      target.threads.push_back(static_cast<const ThreadColor&>(stop.thread));
    }
    last = &stop;
    BlockSpan span{i, target.stitches.size(), 0, 0};
    if (stop.size() == 0) {
      span.own = span.end = span.first;  // nothing is sewn there: no jump either
      if (spans) spans->push_back(span);
      continue;
    }
    appendJump(target.stitches, stop.startX - x, stop.startY - y);
    span.own = target.stitches.size();
    target.stitches.insert(target.stitches.end(), stop.stitches->begin(), stop.stitches->end());
    span.end = target.stitches.size();
    x = stop.endX;
    y = stop.endY;
    if (spans) spans->push_back(span);
  }
  target.computeBounds();
}

void swapStops(std::span<ColorStop> stops, std::size_t a, std::size_t b) {
  using std::swap;
  swap(stops[a], stops[b]);
}

}  // namespace lh
