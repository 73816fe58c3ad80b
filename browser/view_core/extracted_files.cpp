#include "browser/view_core/extracted_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "tools/conversion.h"
#include "zip/zip_archive.h"

namespace lh {

namespace fs = std::filesystem;

std::optional<std::string> ExtractedFiles::extract(const std::string& location, const std::string& folder) {
  const auto zip = splitZipPath(location);
  if (!zip) return std::nullopt;
  if (const auto it = copies_.find(location); it != copies_.end()) {
    std::error_code ec;
    if (fs::is_regular_file(it->second, ec)) return it->second;
    copies_.erase(it);
  }
  const std::vector<std::uint8_t> bytes = ZipArchive::readMember(zip->archive, zip->member);
  if (bytes.empty()) return std::nullopt;
  const std::optional<std::string> saved = saveFileImage(pathInFolder(folder, location), bytes);
  if (!saved) return std::nullopt;
  copies_[location] = *saved;
  add(*saved);
  return saved;
}

void ExtractedFiles::add(const std::string& path) {
  if (std::find(paths_.begin(), paths_.end(), path) == paths_.end()) paths_.push_back(path);
}

std::size_t ExtractedFiles::removeAll() {
  std::size_t removed = 0;
  for (const std::string& path : paths_) {
    std::error_code ec;
    if (fs::remove(path, ec)) ++removed;
  }
  paths_.clear();
  copies_.clear();
  return removed;
}

}  // namespace lh
