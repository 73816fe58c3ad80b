#pragma once
// Zip archive access for "Zip:" paths: list, read, store and delete members. Every call opens
// the archive, does one thing and closes it again; failures come back as empty results.
//
// Member names: a name designates the member of exactly that name; only when no member has
// it does a member whose name differs in letter case alone stand for it ("ROSE.PES" finds
// "rose.pes"). A name that designates two or more members (an archive holding "rose.pes"
// twice, or "Rose.pes" and "rose.pes" looked up as "ROSE.PES") is repeated: reading, replacing
// or deleting it fails rather than taking one of them.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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

  // A member of that name, or of that name in other letter case, exists.
  static bool memberExists(const std::string& archivePath, std::string_view memberPath);
  // How many members the name designates (see above): 0 none, 1 one, more when repeated.
  static std::size_t membersNamed(const std::string& archivePath, std::string_view memberPath);

  // The member's bytes, CRC-32 checked; empty when the archive or the member cannot be read,
  // the name is repeated, the check fails, or the member is larger than kMaxMemberSize.
  static std::vector<std::uint8_t> readMember(const std::string& archivePath, std::string_view memberPath);

  // Stores a deflated member (level 6) stamped with the current time. Without ZipUniqueName
  // or ZipReplace an existing member of that name makes the call fail. `storedAs` receives
  // the name used. The archive is created when missing.
  //
  // Changing an archive rewrites it into a new file that then takes its place. An archive
  // the user may not write is left alone: one without any write permission bit counts as
  // read-only for every user, root included; the new file keeps the old one's mode and
  // owner, and an archive owned by someone else whose owner cannot be kept is not changed.
  static bool writeMember(const std::string& archivePath, std::string_view memberPath,
                          std::span<const std::uint8_t> bytes, unsigned options = ZipPlain,
                          std::string* storedAs = nullptr);

  struct NewMember {
    std::string path;
    std::span<const std::uint8_t> bytes;
  };
  // Stores every member in one rewrite of the archive, as writeMember with `options` (ZipPlain
  // or ZipUniqueName) would one after the other, each later one seeing the earlier ones. All
  // or nothing: the names used, in order, or nothing when a member could not be stored.
  static std::optional<std::vector<std::string>> storeMembers(const std::string& archivePath,
                                                              std::span<const NewMember> members,
                                                              unsigned options = ZipUniqueName);

  // False when the archive exists but the user may not change it (see writeMember).
  static bool mayRewrite(const std::string& archivePath);

  static bool deleteMember(const std::string& archivePath, std::string_view memberPath);
  // Deletes every named member in one rewrite of the archive. All or nothing: false, and the
  // archive unchanged, when a name designates no member or a repeated one.
  static bool deleteMembers(const std::string& archivePath, std::span<const std::string> memberPaths);

  // readMember, then writes the bytes to a new file (an existing file is never replaced).
  static bool extractMember(const std::string& archivePath, std::string_view memberPath,
                            const std::string& filePath);

  // The same reading operations on an archive image held in memory.
  static std::vector<std::string> listMembers(std::span<const std::uint8_t> archive);
  static std::vector<std::uint8_t> readMember(std::span<const std::uint8_t> archive,
                                              std::string_view memberPath);

  // The last part of a member path as a file name to use inside some folder, or nothing
  // when it could escape it or name nothing ("..", ".", empty, control characters). A colon
  // (a drive prefix, or part of the name) becomes '_'.
  static std::optional<std::string> safeFileName(std::string_view memberPath);
};

// A member name with its letter case folded: the key under which member names compare.
std::string foldedMemberName(std::string_view name);

// Member names in use, compared without case, and where the "(n)" sequence of each wanted
// name stopped last, so that naming many new members takes one look-up each.
class TakenMemberNames {
 public:
  TakenMemberNames() = default;
  explicit TakenMemberNames(const std::vector<std::string>& names);
  bool has(std::string_view name) const { return names_.contains(foldedMemberName(name)); }
  void take(std::string_view name) { names_.insert(foldedMemberName(name)); }
  // `wanted`, or the first free name of the nextUniqueName sequence after it; now taken.
  std::string takeFirstFree(const std::string& wanted);

 private:
  std::unordered_set<std::string> names_;
  std::unordered_map<std::string, std::string> last_;
};

// A "Zip:" path split into archive and member. The archive path ends at the first ':' found
// from the third character after "Zip:" on (a drive letter's colon is skipped), when the
// archive path so found ends in ".zip" (in any case) or names an existing file that is not a
// folder. Otherwise, when the rest holds ".zip:" (in any case), the archive path ends at the
// last ".zip" so followed: "Zip:/d/a:b/x.zip:rose.pes" names "/d/a:b/x.zip". Member names may
// hold colons either way. An archive whose own path holds a colon and does not end in
// ".zip" can be named only while it exists.
struct ZipPath {
  std::string archive;
  std::string member;
};
std::optional<ZipPath> splitZipPath(std::string_view path);
bool isZipPath(std::string_view path);
// A path or name ending in ".zip", in any letter case.
bool endsWithZip(std::string_view path);
std::string makeZipPath(std::string_view archive, std::string_view member);

}  // namespace lh
