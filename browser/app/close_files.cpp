#include "browser/app/close_files.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <utility>

#include "zip/zip_archive.h"

namespace lh {
namespace {

void addOnce(std::vector<std::string>& list, std::string location) {
  if (std::find(list.begin(), list.end(), location) == list.end()) list.push_back(std::move(location));
}

}  // namespace

void CloseFiles::addTemporary(std::string location) { addOnce(temporary_, std::move(location)); }

std::vector<std::string> CloseFiles::deleteTemporary() {
  return deleteLocations(std::exchange(temporary_, {}));
}

std::vector<std::string> deleteLocations(const std::vector<std::string>& locations) {
  std::vector<std::string> failed;
  std::map<std::string, std::vector<std::string>> members;  // by archive
  for (const std::string& location : locations) {
    if (const std::optional<ZipPath> zip = splitZipPath(location)) {
      members[zip->archive].push_back(zip->member);
      continue;
    }
    std::error_code error;
    if (!std::filesystem::remove(location, error)) failed.push_back(location);
  }
  for (const auto& [archive, names] : members) {
    if (ZipArchive::deleteMembers(archive, names)) continue;
    // One missing member must not keep the others: try them one by one.
    for (const std::string& name : names) {
      if (!ZipArchive::deleteMember(archive, name)) failed.push_back(makeZipPath(archive, name));
    }
  }
  return failed;
}

}  // namespace lh
