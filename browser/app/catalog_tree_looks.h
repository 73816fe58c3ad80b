#pragma once
// The pictures of the six tick looks, 13 pixels square, shared by the catalog and folder trees.
#include <QIcon>

#include "catalog/tick_look.h"

namespace lh {

inline constexpr int kTickBoxSize = 13;

// The picture of `look`: an empty box, a tick, or a tick or dot that tells how the
// sub-categories stand.
const QIcon& tickIcon(TickLook look);

}  // namespace lh
