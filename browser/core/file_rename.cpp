#include "browser/core/file_rename.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "browser/core/file_list_texts.h"
#include "design/emb_design.h"
#include "files/save_file.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

constexpr int kIntermediateTries = 100;

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool badName(std::string_view name) {
  return name == "." || name == ".." || std::any_of(name.begin(), name.end(), [](char c) {
           return c == '/' || static_cast<unsigned char>(c) < 0x20;
         });
}

// `name` with its extension made `ext` ("" drops it).
std::string withExtension(const std::string& name, std::string_view ext) {
  if (!ext.empty()) {
    FileItem item;
    item.name = name;
    return item.nameWithExtension(ext);
  }
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// Renames `from` to `to` unless `to` exists. Errno tells why not.
bool moveWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  switch (nameWithoutReplacing(from, to)) {
    case NameResult::Linked:
      ::unlink(from.c_str());
      return true;
    case NameResult::Moved:
      return true;
    case NameResult::Taken:
      errno = EEXIST;
      return false;
    case NameResult::Failed:
      return false;
  }
  return false;
}

std::string intermediateName(const std::string& newName, int n) {
  return ".lh-rename-" + std::to_string(n) + "-" + newName;
}

std::string failureText(const FileItem& item, const std::string& newName, int err) {
  if (err == EEXIST) {
    FileItem taken = item;
    taken.name = newName;
    return texts::pathText(texts::kRenameTaken, taken.location());
  }
  return texts::pathText(texts::kRenameFailed, item.location()) + std::string(texts::errnoText(err));
}

// A case-only rename through a free intermediate name, put back when the last step fails.
bool moveThroughIntermediate(const std::string& from, const std::string& folder, const std::string& newName) {
  for (int n = 0; n < kIntermediateTries; ++n) {
    const std::string mid = folder + intermediateName(newName, n);
    if (!moveWithoutReplacing(from, mid)) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (moveWithoutReplacing(mid, folder + newName)) return true;
    const int err = errno;
    moveWithoutReplacing(mid, from);
    errno = err;
    return false;
  }
  errno = EEXIST;
  return false;
}

std::string renamePlain(const FileItem& item, const std::string& newName, bool caseOnly) {
  const bool done = caseOnly ? moveThroughIntermediate(item.path(), item.folder, newName)
                             : moveWithoutReplacing(item.path(), item.folder + newName);
  return done ? std::string() : failureText(item, newName, errno);
}

// Read, store under the new name, delete the old member; member names compare without case,
// so a case-only change stores under an intermediate name first.
std::string renameMember(const FileItem& item, const std::string& newName, bool caseOnly) {
  const std::string& archive = item.archive;
  const std::string oldPath = item.path();
  const std::string newPath = item.folder + newName;
  const std::vector<std::uint8_t> bytes = ZipArchive::readMember(archive, oldPath);
  if (bytes.empty())
    return failureText(item, newName, ZipArchive::memberExists(archive, oldPath) ? EACCES : ENOENT);
  const auto failed = [&] {
    return failureText(item, newName,
                       ZipArchive::memberExists(archive, newPath) && !caseOnly ? EEXIST : EACCES);
  };
  if (!caseOnly) {
    if (!ZipArchive::writeMember(archive, newPath, bytes)) return failed();
    if (ZipArchive::deleteMember(archive, oldPath)) return {};
    ZipArchive::deleteMember(archive, newPath);
    return failed();
  }
  std::string mid;
  if (!ZipArchive::writeMember(archive, item.folder + intermediateName(newName, 0), bytes, ZipUniqueName,
                               &mid))
    return failed();
  if (!ZipArchive::deleteMember(archive, oldPath)) {
    ZipArchive::deleteMember(archive, mid);
    return failed();
  }
  const bool stored = ZipArchive::writeMember(archive, newPath, bytes);
  if (!stored) ZipArchive::writeMember(archive, oldPath, bytes);
  ZipArchive::deleteMember(archive, mid);
  return stored ? std::string() : failed();
}

}  // namespace

NewName decideNewName(std::string_view oldName, std::string_view typed, const TypeChangeQuestion& ask) {
  using V = NewName::Verdict;
  std::string name(trimmed(typed));
  if (name.empty()) return {V::Empty, {}};
  if (badName(name)) return {V::Bad, {}};
  const std::string_view oldExt = extensionOf(oldName);
  if (name.find('.') == std::string::npos && !oldExt.empty()) name = withExtension(name, oldExt);
  if (!sameExtension(extensionOf(name), oldExt)) {
    switch (ask ? ask() : TypeChangeAnswer::Cancel) {
      case TypeChangeAnswer::Yes:
        break;
      case TypeChangeAnswer::No:
        name = withExtension(name, oldExt);
        break;
      case TypeChangeAnswer::Cancel:
        return {V::Stop, {}};
    }
  }
  if (name == oldName) return {V::Same, name};
  return {V::Use, name};
}

std::string renameFile(const FileItem& item, const std::string& newName) {
  const bool caseOnly = foldedMemberName(item.name) == foldedMemberName(newName);
  return item.isArchiveMember() ? renameMember(item, newName, caseOnly)
                                : renamePlain(item, newName, caseOnly);
}

RenameResult renameSelected(FileList& list, std::string_view typed, const TypeChangeQuestion& ask,
                            const RenamedFunction& renamed) {
  const auto index = list.firstSelected();
  if (!index) return {RenameStatus::NoSelection, {}, {}};
  FileItem& item = list[*index];
  const NewName next = decideNewName(item.name, typed, ask);
  switch (next.verdict) {
    case NewName::Verdict::Empty:
      return {RenameStatus::Refused, std::string(texts::kNoName), texts::kNoNameCaption};
    case NewName::Verdict::Bad:
      return {RenameStatus::Refused, std::string(texts::kBadName), texts::kBadNameCaption};
    case NewName::Verdict::Same:
    case NewName::Verdict::Stop:
      return {RenameStatus::Unchanged, {}, {}};
    case NewName::Verdict::Use:
      break;
  }
  std::string error = renameFile(item, next.name);
  if (!error.empty()) return {RenameStatus::Failed, std::move(error), texts::kRenameFailedCaption};
  const FileItem before = item;
  item.name = next.name;
  if (renamed) renamed(before, item);
  return {RenameStatus::Renamed, {}, {}};
}

}  // namespace lh
