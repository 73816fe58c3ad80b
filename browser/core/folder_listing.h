#pragma once
// Reading one folder for the file list: its files of the viewed types and the members of
// those types inside its zip archives.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/file_item.h"

namespace lh {

// "/a/b" -> "/a/b/"; a path that ends in '/' stays.
std::string withTrailingSlash(std::string_view folder);

// The files of `folder` (not of its sub-folders) whose extension is one of `viewedTypes`
// (compared without regard to case), and every member of such a type inside the folder's zip
// archives (extension "zip" in any case) as an archive item; sorted by name without regard to
// case. Folders, special files, hidden (dot) files and names holding control characters (a
// tab or a line break would break the item's text form) are left out. Archives are read
// through their central directory only.
std::vector<FileItem> listFolder(std::string_view folder, std::span<const std::string> viewedTypes);

// Sorts by name without regard to letter case; items of equal names keep their order.
void sortByName(std::vector<FileItem>& items);

}  // namespace lh
