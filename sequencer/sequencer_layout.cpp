#include "sequencer/sequencer_layout.h"

#include <algorithm>

namespace lh {

namespace {

constexpr int kListTop = 48;
constexpr int kListWidth = 166;
constexpr int kGap = 8;

PixelRect rectAt(int left, int top, int width, int height) {
  return {left, top, left + std::max(0, width), top + std::max(0, height)};
}

}  // namespace

SequencerLayout sequencerLayout(int w, int h, int groupsRight, int statusHeight) {
  SequencerLayout out;
  const int listHeight = h - 108;
  out.stopList = rectAt(groupsRight + kGap, kListTop, kListWidth, listHeight);
  const int previewWidth = w < 416 ? 50 : w - 366;
  out.preview = rectAt(out.stopList.right + kGap, kListTop, previewWidth, listHeight);
  out.scrollBar = rectAt(0, h - 41, w, 16);
  out.colorBar = rectAt(0, h - 55, w, 10);
  out.statusBar = rectAt(0, h - statusHeight, w, statusHeight);
  return out;
}

std::array<int, 4> statusPaneEdges(int width, int c) {
  return {width - 38 * c - 8, width - 18 * c - 8, width - 10 * c - 8, width - 8};
}

ColorBar colorBarOf(const PixelRect& strip, std::span<const ThreadColor> threads, std::int64_t stitchCount) {
  ColorBar bar;
  bar.marker = {strip.left + 20, strip.top + 1, strip.left + 28, strip.bottom - 1};
  if (stitchCount <= 0) return bar;
  const int left = strip.left + 32, right = strip.right - 16;
  const double span = right - left;
  std::int64_t sewn = 0;
  int start = left;
  for (const ThreadColor& t : threads) {
    sewn = std::min(sewn + std::max(0, t.stitchCount), stitchCount);
    const int end =
        left + static_cast<int>(static_cast<double>(sewn) / static_cast<double>(stitchCount) * span);
    bar.segments.push_back({{start, strip.top, end, strip.bottom}, t.rgb});
    start = end;
  }
  return bar;
}

}  // namespace lh
