#pragma once
// The six looks of a category's check box: whether the category itself is ticked, and how its
// direct sub-categories stand. The numbers are the looks' places in the strip of pictures.
#include <span>

namespace lh {

enum class TickLook : int {
  Clear = 1,         // not ticked; no sub-category ticked, or none
  Alone = 2,         // ticked; no sub-category ticked
  TickedSome = 3,    // ticked; some sub-categories ticked, not all with look All
  BelowOnly = 4,     // not ticked; every sub-category with look All
  All = 5,           // ticked; every sub-category with look All, or none
  UntickedSome = 6,  // not ticked; some sub-categories ticked, not all with look All
};

// Looks Alone, TickedSome and All: the category itself is ticked.
inline bool isTicked(TickLook look) {
  return look == TickLook::Alone || look == TickLook::TickedSome || look == TickLook::All;
}

// The look of a category from its own tick and the looks of its direct sub-categories. A
// sub-category counts as ticked when its look is anything but Clear.
TickLook tickLook(bool ticked, std::span<const TickLook> children);

}  // namespace lh
