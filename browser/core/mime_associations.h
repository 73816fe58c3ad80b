#pragma once
// Which program opens a MIME type, after the freedesktop association files (mimeapps.list):
// reading the default application in their lookup order, listing the installed programs that
// declare the type, and making one of them the user's default. Only the user's own
// configuration folder is ever written; the system's files are read only.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/core/desktop_entries.h"

namespace lh {

// The association files in lookup order: the user's, the system's configuration, the
// user's data (old place), the system's data; each desktop-specific file before the plain one.
std::vector<std::string> mimeappsLists(const XdgPlaces& places);

// The default application of `mimeType`: the first id listed under [Default Applications] in
// the first file that lists one whose entry is installed and takes the type (its MimeType=
// or [Added Associations] in that file or one before it). Nothing when no file names one.
std::optional<DesktopApp> defaultApplication(const XdgPlaces& places, std::string_view mimeType,
                                             const HasProgram& hasProgram = programOnPath);

// The installed programs whose entries declare `mimeType`, by name (then id).
std::vector<DesktopApp> applicationsFor(const XdgPlaces& places, std::string_view mimeType,
                                        const HasProgram& hasProgram = programOnPath);

// `text` (a mimeapps.list) with "mimeType=id;" in [Default Applications]: an existing line for
// the type is rewritten in place, else the line is added at the end of the group, else the
// group is added at the end. Every other line stays byte for byte.
std::string withDefaultApplication(std::string_view text, std::string_view mimeType, std::string_view id);

enum class SetDefault {
  Written,    // the user's mimeapps.list now names `id`
  Unchanged,  // `id` was the default already: nothing was written
  Failed,
};
struct SetDefaultResult {
  SetDefault result = SetDefault::Failed;
  std::string error;  // the file and the system's reason when Failed
};

// Makes `id` the default of `mimeType` in $XDG_CONFIG_HOME/mimeapps.list, and in the user's
// desktop-specific files there that name a default of their own for the type (they come
// first in the lookup). The files are replaced atomically and keep their mode; a file that is
// a symbolic link is rewritten where it points.
SetDefaultResult setDefaultApplication(const XdgPlaces& places, std::string_view mimeType,
                                       std::string_view id, const HasProgram& hasProgram = programOnPath);

}  // namespace lh
