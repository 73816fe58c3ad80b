#pragma once
// Names for new folders: the proposed name, else the name numbered "(2)" up to "(239)".
#include <optional>
#include <string>
#include <string_view>

#include "browser/core/file_list_texts.h"

namespace lh {

// The highest number a new folder's name is given.
inline constexpr int kMaxFolderNumber = 239;

// The first name of `name`, "name(2)" ... "name(239)" that nothing in `parent` has; empty
// when all are taken.
std::string newFolderName(std::string_view parent, std::string_view name = texts::kNewFolder);

// Creates the folder under the first free name; returns its path, nothing when every name is
// taken or creating failed.
std::optional<std::string> createNewFolder(std::string_view parent,
                                           std::string_view name = texts::kNewFolder);

}  // namespace lh
