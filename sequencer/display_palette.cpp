#include "sequencer/display_palette.h"

#include <algorithm>

#include "render/renderer.h"

namespace lh {

DisplayPalette::DisplayPalette() { palette_.setQuantum(0); }

int DisplayPalette::allocate(std::uint32_t rgb) {
  const std::uint32_t c = drawnColor(rgb);
  const PaletteManager::Hold hold = palette_.hold();
  const int slot = palette_.addColour(redOf(c), greenOf(c), blueOf(c));
  return slot >= 0 ? slot : palette_.nearestSlot(redOf(c), greenOf(c), blueOf(c));
}

std::uint32_t DisplayPalette::colorOf(int slot) const { return palette_.colourOf(slot).value_or(0); }

void DisplayPalette::enter(ThreadColor& thread) {
  thread.paletteIndex = allocate(thread.rgb);
  thread.rgb = colorOf(thread.paletteIndex);
}

void DisplayPalette::enterAll(std::span<ThreadColor> threads) {
  for (ThreadColor& t : threads) enter(t);
}

void DisplayPalette::reset() {
  const PaletteManager::Hold hold = palette_.hold();
  palette_.releaseShadeSlots();
  palette_.freeFrom(1);
}

void DisplayPalette::release(int slot, std::span<const ThreadColor> stillShown) {
  if (slot <= 0 || slot >= PaletteManager::kSlots) return;
  if (std::any_of(stillShown.begin(), stillShown.end(),
                  [slot](const ThreadColor& t) { return t.paletteIndex == slot; }))
    return;
  const PaletteManager::Hold hold = palette_.hold();
  palette_.freeSlot(slot);
  palette_.refresh();
}

void DisplayPalette::recolor(ThreadColor& thread, std::uint32_t chosenRgb,
                             std::span<const ThreadColor> others) {
  release(thread.paletteIndex, others);
  thread.rgb = chosenRgb;
  enter(thread);
}

}  // namespace lh
