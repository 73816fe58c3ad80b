#pragma once
// The browser's file list: the files of every ticked folder, in the order they were listed,
// with their selection and the anchor of a range selection. Plain C++: the thumbnail grid
// shows it, the folder tree fills it, the file operations work on its selection.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/file_item.h"
#include "files/drives.h"

namespace lh {

class FileList {
 public:
  // Lists `folder` (see listFolder) and appends its items with `treeItem` set and, when the
  // folder's drive is a removable or optical medium with a volume label, that label as
  // `extra`. `drives` may be null (no disk names). Returns the number of items added.
  std::size_t addFolder(std::uint64_t treeItem, std::string_view folder,
                        std::span<const std::string> viewedTypes, const DriveService* drives);
  // Takes out every item listed for `treeItem`; returns how many.
  std::size_t removeFolder(std::uint64_t treeItem);
  // Appends one item as it is (a catalog category's entries fill the list this way).
  void append(FileItem item) { items_.push_back(std::move(item)); }
  // Puts `item` at `index` (at the end when `index` is past it).
  void insert(std::size_t index, FileItem item);
  void clear() { items_.clear(); }

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const FileItem& operator[](std::size_t i) const { return items_[i]; }
  FileItem& operator[](std::size_t i) { return items_[i]; }
  const std::vector<FileItem>& items() const { return items_; }

  // Every item selected; the first one is the anchor.
  void selectAll();
  std::size_t selectionCount() const;
  // Indexes of the selected items, in list order.
  std::vector<std::size_t> selectedIndexes() const;
  // The selected items, in list order.
  std::vector<FileItem> selectedItems() const;
  // The first selected item's index, if any.
  std::optional<std::size_t> firstSelected() const;

  // Mouse selection. A plain click selects the item alone and makes it the anchor; a Ctrl
  // click toggles the item and makes it the anchor; a Shift click selects the range from
  // the anchor (the first item when there is none) to the item. An index outside the list
  // changes nothing.
  void click(std::size_t index);
  void ctrlClick(std::size_t index);
  void shiftClick(std::size_t index);

  // A key typed in the grid: a letter or digit gives the index of the first item whose name
  // starts with it (either case); Ctrl+A (character 1) selects all and gives nothing to
  // scroll to; anything else gives nothing.
  std::optional<std::size_t> jumpToLetter(char ch);

  // Removes the items whose index is in `indexes` (any order, repeats allowed).
  void removeAt(std::span<const std::size_t> indexes);
  // Removes the items `pred` holds for; returns how many.
  std::size_t removeIf(const std::function<bool(const FileItem&)>& pred);

  // "Files: n" and "Selected: n" for the status bar.
  std::string filesText() const;
  std::string selectedText() const;

 private:
  bool inRange(std::size_t i) const { return i < items_.size(); }
  void clearAnchors();

  std::vector<FileItem> items_;
};

}  // namespace lh
