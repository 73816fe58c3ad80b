#pragma once
// New archive members of one run, gathered so that each archive is written once: a run that
// stores a converted design per member of an archive would otherwise rewrite the whole
// archive per member. Names are taken when a member is added (seeing the archive's members
// and those gathered before it), so the run can name split parts and report paths before
// the archive is written.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "formats/bytes.h"
#include "zip/zip_archive.h"

namespace lh {

class ArchiveBatch {
 public:
  // Takes the first free member name for the "Zip:" path `zipPath` and keeps a copy of the
  // bytes; returns the "Zip:" path the member will have, nothing for a path that names no
  // member.
  std::optional<std::string> add(const std::string& zipPath, ByteSpan bytes);

  bool empty() const { return pending_.empty(); }
  std::uint64_t pendingBytes() const { return bytes_; }

  struct Written {
    std::unordered_map<std::string, std::string> stored;  // path given by add -> path stored
    std::vector<std::string> failedArchives;               // archives left unchanged
    std::vector<std::string> readOnlyArchives;             // ... of them those the user may not write
  };
  // Writes every archive with gathered members once and empties the batch.
  Written write();

 private:
  struct Pending {
    TakenMemberNames taken;  // the archive's member names and those gathered
    std::vector<std::pair<std::string, ByteBuffer>> members;
  };
  std::map<std::string, Pending> pending_;
  std::uint64_t bytes_ = 0;
};

}  // namespace lh
