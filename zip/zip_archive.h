#pragma once
// Zip archive access for "Zip:" paths: list, read, store and delete members. Every call opens
// the archive, does one thing and closes it again; failures come back as empty results.
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

struct ZipMemberInfo {
  std::string path;          // as stored, with the archive's separators
  std::uint64_t size = 0;    // uncompressed
  std::uint16_t method = 0;  // 0 stored, 8 deflate
  std::uint32_t crc = 0;
  std::time_t modified = 0;
};

// Options of writeMember; combine with |.
enum ZipWriteOption : unsigned {
  ZipPlain = 0,
  ZipUniqueName = 1,  // member exists: store under the next free "(n)" name instead
  ZipReplace = 2,     // member exists: remove it first
  ZipDeleteOnly = 4,  // with ZipReplace: remove the member and store nothing
};

class ZipArchive {
 public:
  // No design file comes near this: a member that inflates to more is refused.
  static constexpr std::uint64_t kMaxMemberSize = 64ull * 1024 * 1024;

  // Member paths in central-directory order; empty when the archive cannot be opened or its
  // central directory cannot be read.
  static std::vector<std::string> listMembers(const std::string& archivePath);
  static std::vector<ZipMemberInfo> memberInfos(const std::string& archivePath);

  // Member names compare without regard to letter case.
  static bool memberExists(const std::string& archivePath, std::string_view memberPath);

  // The member's bytes, CRC-32 checked; empty when the archive or the member cannot be read,
  // the check fails, or the member is larger than kMaxMemberSize.
  static std::vector<std::uint8_t> readMember(const std::string& archivePath, std::string_view memberPath);

  // Stores a deflated member (level 6) stamped with the current time. Without ZipUniqueName
  // or ZipReplace an existing member of that name makes the call fail. `storedAs` receives
  // the name used. The archive is created when missing.
  static bool writeMember(const std::string& archivePath, std::string_view memberPath,
                          std::span<const std::uint8_t> bytes, unsigned options = ZipPlain,
                          std::string* storedAs = nullptr);

  static bool deleteMember(const std::string& archivePath, std::string_view memberPath);

  // readMember, then writes the bytes to a new file (an existing file is never replaced).
  static bool extractMember(const std::string& archivePath, std::string_view memberPath,
                            const std::string& filePath);

  // The same reading operations on an archive image held in memory.
  static std::vector<std::string> listMembers(std::span<const std::uint8_t> archive);
  static std::vector<std::uint8_t> readMember(std::span<const std::uint8_t> archive,
                                              std::string_view memberPath);

  // The last part of a member path as a file name to use inside some folder, or nothing
  // when it could escape it or name nothing ("..", ".", empty, a drive prefix).
  static std::optional<std::string> safeFileName(std::string_view memberPath);
};

// A "Zip:" path split into archive and member: the archive path ends at the first ':' found
// from the third character after "Zip:" on, so a drive letter's colon is skipped.
struct ZipPath {
  std::string archive;
  std::string member;
};
std::optional<ZipPath> splitZipPath(std::string_view path);
bool isZipPath(std::string_view path);
std::string makeZipPath(std::string_view archive, std::string_view member);

}  // namespace lh
