#include "zip/zip_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "files/save_file.h"
#include "zip/zip_directory.h"

namespace lh {

namespace {

constexpr std::string_view kZipPrefix = "Zip:";
constexpr int kDeflateLevel = 6;
// An empty archive: the end-of-central-directory record alone.
constexpr std::uint8_t kEmptyArchive[22] = {'P', 'K', 5, 6};

struct ZipCloser {
  void operator()(zip_t* za) const { zip_discard(za); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

// Every name the library holds at the moment, indexed; deleted members give none.
std::vector<std::string> namesOf(zip_t* za) {
  std::vector<std::string> out;
  const zip_int64_t n = zip_get_num_entries(za, 0);
  for (zip_int64_t i = 0; i < n; ++i) {
    const char* name = zip_get_name(za, static_cast<zip_uint64_t>(i), 0);
    out.emplace_back(name != nullptr ? name : "");
  }
  return out;
}

// The names of an archive opened for changing, as entries to look names up in.
std::vector<zipdir::Entry> entriesOf(zip_t* za) {
  std::vector<zipdir::Entry> entries;
  for (std::string& name : namesOf(za)) entries.push_back(zipdir::Entry{.name = std::move(name)});
  return entries;
}

// The members `member` designates in an archive opened for changing.
zipdir::Lookup lookupIn(zip_t* za, std::string_view member) {
  return zipdir::findEntry(entriesOf(za), member);
}

std::optional<std::vector<zipdir::Entry>> directoryOf(const std::string& path) {
  const zipdir::FileSource src(path);
  if (!src.isOpen()) return std::nullopt;
  return zipdir::readDirectory(src);
}

std::vector<std::uint8_t> readFrom(const zipdir::Source& src, std::string_view member) {
  const auto entries = zipdir::readDirectory(src);
  if (!entries) return {};
  const zipdir::Lookup found = zipdir::findEntry(*entries, member);
  if (found.matches != 1) return {};
  return zipdir::readEntry(src, (*entries)[found.index], ZipArchive::kMaxMemberSize);
}

std::vector<std::string> namesIn(const std::optional<std::vector<zipdir::Entry>>& entries) {
  std::vector<std::string> out;
  if (!entries) return out;
  out.reserve(entries->size());
  for (const zipdir::Entry& e : *entries) out.push_back(e.name);
  return out;
}

// Members left after the changes so far (deleted ones stay counted by the library until close).
zip_int64_t liveMembers(zip_t* za) {
  zip_int64_t live = 0;
  const zip_int64_t n = zip_get_num_entries(za, 0);
  for (zip_int64_t i = 0; i < n; ++i)
    if (zip_get_name(za, static_cast<zip_uint64_t>(i), 0) != nullptr) ++live;
  return live;
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// "x.zip" -> "x.bak": the first name the old archive keeps while the new one takes its place.
std::string backupName(const std::string& archive) {
  const auto slash = archive.find_last_of('/');
  const auto dot = archive.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? archive.substr(0, dot) : archive) + ".bak";
}

// Puts the finished new archive in place of the old one. The old archive is first kept under
// a free ".bak" name (a ".bak" file of the user's is never replaced), and that name goes once
// the new archive stands; if the swap fails the old archive is where it was.
bool swapIn(StagedFile& next, const std::string& archive, bool hadArchive) {
  if (!hadArchive) return next.publishExactly(archive);
  const Naming bak = nameFirstFree(archive, backupName(archive));
  if (bak.result == NameResult::Linked) {
    // The archive path always names a complete archive: first the old, then the new one.
    const bool swapped = next.replace(archive);
    ::unlink(bak.name.c_str());
    return swapped;
  }
  if (bak.result != NameResult::Moved) return false;
  // Without hard links the archive path is empty for a moment.
  if (next.publishExactly(archive)) {
    ::unlink(bak.name.c_str());
    return true;
  }
  if (nameWithoutReplacing(bak.name, archive) == NameResult::Linked) ::unlink(bak.name.c_str());
  return false;
}

enum class Changed { Failed, Written, Emptied };

// Opens the archive file `file` (an empty file when `existing` is false), applies `change`
// and writes the result. An archive left without members is not written: the library would
// delete the file.
template <typename Change>
Changed applyChange(const std::string& file, bool existing, Change& change) {
  int err = 0;
  ZipHandle za(zip_open(file.c_str(), existing ? 0 : (ZIP_CREATE | ZIP_TRUNCATE), &err));
  if (!za || !change(za.get())) return Changed::Failed;
  if (liveMembers(za.get()) == 0) return Changed::Emptied;
  if (zip_close(za.get()) != 0) return Changed::Failed;
  za.release();
  return Changed::Written;
}

// Through a symbolic link the archive it names is rewritten, not the link.
std::string resolved(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string out(real);
  std::free(real);
  return out;
}

// Whether the user may change the archive: it has a write permission bit (a file without
// any counts as read-only even for root, who passes every permission check), the user may
// write it, and its owner can be kept (ours, or we may give files away).
bool mayChange(const std::string& path, const struct stat& st) {
  if ((st.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return false;
  return st.st_uid == ::geteuid() || ::geteuid() == 0;
}

// Gives the new archive the old one's owner, group and mode. Only the group of an archive
// of our own may stay ours (we are not in its group).
bool keepOwnerAndMode(const std::string& file, const struct stat& old) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  struct stat now {};
  bool ok = ::fstat(fd, &now) == 0;
  if (ok && (now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
    ok = errno == EPERM && old.st_uid == ::geteuid();
  ok = ok && ::fchmod(fd, old.st_mode & 07777) == 0;
  ::close(fd);
  return ok;
}

// Applies `change` to a copy of the archive (or to a new, empty one) and swaps the result in.
template <typename Change>
bool rewrite(const std::string& path, Change change) {
  struct stat st {};
  const bool had = ::stat(path.c_str(), &st) == 0;
  if (had && !S_ISREG(st.st_mode)) return false;
  const std::string archive = had ? resolved(path) : path;
  if (had && !mayChange(archive, st)) return false;
  const std::optional<mode_t> mode = had ? std::optional<mode_t>(st.st_mode & 07777) : std::nullopt;
  std::optional<StagedFile> next = StagedFile::create(archive, mode);
  if (!next || (had && !appendFile(archive, *next)) || !next->close()) return false;
  switch (applyChange(next->path(), had, change)) {
    case Changed::Failed:
      return false;
    case Changed::Emptied:
      next = StagedFile::create(archive, mode);
      if (!next || !next->write(kEmptyArchive)) return false;
      break;
    case Changed::Written:
      break;
  }
  if (had && !keepOwnerAndMode(next->path(), st)) return false;
  return swapIn(*next, archive, had);
}

bool addMember(zip_t* za, const std::string& name, std::span<const std::uint8_t> bytes) {
  zip_source_t* src = zip_source_buffer(za, bytes.data(), bytes.size(), 0);
  if (src == nullptr) return false;
  const zip_int64_t idx = zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_UTF_8);
  if (idx < 0) {
    zip_source_free(src);
    return false;
  }
  const auto i = static_cast<zip_uint64_t>(idx);
  return zip_set_file_compression(za, i, ZIP_CM_DEFLATE, kDeflateLevel) == 0 &&
         zip_file_set_mtime(za, i, std::time(nullptr), 0) == 0;
}

}  // namespace

std::string foldedMemberName(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

TakenMemberNames::TakenMemberNames(const std::vector<std::string>& names) {
  for (const std::string& n : names)
    if (!n.empty()) take(n);
}

std::string TakenMemberNames::takeFirstFree(const std::string& wanted) {
  std::string& last = last_[wanted];
  std::string name = last.empty() ? wanted : last;
  while (has(name)) name = nextUniqueName(name);
  take(name);
  last = name;
  return name;
}

std::vector<std::string> ZipArchive::listMembers(const std::string& archivePath) {
  return namesIn(directoryOf(archivePath));
}

std::vector<ZipMemberInfo> ZipArchive::memberInfos(const std::string& archivePath) {
  std::vector<ZipMemberInfo> out;
  const auto entries = directoryOf(archivePath);
  if (!entries) return out;
  out.reserve(entries->size());
  // Members stored together share their stamp: each stamp is converted once.
  std::unordered_map<std::uint32_t, std::time_t> times;
  for (const zipdir::Entry& e : *entries) {
    auto [at, fresh] = times.try_emplace(e.dosTime, 0);
    if (fresh) at->second = static_cast<std::time_t>(zipdir::localTimeOf(e.dosTime));
    out.push_back(ZipMemberInfo{e.name, e.size, e.method, e.crc, at->second});
  }
  return out;
}

bool ZipArchive::memberExists(const std::string& archivePath, std::string_view memberPath) {
  return membersNamed(archivePath, memberPath) > 0;
}

std::size_t ZipArchive::membersNamed(const std::string& archivePath, std::string_view memberPath) {
  const auto entries = directoryOf(archivePath);
  return entries ? zipdir::findEntry(*entries, memberPath).matches : 0;
}

std::vector<std::uint8_t> ZipArchive::readMember(const std::string& archivePath,
                                                 std::string_view memberPath) {
  const zipdir::FileSource src(archivePath);
  return src.isOpen() ? readFrom(src, memberPath) : std::vector<std::uint8_t>{};
}

bool ZipArchive::writeMember(const std::string& archivePath, std::string_view memberPath,
                             std::span<const std::uint8_t> bytes, unsigned options, std::string* storedAs) {
  if (memberPath.empty()) return false;
  const bool replace = options & ZipReplace;
  const bool deleteOnly = replace && (options & ZipDeleteOnly);
  const bool unique = (options & ZipUniqueName) && !replace;
  std::string name(memberPath);
  const bool done = rewrite(archivePath, [&](zip_t* za) {
    const zipdir::Lookup found = lookupIn(za, name);
    if (found.matches > 0) {
      if (replace) {
        if (found.matches > 1 || zip_delete(za, found.index) != 0) return false;
      } else if (unique) {
        name = TakenMemberNames(namesOf(za)).takeFirstFree(name);
      } else {
        return false;
      }
    } else if (deleteOnly) {
      return false;
    }
    return deleteOnly || addMember(za, name, bytes);
  });
  if (done && storedAs != nullptr) *storedAs = deleteOnly ? std::string() : name;
  return done;
}

std::optional<std::vector<std::string>> ZipArchive::storeMembers(const std::string& archivePath,
                                                                 std::span<const NewMember> members,
                                                                 unsigned options) {
  std::vector<std::string> names;
  if (members.empty()) return names;
  const bool unique = options & ZipUniqueName;
  const bool done = rewrite(archivePath, [&](zip_t* za) {
    TakenMemberNames taken(namesOf(za));
    for (const NewMember& m : members) {
      if (m.path.empty() || (!unique && taken.has(m.path))) return false;
      names.push_back(taken.takeFirstFree(m.path));
      if (!addMember(za, names.back(), m.bytes)) return false;
    }
    return true;
  });
  if (!done) return std::nullopt;
  return names;
}

bool ZipArchive::mayRewrite(const std::string& archivePath) {
  struct stat st {};
  if (::stat(archivePath.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode) && mayChange(resolved(archivePath), st);
}

bool ZipArchive::deleteMember(const std::string& archivePath, std::string_view memberPath) {
  if (!exists(archivePath)) return false;
  return rewrite(archivePath, [&](zip_t* za) {
    const zipdir::Lookup found = lookupIn(za, memberPath);
    return found.matches == 1 && zip_delete(za, found.index) == 0;
  });
}

bool ZipArchive::deleteMembers(const std::string& archivePath, std::span<const std::string> memberPaths) {
  if (memberPaths.empty()) return true;
  if (!exists(archivePath)) return false;
  return rewrite(archivePath, [&](zip_t* za) {
    // Looked up before any is deleted: a deleted member no longer has a name to find.
    const std::vector<zipdir::Entry> entries = entriesOf(za);
    std::vector<zip_uint64_t> doomed;
    for (const std::string& member : memberPaths) {
      const zipdir::Lookup found = zipdir::findEntry(entries, member);
      if (found.matches != 1) return false;
      doomed.push_back(found.index);
    }
    for (const zip_uint64_t i : doomed)
      if (zip_get_name(za, i, 0) != nullptr && zip_delete(za, i) != 0) return false;
    return true;
  });
}

bool ZipArchive::extractMember(const std::string& archivePath, std::string_view memberPath,
                               const std::string& filePath) {
  const std::vector<std::uint8_t> data = readMember(archivePath, memberPath);
  return !data.empty() && writeNewFile(filePath, data);
}

std::vector<std::string> ZipArchive::listMembers(std::span<const std::uint8_t> archive) {
  return namesIn(zipdir::readDirectory(zipdir::MemorySource(archive)));
}

std::vector<std::uint8_t> ZipArchive::readMember(std::span<const std::uint8_t> archive,
                                                 std::string_view memberPath) {
  return readFrom(zipdir::MemorySource(archive), memberPath);
}

std::optional<std::string> ZipArchive::safeFileName(std::string_view memberPath) {
  const auto slash = memberPath.find_last_of("/\\");
  std::string name(slash == std::string_view::npos ? memberPath : memberPath.substr(slash + 1));
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
    if (c == ':') c = '_';
  }
  return name;
}

bool isZipPath(std::string_view path) { return path.starts_with(kZipPrefix); }

namespace {

bool isFileNotFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace

std::optional<ZipPath> splitZipPath(std::string_view path) {
  if (!isZipPath(path)) return std::nullopt;
  const std::string_view rest = path.substr(kZipPrefix.size());
  const auto colon = rest.size() > 2 ? rest.find(':', 2) : std::string_view::npos;
  if (colon == std::string_view::npos) return std::nullopt;
  std::string archive(rest.substr(0, colon));
  if (!endsWithZip(archive)) {
    const auto last = foldedMemberName(rest).rfind(".zip:");
    if (last != std::string::npos && last + 4 > colon && !isFileNotFolder(archive))
      return ZipPath{std::string(rest.substr(0, last + 4)), std::string(rest.substr(last + 5))};
  }
  return ZipPath{std::move(archive), std::string(rest.substr(colon + 1))};
}

std::string makeZipPath(std::string_view archive, std::string_view member) {
  std::string out(kZipPrefix);
  out += archive;
  out += ':';
  out += member;
  return out;
}

bool endsWithZip(std::string_view path) {
  return path.size() >= 4 && foldedMemberName(path.substr(path.size() - 4)) == ".zip";
}

}  // namespace lh
