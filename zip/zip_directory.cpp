#include "zip/zip_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "files/regular_file.h"

namespace lh::zipdir {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kEnd64Signature = 0x06064b50;
constexpr std::uint32_t kLocator64Signature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22, kLocator64Size = 20, kEnd64Size = 56, kCentralSize = 46, kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;
constexpr std::uint16_t kEncrypted = 1;

std::uint64_t le(std::span<const std::uint8_t> b, std::size_t at, int n) {
  std::uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}

struct End {
  std::uint64_t entries = 0, dirSize = 0, dirOffset = 0, at = 0;
};

// The end-of-central-directory record, scanning back from the end over a possible comment,
// and its 64-bit form when the short one says the values did not fit.
std::optional<End> findEnd(const Source& src) {
  const std::uint64_t size = src.size();
  if (size < kEndSize) return std::nullopt;
  const std::size_t tail = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndSize + kMaxComment));
  std::vector<std::uint8_t> buf(tail);
  if (!src.read(size - tail, buf)) return std::nullopt;
  for (std::size_t i = tail - kEndSize + 1; i-- > 0;) {
    if (le(buf, i, 4) != kEndSignature) continue;
    if (i + kEndSize + le(buf, i + 20, 2) > tail) continue;  // the comment would run past the end
    End e{le(buf, i + 10, 2), le(buf, i + 12, 4), le(buf, i + 16, 4), size - tail + i};
    if (e.entries != 0xFFFF && e.dirSize != 0xFFFFFFFF && e.dirOffset != 0xFFFFFFFF) return e;
    std::uint8_t loc[kLocator64Size];
    if (e.at < kLocator64Size || !src.read(e.at - kLocator64Size, loc) || le(loc, 0, 4) != kLocator64Signature)
      return e;
    std::uint8_t rec[kEnd64Size];
    const std::uint64_t recAt = le(loc, 8, 8);
    if (!src.read(recAt, rec) || le(rec, 0, 4) != kEnd64Signature) return std::nullopt;
    return End{le(rec, 32, 8), le(rec, 40, 8), le(rec, 48, 8), recAt};
  }
  return std::nullopt;
}

// The 64-bit sizes and offset of the extra field's zip64 block, for the fields that say so.
void applyZip64(std::span<const std::uint8_t> extra, Entry& e) {
  std::size_t at = 0;
  while (at + 4 <= extra.size()) {
    const auto id = le(extra, at, 2);
    const std::size_t len = static_cast<std::size_t>(le(extra, at + 2, 2));
    if (at + 4 + len > extra.size()) return;
    if (id == 1) {
      std::size_t p = at + 4;
      auto take = [&](std::uint64_t& v) {
        if (v != 0xFFFFFFFF || p + 8 > at + 4 + len) return;
        v = le(extra, p, 8);
        p += 8;
      };
      take(e.size);
      take(e.compressed);
      take(e.localOffset);
      return;
    }
    at += 4 + len;
  }
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool inflateInto(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
  z_stream zs{};
  if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) return false;
  zs.next_in = const_cast<Bytef*>(in.data());
  zs.next_out = out.data();
  bool ok = true;
  std::size_t inLeft = in.size(), outLeft = out.size();
  int rc = Z_OK;
  // zlib counts in 32 bits: feed it in pieces.
  while (rc == Z_OK) {
    const auto inChunk = static_cast<uInt>(std::min<std::size_t>(inLeft, 1u << 30));
    const auto outChunk = static_cast<uInt>(std::min<std::size_t>(outLeft, 1u << 30));
    zs.avail_in = inChunk;
    zs.avail_out = outChunk;
    rc = inflate(&zs, Z_NO_FLUSH);
    inLeft -= inChunk - zs.avail_in;
    outLeft -= outChunk - zs.avail_out;
    if (rc == Z_OK && zs.avail_out == outChunk && zs.avail_in == inChunk) ok = false;  // no progress
    if (!ok) break;
  }
  // The stream must end exactly where the declared size does: more output is refused.
  ok = ok && rc == Z_STREAM_END && outLeft == 0;
  inflateEnd(&zs);
  return ok;
}

}  // namespace

bool MemorySource::read(std::uint64_t at, std::span<std::uint8_t> out) const {
  if (at > bytes_.size() || out.size() > bytes_.size() - at) return false;
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at), out.size(), out.begin());
  return true;
}

