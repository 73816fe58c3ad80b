#pragma once
// What `loomhall PATH` opens with: the folder to list and, for a design, the item to select.
#include <string>
#include <string_view>

namespace lh {

struct StartTarget {
  std::string folder;  // the folder to tick; empty when the path names nothing usable
  std::string select;  // the location (FileItem::location) of the item to select, if any
  std::string archive; // for an archive: its path (its first member gets selected)
};

// A folder lists itself; an archive or a design lists the folder holding it, a design is
// selected. Relative paths are taken from the current folder; a missing path gives nothing.
StartTarget startTarget(std::string_view path);

}  // namespace lh
