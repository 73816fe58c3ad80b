#pragma once
// The texts printed on catalog pages.
#include <ctime>
#include <string>
#include <string_view>

#include "catalog/file_item.h"

namespace lh::print {

// "Printed Thu Dec 10 22:17:42 2026": the local time in the fixed 24-character form, in
// English whatever the locale.
std::string printedLine(std::time_t when);
// "Page: 3"
std::string pageLine(int page);
// "1234 stitches : 5 colors": records less the colour changes, and the colours.
std::string countsLine(int records, int colors);

// Lower-case roman numerals "i" to "xlix" for 1 to 49, "L" for 50; "" outside 1 to 50.
std::string contentsNumeral(int k);
// The foot line of table-of-contents page k: "Page (iv)", or "Page " past page 50.
std::string contentsFootLine(int k);
// "1    ... /home/me/designs/": the page left-aligned in four places, then the location.
std::string contentsLine(int page, std::string_view location);

inline constexpr std::string_view kContentsCaption = "Table of Contents";
inline constexpr std::string_view kContentsHeader =
    "Page ... Location ..............................................................";

// The name a page prints for an item: the part after its last '/'.
std::string printedName(const FileItem& item);
// Where a cell says the item lies: the category's own name when it was listed from the
// catalog, else its folder, else its archive.
std::string cellLocation(const FileItem& item, std::string_view categoryName);
// The location a table-of-contents line gives the group of an item listed from a folder:
// the folder of a plain file; for a member, its archive, or "Zip:" archive ":" folder when
// it lies in a folder of the archive.
std::string folderLocation(const FileItem& item);

}  // namespace lh::print
