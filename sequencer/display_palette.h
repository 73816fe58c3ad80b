#pragma once
// The sequencer's own screen palette: thread colours are kept exactly as given (no
// quantising), one slot per distinct colour, and a slot is given back when no thread shows it
// any more, so that recolouring stops again and again never runs the palette full.
#include <cstdint>
#include <span>

#include "design/thread_color.h"
#include "render/palette_manager.h"

namespace lh {

class DisplayPalette {
 public:
  DisplayPalette();
  DisplayPalette(const DisplayPalette&) = delete;
  DisplayPalette& operator=(const DisplayPalette&) = delete;

  PaletteManager& manager() { return palette_; }
  const PaletteManager& manager() const { return palette_; }

  // The slot for a thread colour: an equal colour's slot or a new one. Pure white enters as
  // 240, 240, 240 so that it shows on a white background. A full palette gives the nearest
  // colour's slot rather than failing.
  int allocate(std::uint32_t rgb);
  // The colour a slot holds (black for a free or invalid slot).
  std::uint32_t colorOf(int slot) const;

  // Gives the thread its slot and makes its rgb the colour the slot holds.
  void enter(ThreadColor& thread);
  void enterAll(std::span<ThreadColor> threads);

  // Gives back every slot but black, as when a new design replaces the one shown, so that
  // its threads keep their exact colours however many designs came before.
  void reset();

  // Gives `slot` back unless one of `stillShown` uses it. Slot 0 (black) is never released.
  void release(int slot, std::span<const ThreadColor> stillShown);
  // Puts `chosen` into `thread`'s colour: the old slot is released (unless one of `others`
  // still shows it) and the new colour entered.
  void recolor(ThreadColor& thread, std::uint32_t chosenRgb, std::span<const ThreadColor> others);

 private:
  PaletteManager palette_;
};

}  // namespace lh
