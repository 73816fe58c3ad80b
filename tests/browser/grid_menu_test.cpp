#include "browser/core/grid_menu.h"

#include <gtest/gtest.h>

namespace lh {
namespace {

using C = GridCommand;

TEST(GridMenu, InsertionsFollowTheCellUnderTheClick) {
  struct Case {
    GridMenuClick click;
    std::vector<GridCommand> menu;
  };
  const std::vector<Case> cases = {
      // beside the cells: the base menu alone, whatever else holds
      {{false, true, false, 1}, {C::SelectAll, C::CopyTo, C::SendToRemovable, C::DeleteCatalogEntries}},
      // a design that was read, one selected: convert first, rename before the last base item
      {{true, true, false, 1},
       {C::ConvertOnTheFly, C::SelectAll, C::CopyTo, C::SendToRemovable, C::RenameFile,
        C::DeleteCatalogEntries}},
      // two selected: no rename
      {{true, true, false, 2},
       {C::ConvertOnTheFly, C::SelectAll, C::CopyTo, C::SendToRemovable, C::DeleteCatalogEntries}},
      // a missing file: find first, never rename
      {{true, false, true, 1},
       {C::FindFile, C::SelectAll, C::CopyTo, C::SendToRemovable, C::DeleteCatalogEntries}},
      // a file there but not read (unreadable, or not loaded yet): rename goes at the end
      {{true, false, false, 1},
       {C::SelectAll, C::CopyTo, C::SendToRemovable, C::DeleteCatalogEntries, C::RenameFile}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(gridMenu(cases[i].click), cases[i].menu) << "case " << i;
}

}  // namespace
}  // namespace lh
