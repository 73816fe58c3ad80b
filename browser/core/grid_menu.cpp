#include "browser/core/grid_menu.h"

#include <algorithm>

namespace lh {

namespace {
constexpr std::size_t kRenamePosition = 4;
}  // namespace

std::vector<GridCommand> gridMenu(const GridMenuClick& click) {
  std::vector<GridCommand> menu{GridCommand::SelectAll, GridCommand::CopyTo, GridCommand::SendToRemovable,
                                GridCommand::DeleteCatalogEntries};
  if (!click.onCell) return menu;
  if (click.readNormally) menu.insert(menu.begin(), GridCommand::ConvertOnTheFly);
  if (click.missing) menu.insert(menu.begin(), GridCommand::FindFile);
  if (click.selected < 2 && !click.missing) {
    const std::size_t at = std::min(kRenamePosition, menu.size());
    menu.insert(menu.begin() + static_cast<std::ptrdiff_t>(at), GridCommand::RenameFile);
  }
  return menu;
}

}  // namespace lh
