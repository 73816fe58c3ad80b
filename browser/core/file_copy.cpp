#include "browser/core/file_copy.h"

#include <sys/stat.h>

#include <cerrno>

#include "browser/core/file_list_texts.h"
#include "browser/core/folder_listing.h"
#include "files/regular_file.h"
#include "files/save_file.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

CopyResult failure(const FileItem& item, int cause) {
  std::string text = texts::pathText(texts::kCopyFailed, item.location());
  text += texts::fileErrorText(cause);
  return {CopyStatus::Failed, {}, std::move(text)};
}

// Why the source cannot be read, as a file error cause.
int unreadableCause(const FileItem& item) {
  if (item.isArchiveMember()) return ZipArchive::memberExists(item.archive, item.path()) ? 5 : 2;
  return checkRegularFile(item.path()) == OpenCheck::Missing ? 2 : 5;
}

// Whether the source is there to copy, looked at before the user is asked anything.
bool readable(const FileItem& item) {
  if (item.isArchiveMember()) return ZipArchive::membersNamed(item.archive, item.path()) == 1;
  return checkRegularFile(item.path()) == OpenCheck::Regular;
}

// Fills `to` with the item's bytes; errno tells why when that fails.
bool fill(const FileItem& item, StagedFile& to) {
  if (!item.isArchiveMember()) return appendFile(item.path(), to);
  const std::vector<std::uint8_t> bytes = ZipArchive::readMember(item.archive, item.path());
  return !bytes.empty() && to.write(bytes);
}

// Gives the staged copy its name: exactly `target` when there was no clash, otherwise as
// answered. Returns the path used.
std::optional<std::string> publishCopy(StagedFile& staged, const std::string& target,
                                       std::optional<ClashAnswer> answer) {
  if (!answer) return staged.publishExactly(target) ? std::optional(target) : std::nullopt;
  if (*answer == ClashAnswer::Replace) return staged.replace(target) ? std::optional(target) : std::nullopt;
  return staged.publish(target);
}

}  // namespace

CopyResult copyItem(const FileItem& item, std::string_view folder, const ClashQuestion& ask) {
  const std::optional<std::string> name = ZipArchive::safeFileName(item.path());
  if (!name || folder.empty()) return failure(item, 3);
  const std::string target = withTrailingSlash(folder) + *name;
  if (!readable(item)) return failure(item, unreadableCause(item));

  std::optional<ClashAnswer> answer;
  if (exists(target)) {
    answer = ask ? ask(item, target) : ClashAnswer::Skip;
    if (*answer == ClashAnswer::Skip) return {CopyStatus::Skipped, {}, {}};
    if (*answer == ClashAnswer::Cancel) return {CopyStatus::Cancelled, {}, {}};
  }
  std::optional<StagedFile> staged = StagedFile::create(target);
  if (!staged) return failure(item, texts::fileErrorCause(errno));
  errno = 0;
  if (!fill(item, *staged)) {
    const int err = errno;
    return failure(item, err != 0 ? texts::fileErrorCause(err) : unreadableCause(item));
  }
  const std::optional<std::string> written = publishCopy(*staged, target, answer);
  // A name taken between the look and the publish is refused, never replaced.
  if (!written) return failure(item, texts::fileErrorCause(errno == 0 ? EEXIST : errno));
  return {CopyStatus::Copied, *written, {}};
}

CopyRun copyItems(std::span<const FileItem> items, std::string_view folder, const ClashQuestion& ask) {
  CopyRun run;
  for (const FileItem& item : items) {
    CopyResult r = copyItem(item, folder, ask);
    if (r.status == CopyStatus::Copied) {
      ++run.copied;
      run.targets.push_back(std::move(r.target));
    } else if (r.status != CopyStatus::Skipped) {
      run.stop = std::move(r);
      break;
    }
  }
  return run;
}

std::optional<std::string> removableMediumFolder(const DriveService& drives) {
  for (const DriveInfo& d : drives.drives())
    if (d.kind == DriveKind::Removable && d.ready) return d.root;
  return std::nullopt;
}

}  // namespace lh
