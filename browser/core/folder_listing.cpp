#include "browser/core/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "files/paths.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

bool holdsControl(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// Whether a name's extension is one of the viewed types.
class TypeFilter {
 public:
  explicit TypeFilter(std::span<const std::string> types) : types_(types) {}
  bool wants(std::string_view name) const {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view ext = name.substr(dot + 1);
    return std::any_of(types_.begin(), types_.end(),
                       [&](const std::string& t) { return sameExtension(t, ext); });
  }

 private:
  std::span<const std::string> types_;
};

// What a directory entry is, asking the file system only when the entry does not say
// (symbolic links are followed: a link to a file lists as the file).
enum class EntryKind { File, Other };

EntryKind kindOf(int dirFd, const dirent& e) {
  if (e.d_type == DT_REG) return EntryKind::File;
  if (e.d_type != DT_LNK && e.d_type != DT_UNKNOWN) return EntryKind::Other;
  struct stat st {};
  if (::fstatat(dirFd, e.d_name, &st, 0) != 0) return EntryKind::Other;
  return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

void addMembers(const std::string& archive, const TypeFilter& filter, std::vector<FileItem>& out) {
  for (const std::string& member : ZipArchive::listMembers(archive)) {
    if (member.empty() || member.back() == '/' || holdsControl(member) || !filter.wants(member)) continue;
    FileItem item;
    item.archive = archive;
    const auto slash = member.rfind('/');
    if (slash == std::string::npos) {
      item.name = member;
    } else {
      item.folder = member.substr(0, slash + 1);
      item.name = member.substr(slash + 1);
    }
    out.push_back(std::move(item));
  }
}

}  // namespace

std::vector<FileItem> listFolder(std::string_view folderPath, std::span<const std::string> viewedTypes) {
  std::vector<FileItem> out;
  if (folderPath.empty()) return out;
  const std::string folder = withTrailingSlash(folderPath);
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return out;
  const TypeFilter filter(viewedTypes);
  const int fd = ::dirfd(dir.get());
  while (const dirent* e = ::readdir(dir.get())) {
    const std::string_view name = e->d_name;
    if (name.front() == '.' || holdsControl(name)) continue;
    const bool zip = endsWithZip(name);
    if (!zip && !filter.wants(name)) continue;
    if (kindOf(fd, *e) != EntryKind::File) continue;
    if (zip) {
      addMembers(folder + std::string(name), filter, out);
    } else {
      FileItem& item = out.emplace_back();
      item.folder = folder;
      item.name = name;
    }
  }
  sortByName(out);
  return out;
}

void sortByName(std::vector<FileItem>& items) {
  std::vector<std::pair<std::string, std::size_t>> keys;
  keys.reserve(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) keys.emplace_back(foldedMemberName(items[i].name), i);
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<FileItem> sorted;
  sorted.reserve(items.size());
  for (const auto& k : keys) sorted.push_back(std::move(items[k.second]));
  items = std::move(sorted);
}

}  // namespace lh
