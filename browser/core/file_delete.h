#pragma once
// Deleting the selected files: archive members out of their archives, plain files to the
// trash (the program supplies the trash; tests supply a fake).
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "browser/core/file_list.h"

namespace lh {

// Moves a plain file to the trash; true when it went.
using TrashFunction = std::function<bool(const std::string& path)>;
// Told the text form of every item that left the list, so that the catalog can drop it.
using RemovedFunction = std::function<void(const std::string& itemText)>;

struct DeleteResult {
  std::size_t deleted = 0;
  // Locations of the selected files that could not be deleted; their items stay listed and
  // selected, and the catalog keeps them.
  std::vector<std::string> failed;
};

// Deletes every selected item's file: the members of one archive in one rewrite of it, plain
// files one by one through `trash`. Each deleted item leaves the list and `removed` hears of
// it. Ask the user first (texts::deleteQuestion) when selectionCount() is not 0.
DeleteResult deleteSelected(FileList& list, const TrashFunction& trash, const RemovedFunction& removed);

// The message listing the files that could not be deleted; empty when all went.
std::string deleteFailedText(const DeleteResult& result);

}  // namespace lh
