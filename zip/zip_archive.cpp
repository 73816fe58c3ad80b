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

#include "files/save_file.h"

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

struct FileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

ZipHandle openRead(const std::string& path) {
  int err = 0;
  return ZipHandle(zip_open(path.c_str(), ZIP_RDONLY, &err));
}

ZipHandle openMemory(std::span<const std::uint8_t> data) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* src = zip_source_buffer_create(data.data(), data.size(), 0, &error);
  zip_error_fini(&error);
  if (src == nullptr) return nullptr;
  zip_error_init(&error);
  zip_t* za = zip_open_from_source(src, ZIP_RDONLY, &error);
  zip_error_fini(&error);
  if (za == nullptr) zip_source_free(src);
  return ZipHandle(za);
}

std::optional<zip_uint64_t> locate(zip_t* za, std::string_view member) {
  const std::string name(member);
  const zip_int64_t idx = zip_name_locate(za, name.c_str(), ZIP_FL_NOCASE);
  if (idx < 0) return std::nullopt;
  return static_cast<zip_uint64_t>(idx);
}

std::vector<std::string> namesOf(zip_t* za) {
  std::vector<std::string> out;
  if (za == nullptr) return out;
  const zip_int64_t n = zip_get_num_entries(za, 0);
  for (zip_int64_t i = 0; i < n; ++i) {
    const char* name = zip_get_name(za, static_cast<zip_uint64_t>(i), 0);
    if (name != nullptr) out.emplace_back(name);
  }
  return out;
}

std::vector<std::uint8_t> readFrom(zip_t* za, std::string_view member) {
  if (za == nullptr) return {};
  const auto idx = locate(za, member);
  if (!idx) return {};
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(za, *idx, 0, &st) != 0) return {};
  const zip_uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_CRC;
  if ((st.valid & needed) != needed || st.size == 0 || st.size > ZipArchive::kMaxMemberSize) return {};
  std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(za, *idx, 0));
  if (!file) return {};
  std::vector<std::uint8_t> data(static_cast<std::size_t>(st.size));
  std::size_t done = 0;
  while (done < data.size()) {
    const zip_int64_t n = zip_fread(file.get(), data.data() + done, data.size() - done);
    if (n <= 0) return {};
    done += static_cast<std::size_t>(n);
  }
  // The central directory's CRC is checked here whatever the library did on the way.
  uLong crc = crc32(0L, Z_NULL, 0);
  std::size_t at = 0;
  while (at < data.size()) {
    const std::size_t chunk = std::min<std::size_t>(data.size() - at, 1u << 30);
    crc = crc32(crc, data.data() + at, static_cast<uInt>(chunk));
    at += chunk;
  }
  if (static_cast<std::uint32_t>(crc) != st.crc) return {};
  return data;
}

// Members left after the changes so far (deleted ones stay counted by the library until close).
zip_int64_t liveMembers(zip_t* za) {
  zip_int64_t live = 0;
  const zip_int64_t n = zip_get_num_entries(za, 0);
  for (zip_int64_t i = 0; i < n; ++i) {
    zip_stat_t st;
    if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) == 0) ++live;
  }
  return live;
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// Appends the file `from` to the new file `to`.
bool copyInto(const std::string& from, StagedFile& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  std::vector<std::uint8_t> buf(1 << 16);
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (!to.write({buf.data(), static_cast<std::size_t>(n)})) {
      ok = false;
      break;
    }
  }
  ::close(in);
  return ok;
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

