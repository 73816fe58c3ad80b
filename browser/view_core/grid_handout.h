#pragma once
// What the grid gives away: the files a drag out of the grid hands to other programs (archive
// members extracted first), the selection a press makes before the drag, and the hint shown
// over a catalogued design that lies on a named removable disk or CD.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "browser/core/file_list.h"
#include "browser/view_core/extracted_files.h"
#include "catalog/file_item.h"
#include "files/drives.h"

namespace lh {

// A press on the item at `index` that may start a drag: the item is selected first, by the
// rule of a click with `ctrl` / `shift`, when nothing is selected or the item is not. True
// when the press changed the selection (the release then is not a click of its own).
bool selectForPress(FileList& list, std::size_t index, bool ctrl, bool shift);

// One file a drag hands out, in list order: a plain file as it is, or an archive member that
// is extracted first.
struct HandOutFile {
  std::string location;  // the plain path, or the "Zip:" member path
  bool extract = false;
  friend bool operator==(const HandOutFile&, const HandOutFile&) = default;
};
std::vector<HandOutFile> handOutPlan(const std::vector<FileItem>& selected);

// The plain files for the plan: members extracted into `folder` (listed in `extracted`),
// plain files as they are. Files that are not there (a catalogued design on a medium that is
// not inserted, a member that cannot be read) are left out.
std::vector<std::string> handOutFiles(const std::vector<HandOutFile>& plan, const std::string& folder,
                                      ExtractedFiles& extracted);

// The hint over a catalogued design with a disk name: its location followed by
// " can be found on CD-ROM '" when its drive is an optical one now, else " can be found on
// disk '" (a medium that is not inserted leaves its path on no drive of its own), the name
// and "'.". Empty for an item without a disk name.
std::string diskHint(const FileItem& item, std::optional<DriveKind> driveNow);

}  // namespace lh
