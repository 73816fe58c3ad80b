#include "browser/core/folder_checks.h"

#include <filesystem>
#include <system_error>

#include "files/paths.h"

namespace lh {

namespace fs = std::filesystem;

namespace {

FolderCheck verdict(FolderVerdict v, std::string path, std::string_view text) {
  std::string message = path;
  message += text;
  return {v, std::move(path), std::move(message)};
}

// The nearest folder above `path` (or `path` itself) that exists; it is the one that decides
// on which drive a new folder would be made.
fs::path nearestExisting(fs::path path) {
  std::error_code ec;
  while (!fs::exists(path, ec) && path.has_relative_path()) path = path.parent_path();
  return path;
}

}  // namespace

bool isLargeDrive(std::string_view folder, const DriveService& drives) {
  const std::string root = withoutTrailingSlash(folder);
  if (root == "/") return true;
  if (root.empty()) return false;
  for (const DriveInfo& d : drives.drives())
    if (d.root == root) return !carriesDiskName(d.kind);
  return false;
}

FolderCheck checkTypedFolder(std::string_view typed) {
  std::string path(withoutTrailingSlash(typed));
  if (path.empty() || path.front() != '/')
    return verdict(FolderVerdict::Refused, path, folder_text::kNotValid);
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) return {FolderVerdict::Ok, path, {}};
  if (fs::exists(status)) return verdict(FolderVerdict::Refused, path, folder_text::kNotADirectory);
  // A path that cannot be looked at, or that runs through a file ("notes.txt/designs"), names
  // no folder that could be made.
  if (status.type() != fs::file_type::not_found || !fs::is_directory(nearestExisting(path), ec))
    return verdict(FolderVerdict::Refused, path, folder_text::kNotValid);
  return verdict(FolderVerdict::AskToCreate, path, folder_text::kAskToCreate);
}

std::string createFolder(std::string_view folder, const DriveService& drives) {
  std::error_code ec;
  fs::create_directories(fs::path(folder), ec);
  if (!ec) return {};
  const fs::path parent = fs::weakly_canonical(nearestExisting(fs::path(folder)), ec);
  const auto drive = driveOf(drives, parent.string());
  switch (drive ? drive->kind : DriveKind::Fixed) {
    case DriveKind::Removable:
      return std::string(folder_text::kCannotCreateRemovable);
    case DriveKind::Network:
      return std::string(folder_text::kCannotCreateNetwork);
    case DriveKind::Optical:
      return std::string(folder_text::kCannotCreateOptical);
    case DriveKind::Fixed:
      break;
  }
  return std::string(folder_text::kCannotCreate);
}

}  // namespace lh
