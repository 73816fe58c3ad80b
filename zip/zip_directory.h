#pragma once
// Reading side of the archive code: the central directory parsed straight from the bytes and
// a member's data read from its local header. Opening an archive through the zip library
// converts every member's time stamp to local time (a time-zone lookup each), so reading one
// member of a large archive that way costs as much as listing it all; here a member's time
// stays in its DOS form until someone asks for it.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lh::zipdir {

struct Entry {
  std::string name;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t dosTime = 0;  // date in the high half, time in the low half
  std::uint32_t crc = 0;
  std::uint64_t compressed = 0;
  std::uint64_t size = 0;
  std::uint64_t localOffset = 0;
};

// Random access to an archive's bytes.
class Source {
 public:
  virtual ~Source() = default;
  virtual std::uint64_t size() const = 0;
  // Fills `out` from `at` on; false when the bytes are not all there.
  virtual bool read(std::uint64_t at, std::span<std::uint8_t> out) const = 0;
};

class MemorySource final : public Source {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool read(std::uint64_t at, std::span<std::uint8_t> out) const override;

 private:
  std::span<const std::uint8_t> bytes_;
};

class FileSource final : public Source {
 public:
  explicit FileSource(const std::string& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  bool isOpen() const { return fd_ >= 0; }
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t at, std::span<std::uint8_t> out) const override;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// The members in central-directory order; nothing when the end record or the directory
// cannot be read.
std::optional<std::vector<Entry>> readDirectory(const Source& source);

// Which member `name` designates: the one of exactly that name, or, when no member has it,
// the one whose name differs only in letter case. Two or more candidates make the name
// repeated: it designates none of them.
struct Lookup {
  std::size_t matches = 0;  // 0 missing, 1 found, more: repeated
  std::size_t index = 0;    // the member found
};
Lookup findEntry(std::span<const Entry> entries, std::string_view name);

// The member's data, inflated and CRC-checked; empty when it cannot be read or is larger
// than `maxSize`.
std::vector<std::uint8_t> readEntry(const Source& source, const Entry& entry, std::uint64_t maxSize);

// The DOS stamp as local time.
std::int64_t localTimeOf(std::uint32_t dosTime);

}  // namespace lh::zipdir
