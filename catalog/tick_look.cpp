#include "catalog/tick_look.h"

#include <algorithm>

namespace lh {

TickLook tickLook(bool ticked, std::span<const TickLook> children) {
  const bool allFull =
      std::all_of(children.begin(), children.end(), [](TickLook l) { return l == TickLook::All; });
  const bool anyTicked =
      std::any_of(children.begin(), children.end(), [](TickLook l) { return l != TickLook::Clear; });
  if (allFull && (ticked || !children.empty())) return ticked ? TickLook::All : TickLook::BelowOnly;
  if (!anyTicked) return ticked ? TickLook::Alone : TickLook::Clear;
  return ticked ? TickLook::TickedSome : TickLook::UntickedSome;
}

}  // namespace lh
