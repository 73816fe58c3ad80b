#pragma once
// One listed file and its text form, the name by which the catalog, the tools and the
// plug-in exchange refer to a file:
//   "Zip:" + archive + ":"   when the file is a member of a zip archive,
//   then folder + name,
//   then a tab and `extra`   when `extra` is not empty (the disk name of a removable medium).
#include <cstdint>
#include <string>
#include <string_view>

namespace lh {

struct FileItem {
  std::string archive;   // the zip archive holding the file; empty for a plain file
  std::string folder;    // ends in '/' when not empty (inside an archive: the member's folder)
  std::string name;      // file name with extension
  std::string extra;     // text after the tab: the disk name, for removable and optical media
  std::uint64_t treeItem = 0;  // the folder or category node that listed the file; 0 for none
  bool isSelected = false;
  bool isAnchor = false;
  // Tool output: the file lies in the temporary folder, and is deleted when the program closes.
  bool isTemporary = false;
  bool deleteAtClose = false;

  bool isArchiveMember() const { return !archive.empty(); }
  // folder + name: the plain path, or the member's path inside its archive.
  std::string path() const { return folder + name; }
  // The path loadDesign and the tools take: the plain path, or the "Zip:" member path.
  std::string location() const;
  // The extension of `name` without the dot ("" when it has none).
  std::string_view extension() const;
  // `name` with its extension replaced by `ext` (a leading '.' of `ext` is not doubled).
  std::string nameWithExtension(std::string_view ext) const;
};

// The text form of `item`.
std::string itemText(const FileItem& item);
// The item a text form names. A "Zip:" text splits as splitZipPath does (the archive ends at
// the first ':' from the third character on); a tab splits off `extra`; the rest splits at
// its last '/' into folder and name.
FileItem parseItemText(std::string_view text);

// Exactly the same text, disk name included.
bool sameText(const FileItem& a, const FileItem& b);
// The same archive and folder-plus-name; the disk name is ignored.
bool sameFile(const FileItem& a, const FileItem& b);

// Extensions compare without regard to case everywhere.
bool sameExtension(std::string_view a, std::string_view b);

}  // namespace lh
