#pragma once
// Tool and on-the-fly output the browser deletes when it closes (the user may be asked
// first). Files it extracted for its own use are the grid's ExtractedFiles.
// Plain paths or "Zip:" member paths; members are removed from their archives.
#include <string>
#include <string_view>
#include <vector>

namespace lh {

inline constexpr std::string_view kConfirmDeleteCaption = "Confirm Delete";
inline constexpr std::string_view kConfirmTemporaryDelete = "Delete On-The-Fly and/or Temporary (TMP) files?";

class CloseFiles {
 public:
  // Tool output in the temporary folder marked for deletion, and on-the-fly conversions.
  void addTemporary(std::string location);

  bool hasTemporary() const { return !temporary_.empty(); }
  const std::vector<std::string>& temporary() const { return temporary_; }

  // Deletes the files (the archive members of one archive in one rewrite) and empties the
  // list; gives the locations that could not be deleted (gone already or refused).
  std::vector<std::string> deleteTemporary();

 private:
  std::vector<std::string> temporary_;
};

// Deletes the plain files and archive members of `locations`; the ones that failed.
std::vector<std::string> deleteLocations(const std::vector<std::string>& locations);

}  // namespace lh
