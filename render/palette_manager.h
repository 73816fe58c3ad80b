#pragma once
// The 236-slot colour table that rendered designs index into.
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace lh {

// Rendered designs store slot numbers, never colours. Slot 0 is black and stays taken;
// thread colours are placed from slot 1 upwards, shade colours from slot 235 downwards.
// Colours are quantised to steps of `quantum` so that similar threads share a slot, which
// keeps the slot count bounded and decides the colour of every exported pixel.
//
// Two instances exist in the programs (the screen palette and the print palette); every
// design refers to one through DesignBitmap::palette. There is no shared default.
//
// One palette is shared by designs rendered on several threads: every operation is atomic,
// and hold() makes a sequence of them atomic (one render places all its colours under one
// hold, so another render cannot take or free slots in between).
class PaletteManager {
 public:
  static constexpr int kSlots = 236;        // slots 0..235 are used
  static constexpr int kTableSize = 256;    // slot values kept for every byte value
  static constexpr std::int32_t kFree = -1;
  static constexpr int kBadSlot = 19;       // freeSlot error code

  // While a Hold is alive, only its own thread uses the palette; operations may be called
  // under it (the lock is recursive).
  using Hold = std::unique_lock<std::recursive_mutex>;

  PaletteManager();
  PaletteManager(const PaletteManager&) = delete;
  PaletteManager& operator=(const PaletteManager&) = delete;

  Hold hold() const { return Hold(mutex_); }

  // Every channel is rounded to a multiple of the quantum (15) before use; 0 switches
  // quantising off.
  std::int32_t quantum() const;
  void setQuantum(std::int32_t q);
  // The four slots produced by the last shade ramp; -1 initially.
  std::array<std::int32_t, 4> shadeOut() const;
  void setShadeOut(const std::array<std::int32_t, 4>& slots);

  // Rounds one channel to the nearest multiple of the quantum (in floating point).
  int quantise(int x) const;

  // Places a colour: clamps the channels, quantises, and (slot -1, unless noSearch) returns
  // the first slot in 1..shadeMark-1 already holding it; otherwise stores it in `slot` or the
  // first free slot from 1 up. -1 when no slot is free or a given slot is not below shadeMark.
  int addColour(int r, int g, int b, int slot = -1, bool noSearch = false, bool noRefresh = false);
  // Shade colours: an equal colour in 1..235, else the highest free slot (235 down, which
  // becomes shadeMark), else the nearest existing colour. Never fails.
  int findOrAddShade(int r, int g, int b, bool noRefresh = false, bool quantise = true);
  // The used slot with the smallest sum of channel differences (lowest slot on a tie).
  int nearestSlot(int r, int g, int b) const;
  // Colour (0x00BBGGRR) of a used slot; nothing for a free slot or one outside 0..235.
  std::optional<std::uint32_t> colourOf(int slot) const;
  // Frees one slot; returns 0, or kBadSlot for a slot outside 0..235.
  int freeSlot(int slot);
  // Frees slot..235 (1 <= slot <= 235) and refreshes.
  void freeFrom(int slot);
  // Frees the slots the last shaded render took.
  void releaseShadeSlots();
  // Rebuilds the colour table of the used slots.
  void refresh();

  // Raw slot value (-1 free, else 0x00BBGGRR) for any byte value 0..255; -1 outside.
  std::int32_t slotValue(int slot) const;
  // Lowest slot taken by shade colours; 236 when none.
  int shadeMark() const;
  // Colours of the used slots in slot order, as of the last refresh.
  std::vector<std::uint32_t> table() const;
  // How many times the table was rebuilt (renders refresh once, not once per colour).
  std::uint64_t refreshCount() const;
  // Number of used slots among 0..235.
  int usedCount() const;

 private:
  mutable std::recursive_mutex mutex_;
  std::int32_t quantum_ = 15;
  std::array<std::int32_t, 4> shadeOut_{-1, -1, -1, -1};
  std::array<std::int32_t, kTableSize> slots_{};
  int shadeMark_ = kSlots;
  std::vector<std::uint32_t> table_;
  std::uint64_t refreshCount_ = 0;
};

}  // namespace lh
