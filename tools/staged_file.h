#pragma once
// Saving in two steps: the bytes go to a hidden temporary file beside the wanted name (the
// slow part, with the flush to disk, which threads can do side by side), then the file is
// given the first free name of the "(2)" rule in one atomic step that never replaces a file.
#include <optional>
#include <string>

#include "formats/bytes.h"

namespace lh {

class StagedFile {
 public:
  // Writes `bytes` to a new temporary file in the folder of `path`; nothing on failure.
  static std::optional<StagedFile> stage(const std::string& path, ByteSpan bytes);

  // Links the file under `path`, or the next free name after it; returns the name used,
  // nothing when that failed. The temporary name is gone either way.
  std::optional<std::string> publish(const std::string& path);

  StagedFile(StagedFile&& other) noexcept : tmp_(std::move(other.tmp_)) { other.tmp_.clear(); }
  StagedFile& operator=(StagedFile&& other) noexcept;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  // Removes a file that was never published.
  ~StagedFile();

 private:
  explicit StagedFile(std::string tmp) : tmp_(std::move(tmp)) {}
  void discard();
  std::string tmp_;
};

}  // namespace lh
