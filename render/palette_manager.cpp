#include "render/palette_manager.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "design/thread_color.h"

namespace lh {

namespace {

int clampChannel(int v) { return std::clamp(v, 0, 255); }

}  // namespace

PaletteManager::PaletteManager() {
  slots_.fill(kFree);
  slots_[0] = 0;  // black, always taken
  refresh();
}

std::int32_t PaletteManager::quantum() const {
  const Hold lock = hold();
  return quantum_;
}

void PaletteManager::setQuantum(std::int32_t q) {
  const Hold lock = hold();
  quantum_ = q;
}

std::array<std::int32_t, 4> PaletteManager::shadeOut() const {
  const Hold lock = hold();
  return shadeOut_;
}

void PaletteManager::setShadeOut(const std::array<std::int32_t, 4>& slots) {
  const Hold lock = hold();
  shadeOut_ = slots;
}

int PaletteManager::quantise(int x) const {
  const Hold lock = hold();
  if (quantum_ == 0) return x;
  const double q = static_cast<double>(quantum_);
  return static_cast<int>(q * std::trunc((static_cast<double>(x) + q / 2.0) / q));
}

int PaletteManager::addColour(int r, int g, int b, int slot, bool noSearch, bool noRefresh) {
  const Hold lock = hold();
  if (slot < -1 || slot >= shadeMark_) return -1;
  r = quantise(clampChannel(r));
  g = quantise(clampChannel(g));
  b = quantise(clampChannel(b));
  const auto color = static_cast<std::int32_t>(rgbOf(r, g, b));
  if (slot == -1) {
    if (!noSearch) {
      for (int i = 1; i < shadeMark_; ++i)
        if (slots_[static_cast<std::size_t>(i)] == color) return i;
    }
    for (int i = 1; i < shadeMark_; ++i) {
      if (slots_[static_cast<std::size_t>(i)] == kFree) {
        slot = i;
        break;
      }
    }
    if (slot == -1) return -1;
  }
  slots_[static_cast<std::size_t>(slot)] = color;
  if (!noRefresh) refresh();
  return slot;
}

int PaletteManager::findOrAddShade(int r, int g, int b, bool noRefresh, bool quantiseIt) {
  const Hold lock = hold();
  r = clampChannel(r);
  g = clampChannel(g);
  b = clampChannel(b);
  if (quantiseIt) {
    r = quantise(r);
    g = quantise(g);
    b = quantise(b);
  }
  const auto color = static_cast<std::int32_t>(rgbOf(r, g, b));
  for (int i = 1; i < kSlots; ++i)
    if (slots_[static_cast<std::size_t>(i)] == color) return i;
  for (int i = kSlots - 1; i >= 1; --i) {
    if (slots_[static_cast<std::size_t>(i)] == kFree) {
      shadeMark_ = i;
      slots_[static_cast<std::size_t>(i)] = color;
      if (!noRefresh) refresh();
      return i;
    }
  }
  return nearestSlot(r, g, b);
}

int PaletteManager::nearestSlot(int r, int g, int b) const {
  const Hold lock = hold();
  int best = 0;
  int bestDistance = -1;
  for (int i = 0; i < kSlots; ++i) {
    const std::int32_t v = slots_[static_cast<std::size_t>(i)];
    if (v == kFree) continue;
    const auto c = static_cast<std::uint32_t>(v);
    const int d = std::abs(redOf(c) - r) + std::abs(greenOf(c) - g) + std::abs(blueOf(c) - b);
    if (bestDistance < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
      if (d == 0) break;
    }
  }
  return best;
}

std::optional<std::uint32_t> PaletteManager::colourOf(int slot) const {
  const Hold lock = hold();
  if (slot < 0 || slot >= kSlots) return std::nullopt;
  const std::int32_t v = slots_[static_cast<std::size_t>(slot)];
  if (v == kFree) return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

int PaletteManager::freeSlot(int slot) {
  const Hold lock = hold();
  if (slot < 0 || slot >= kSlots) return kBadSlot;
  slots_[static_cast<std::size_t>(slot)] = kFree;
  return 0;
}

void PaletteManager::freeFrom(int slot) {
  const Hold lock = hold();
  if (slot < 1 || slot >= kSlots) return;
  for (int i = slot; i < kSlots; ++i) slots_[static_cast<std::size_t>(i)] = kFree;
  refresh();
}

void PaletteManager::releaseShadeSlots() {
  const Hold lock = hold();
  freeFrom(shadeMark_);
  shadeMark_ = kSlots;
}

void PaletteManager::refresh() {
  const Hold lock = hold();
  table_.clear();
  for (int i = 0; i < kSlots; ++i) {
    const std::int32_t v = slots_[static_cast<std::size_t>(i)];
    if (v != kFree) table_.push_back(static_cast<std::uint32_t>(v));
  }
  ++refreshCount_;
}

std::int32_t PaletteManager::slotValue(int slot) const {
  const Hold lock = hold();
  return slot >= 0 && slot < kTableSize ? slots_[static_cast<std::size_t>(slot)] : kFree;
}

int PaletteManager::shadeMark() const {
  const Hold lock = hold();
  return shadeMark_;
}

std::vector<std::uint32_t> PaletteManager::table() const {
  const Hold lock = hold();
  return table_;
}

std::uint64_t PaletteManager::refreshCount() const {
  const Hold lock = hold();
  return refreshCount_;
}

int PaletteManager::usedCount() const {
  const Hold lock = hold();
  return static_cast<int>(std::count_if(slots_.begin(), slots_.begin() + kSlots,
                                        [](std::int32_t v) { return v != kFree; }));
}

}  // namespace lh
