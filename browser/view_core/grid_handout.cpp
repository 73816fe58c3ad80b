#include "browser/view_core/grid_handout.h"

#include <filesystem>
#include <system_error>

namespace lh {

bool selectForPress(FileList& list, std::size_t index, bool ctrl, bool shift) {
  if (index >= list.size()) return false;
  if (list.selectionCount() != 0 && list[index].isSelected) return false;
  if (shift) {
    list.shiftClick(index);
  } else if (ctrl) {
    list.ctrlClick(index);
  } else {
    list.click(index);
  }
  return true;
}

std::vector<HandOutFile> handOutPlan(const std::vector<FileItem>& selected) {
  std::vector<HandOutFile> plan;
  plan.reserve(selected.size());
  for (const FileItem& item : selected) plan.push_back({item.location(), item.isArchiveMember()});
  return plan;
}

std::vector<std::string> handOutFiles(const std::vector<HandOutFile>& plan, const std::string& folder,
                                      ExtractedFiles& extracted) {
  std::vector<std::string> files;
  for (const HandOutFile& f : plan) {
    if (f.extract) {
      if (std::optional<std::string> copy = extracted.extract(f.location, folder)) files.push_back(std::move(*copy));
      continue;
    }
    std::error_code ec;
    if (std::filesystem::is_regular_file(f.location, ec)) files.push_back(f.location);
  }
  return files;
}

std::string diskHint(const FileItem& item, std::optional<DriveKind> driveNow) {
  if (item.extra.empty()) return {};
  const char* where = driveNow == DriveKind::Optical ? " can be found on CD-ROM '" : " can be found on disk '";
  return item.location() + where + item.extra + "'.";
}

}  // namespace lh