// Applies `change` to a copy of the archive (or to a new, empty one) and swaps the result in.
template <typename Change>
bool rewrite(const std::string& path, Change change) {
  struct stat st {};
  const bool had = ::stat(path.c_str(), &st) == 0;
  if (had && !S_ISREG(st.st_mode)) return false;
  const std::string archive = had ? resolved(path) : path;
  const std::optional<mode_t> mode = had ? std::optional<mode_t>(st.st_mode & 07777) : std::nullopt;
  std::optional<StagedFile> next = StagedFile::create(archive, mode);
  if (!next || (had && !copyInto(archive, *next)) || !next->close()) return false;
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

std::vector<std::string> ZipArchive::listMembers(const std::string& archivePath) {
  return namesOf(openRead(archivePath).get());
}

std::vector<ZipMemberInfo> ZipArchive::memberInfos(const std::string& archivePath) {
  std::vector<ZipMemberInfo> out;
  ZipHandle za = openRead(archivePath);
  if (!za) return out;
  const zip_int64_t n = zip_get_num_entries(za.get(), 0);
  for (zip_int64_t i = 0; i < n; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 || st.name == nullptr) continue;
    ZipMemberInfo info;
    info.path = st.name;
    info.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    info.method = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : 0;
    info.crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
    info.modified = (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0;
    out.push_back(std::move(info));
  }
  return out;
}

bool ZipArchive::memberExists(const std::string& archivePath, std::string_view memberPath) {
  ZipHandle za = openRead(archivePath);
  return za && locate(za.get(), memberPath).has_value();
}

std::vector<std::uint8_t> ZipArchive::readMember(const std::string& archivePath,
                                                 std::string_view memberPath) {
  return readFrom(openRead(archivePath).get(), memberPath);
}

bool ZipArchive::writeMember(const std::string& archivePath, std::string_view memberPath,
                             std::span<const std::uint8_t> bytes, unsigned options, std::string* storedAs) {
  if (memberPath.empty()) return false;
  const bool replace = options & ZipReplace;
  const bool deleteOnly = replace && (options & ZipDeleteOnly);
  const bool unique = (options & ZipUniqueName) && !replace;
  std::string name(memberPath);
  const bool done = rewrite(archivePath, [&](zip_t* za) {
    if (auto idx = locate(za, name)) {
      if (replace) {
        if (zip_delete(za, *idx) != 0) return false;
      } else if (unique) {
        while (locate(za, name)) name = nextUniqueName(name);
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

bool ZipArchive::deleteMember(const std::string& archivePath, std::string_view memberPath) {
  if (!exists(archivePath)) return false;
  return rewrite(archivePath, [&](zip_t* za) {
    const auto idx = locate(za, memberPath);
    return idx && zip_delete(za, *idx) == 0;
  });
}

bool ZipArchive::extractMember(const std::string& archivePath, std::string_view memberPath,
                               const std::string& filePath) {
  const std::vector<std::uint8_t> data = readMember(archivePath, memberPath);
  return !data.empty() && writeNewFile(filePath, data);
}

std::vector<std::string> ZipArchive::listMembers(std::span<const std::uint8_t> archive) {
  return namesOf(openMemory(archive).get());
}

std::vector<std::uint8_t> ZipArchive::readMember(std::span<const std::uint8_t> archive,
                                                 std::string_view memberPath) {
  return readFrom(openMemory(archive).get(), memberPath);
}

std::optional<std::string> ZipArchive::safeFileName(std::string_view memberPath) {
  const auto slash = memberPath.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? memberPath : memberPath.substr(slash + 1);
  if (name.empty() || name == "." || name == ".." || name.find(':') != std::string_view::npos)
    return std::nullopt;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
  return std::string(name);
}

bool isZipPath(std::string_view path) { return path.starts_with(kZipPrefix); }

std::optional<ZipPath> splitZipPath(std::string_view path) {
  if (!isZipPath(path)) return std::nullopt;
  const std::string_view rest = path.substr(kZipPrefix.size());
  const auto colon = rest.size() > 2 ? rest.find(':', 2) : std::string_view::npos;
  if (colon == std::string_view::npos) return std::nullopt;
  return ZipPath{std::string(rest.substr(0, colon)), std::string(rest.substr(colon + 1))};
}

std::string makeZipPath(std::string_view archive, std::string_view member) {
  std::string out(kZipPrefix);
  out += archive;
  out += ':';
  out += member;
  return out;
}

}  // namespace lh
