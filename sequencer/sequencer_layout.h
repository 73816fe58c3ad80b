#pragma once
// The main window's geometry as pure functions of its client size, so that the window only
// applies rectangles: the stop list, the preview, the colour bar, the stitch scroll bar, the
// status bar panes, and the colour bar's segments.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "design/thread_color.h"
#include "sequencer/preview_geometry.h"

namespace lh {

struct SequencerLayout {
  PixelRect stopList;
  PixelRect preview;
  PixelRect colorBar;
  PixelRect scrollBar;
  PixelRect statusBar;
};

// `groupsRight` is the right edge of the control groups, `statusHeight` the status bar's height.
SequencerLayout sequencerLayout(int clientWidth, int clientHeight, int groupsRight, int statusHeight);

// Right edges of the four status bar panes for a bar `width` wide and the font's average
// character width.
std::array<int, 4> statusPaneEdges(int width, int charWidth);

struct ColorBarSegment {
  PixelRect rect;
  std::uint32_t rgb = 0;
};
struct ColorBar {
  std::vector<ColorBarSegment> segments;  // filled with rgb, outlined black
  PixelRect marker;                       // the black filled circle's box
};

// The colour bar in `strip` for the blocks of a design of `stitchCount` records: block k's
// segment ends at L + trunc(stitches of blocks 0..k / stitchCount x (R - L)), with L = left + 32
// and R = right - 16. No segments for a design without records.
ColorBar colorBarOf(const PixelRect& strip, std::span<const ThreadColor> threads, std::int64_t stitchCount);

}  // namespace lh
