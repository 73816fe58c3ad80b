#pragma once
// Files the browser deletes when it closes: tool and on-the-fly output marked for deletion
// (the user may be asked first), and files it extracted for its own use (always deleted).
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
  // A file extracted for the browser's own use (e.g. an archive member to open).
  void addExtracted(std::string path);

  bool hasTemporary() const { return !temporary_.empty(); }
  const std::vector<std::string>& temporary() const { return temporary_; }

  // Deletes the files of each list (the archive members of one archive in one rewrite) and
  // empties it; gives the locations that could not be deleted (gone already or refused).
  std::vector<std::string> deleteTemporary();
  std::vector<std::string> deleteExtracted();

 private:
  std::vector<std::string> temporary_;
  std::vector<std::string> extracted_;
};

// Deletes the plain files and archive members of `locations`; the ones that failed.
std::vector<std::string> deleteLocations(const std::vector<std::string>& locations);

}  // namespace lh
