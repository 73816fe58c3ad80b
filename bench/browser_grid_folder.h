#pragma once
// The folders the grid benchmark lists, built once in a temporary folder: 10,000 design
// files (copies of the bundled samples and, when the corpus is there, of its designs, taken
// in turn) beside 10 zip archives of 1,000 members each. For the memory figure four more
// folders hold hard links to the same files, so that the five folders together list
// 100,000 items without writing the designs five times.
#include <cstddef>
#include <string>
#include <vector>

namespace lh::gridbench {

inline constexpr int kDesignFiles = 10000;
inline constexpr int kArchives = 10;
inline constexpr int kArchiveMembers = 1000;
inline constexpr int kItemsPerFolder = kDesignFiles + kArchives * kArchiveMembers;
inline constexpr int kFolders = 5;  // kFolders * kItemsPerFolder = 100,000

class DesignFolders {
 public:
  // Builds the first folder; the linked ones are made when first asked for.
  DesignFolders();
  ~DesignFolders();
  DesignFolders(const DesignFolders&) = delete;
  DesignFolders& operator=(const DesignFolders&) = delete;

  // Empty when the folder could not be built; error() says why.
  const std::string& error() const { return error_; }
  // How many different designs the copies were taken from.
  std::size_t sources() const { return sources_; }
  // Folder 0 holds the files, folders 1 .. kFolders - 1 links to them.
  std::string folder(int k);

 private:
  void build();
  std::string root_;
  std::string error_;
  std::size_t sources_ = 0;
  int linked_ = 1;
};

}  // namespace lh::gridbench
