#pragma once
// What a tool run takes from the file list and gives back to it: the selected items it works
// on, and the new files inserted after the items they came from.
#include <cstddef>
#include <string>
#include <vector>

#include "browser/core/file_list.h"
#include "catalog/file_item.h"

namespace lh {

// The items a run works on, in list order, and the paths the tool runner takes for them.
struct RunItems {
  std::vector<FileItem> sources;
  std::vector<std::string> locations;  // location() of each source
};

// Collects the selected items; unless `keepSelection`, their selected and anchor flags are
// cleared (the new designs become the selection instead).
RunItems takeRunItems(FileList& list, bool keepSelection);

// How the new files are listed.
struct PlacedAs {
  bool select = false;         // selected; the first one also becomes the anchor
  bool temporary = false;      // in the temporary folder: marked "tmp "
  bool deleteAtClose = false;  // ... and deleted when the program closes
};

// Inserts each created file right after the item it came from (matched by text form and
// tree node among `sources`; after the files inserted for that item already, so that the
// parts of a split design stay in order), or at the end when that item is no longer listed.
// The new item takes the source's tree node (and its disk name unless it is temporary).
// `origins[i]` is the source location of `created[i]`. Returns the new items' indexes.
std::vector<std::size_t> placeCreated(FileList& list, const std::vector<FileItem>& sources,
                                      const std::vector<std::string>& created,
                                      const std::vector<std::string>& origins, const PlacedAs& as);

}  // namespace lh
