#pragma once
// Cutting a design into colour stops and sewing the stops back into a design.
#include <cstddef>
#include <span>
#include <vector>

#include "design/emb_design.h"
#include "sequencer/color_stop.h"

namespace lh {

enum class RebuildMode {
  IncludedOnly,  // stops with `included` set: what the preview and the simulation show
  ForSaving,     // stops not `removed`, equal colours merged unless the later stop keeps its stop
  AllStops,      // every stop
};

// Where one stop's block landed in a rebuilt design: records [first, end), of which the
// stop's own records start at `own` (a jump back to the stop's start may come before them).
struct BlockSpan {
  std::size_t stop = 0;
  std::size_t first = 0;
  std::size_t own = 0;
  std::size_t end = 0;
};

// Cuts `design` into one stop per colour block. A colour change that carries a move becomes
// a plain change followed by a jump that opens the next stop. Every record is kept: blocks
// beyond the last thread get a copy of the last thread, threads beyond the last block get
// stops without records.
std::vector<ColorStop> buildStops(const EmbDesign& design);

// Replaces the stitches and threads of `target` with the qualifying stops in order and
// recomputes its bounds; the rest of `target` stays. Each block is sewn where it was: when
// the needle is elsewhere a jump moves it to the stop's start first (not for a stop without
// records). Every block after the
// first is opened by a colour change, also after a block without records, so that thread k
// always colours block k. `spans`, when given, receives one entry per block written.
void rebuildDesign(std::span<const ColorStop> stops, RebuildMode mode, EmbDesign& target,
                   std::vector<BlockSpan>* spans = nullptr);

// Exchanges two stops completely (thread, flags, bounds, start and records).
void swapStops(std::span<ColorStop> stops, std::size_t a, std::size_t b);

}  // namespace lh