FileSource::FileSource(const std::string& path) {
  fd_ = openRegularFile(path).fd;  // a FIFO named like an archive would block the reads
  struct stat st {};
  if (fd_ >= 0 && ::fstat(fd_, &st) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (fd_ >= 0) size_ = static_cast<std::uint64_t>(st.st_size);
}

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileSource::read(std::uint64_t at, std::span<std::uint8_t> out) const {
  if (fd_ < 0 || at > size_ || out.size() > size_ - at) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<std::vector<Entry>> readDirectory(const Source& src) {
  const std::optional<End> end = findEnd(src);
  if (!end || end->dirOffset > end->at || end->dirSize > end->at - end->dirOffset) return std::nullopt;
  if (end->entries > end->dirSize / kCentralSize) return std::nullopt;
  std::vector<std::uint8_t> dir(static_cast<std::size_t>(end->dirSize));
  if (!src.read(end->dirOffset, dir)) return std::nullopt;
  std::vector<Entry> out;
  out.reserve(static_cast<std::size_t>(end->entries));
  std::size_t at = 0;
  for (std::uint64_t i = 0; i < end->entries; ++i) {
    if (at + kCentralSize > dir.size() || le(dir, at, 4) != kCentralSignature) return std::nullopt;
    const std::size_t nameLen = le(dir, at + 28, 2), extraLen = le(dir, at + 30, 2), commentLen = le(dir, at + 32, 2);
    const std::size_t next = at + kCentralSize + nameLen + extraLen + commentLen;
    if (next > dir.size()) return std::nullopt;
    Entry e;
    e.flags = static_cast<std::uint16_t>(le(dir, at + 8, 2));
    e.method = static_cast<std::uint16_t>(le(dir, at + 10, 2));
    e.dosTime = static_cast<std::uint32_t>(le(dir, at + 12, 4));
    e.crc = static_cast<std::uint32_t>(le(dir, at + 16, 4));
    e.compressed = le(dir, at + 20, 4);
    e.size = le(dir, at + 24, 4);
    e.localOffset = le(dir, at + 42, 4);
    const auto name = std::span<const std::uint8_t>(dir).subspan(at + kCentralSize, nameLen);
    e.name.assign(name.begin(), name.end());
    applyZip64(std::span<const std::uint8_t>(dir).subspan(at + kCentralSize + nameLen, extraLen), e);
    out.push_back(std::move(e));
    at = next;
  }
  return out;
}

Lookup findEntry(std::span<const Entry> entries, std::string_view name) {
  Lookup exact, folded;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].name == name) {
      if (exact.matches++ == 0) exact.index = i;
    } else if (exact.matches == 0 && equalNoCase(entries[i].name, name)) {
      if (folded.matches++ == 0) folded.index = i;
    }
  }
  return exact.matches > 0 ? exact : folded;
}

std::vector<std::uint8_t> readEntry(const Source& src, const Entry& e, std::uint64_t maxSize) {
  if ((e.flags & kEncrypted) || (e.method != 0 && e.method != 8) || e.size == 0 || e.size > maxSize) return {};
  if (e.method == 0 && e.compressed != e.size) return {};
  std::uint8_t local[kLocalSize];
  if (!src.read(e.localOffset, local) || le(local, 0, 4) != kLocalSignature) return {};
  const std::uint64_t dataAt = e.localOffset + kLocalSize + le(local, 26, 2) + le(local, 28, 2);
  if (dataAt > src.size() || e.compressed > src.size() - dataAt) return {};
  std::vector<std::uint8_t> body(static_cast<std::size_t>(e.compressed));
  if (!src.read(dataAt, body)) return {};
  std::vector<std::uint8_t> data;
  if (e.method == 0) {
    data = std::move(body);
  } else {
    data.resize(static_cast<std::size_t>(e.size));
    if (!inflateInto(body, data)) return {};
  }
  uLong crc = crc32(0L, Z_NULL, 0);
  for (std::size_t at = 0; at < data.size();) {
    const std::size_t chunk = std::min<std::size_t>(data.size() - at, 1u << 30);
    crc = crc32(crc, data.data() + at, static_cast<uInt>(chunk));
    at += chunk;
  }
  if (static_cast<std::uint32_t>(crc) != e.crc) return {};
  return data;
}

std::int64_t localTimeOf(std::uint32_t dosTime) {
  std::tm tm{};
  const std::uint32_t date = dosTime >> 16, time = dosTime & 0xFFFF;
  tm.tm_year = static_cast<int>((date >> 9) & 0x7F) + 80;
  tm.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
  tm.tm_mday = static_cast<int>(date & 0x1F);
  tm.tm_hour = static_cast<int>((time >> 11) & 0x1F);
  tm.tm_min = static_cast<int>((time >> 5) & 0x3F);
  tm.tm_sec = static_cast<int>((time & 0x1F) * 2);
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

}  // namespace lh::zipdir
