#pragma once
// The thumbnail grid's context menu: which commands it offers, in which order, for the cell
// the right click fell on.
#include <cstddef>
#include <string_view>
#include <vector>

namespace lh {

enum class GridCommand {
  ConvertOnTheFly,       // "Convert to On-The-Fly Setting"
  FindFile,              // "Find File..."
  SelectAll,             // "Select All"
  CopyTo,                // "Copy to..."
  SendToRemovable,       // the copy to the first mounted removable medium
  DeleteCatalogEntries,  // "Delete Catalog Entries..."
  RenameFile,            // "Rename File..."
};

// What the menu depends on. `onCell` is false for a click beside every shown cell.
struct GridMenuClick {
  bool onCell = false;
  bool readNormally = false;  // the cell's design was read
  bool missing = false;       // the cell's file is not there
  std::size_t selected = 0;   // selected items, after the click selected its cell
};

// The base menu ("Select All", "Copy to...", the send command, "Delete Catalog Entries...");
// on a cell, "Convert to On-The-Fly Setting" (a design that was read) or "Find File..." (a
// missing file) goes first, then "Rename File..." goes in at position 4 when fewer than two
// items are selected and the file is there.
std::vector<GridCommand> gridMenu(const GridMenuClick& click);

}  // namespace lh
