#pragma once
// The files the browser extracted or converted for its own use (archive members dragged out
// or opened, designs converted for opening): reused while they last and deleted when the
// program closes.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lh {

class ExtractedFiles {
 public:
  // A plain file holding the "Zip:" member `location`, extracted into `folder` under the
  // member's name (or the next free "(2)" name: nothing is overwritten). An earlier copy
  // that is still there is reused. Nothing when the member cannot be read or written.
  std::optional<std::string> extract(const std::string& location, const std::string& folder);
  // Puts a file made elsewhere (an on-the-fly conversion) on the list.
  void add(const std::string& path);

  const std::vector<std::string>& paths() const { return paths_; }
  // Deletes every listed file that is still there and empties the list; returns how many
  // were deleted.
  std::size_t removeAll();

 private:
  std::vector<std::string> paths_;
  std::map<std::string, std::string> copies_;  // "Zip:" location -> extracted file
};

}  // namespace lh
