#include "browser/core/file_list.h"

#include <algorithm>

#include "browser/core/file_list_texts.h"
#include "browser/core/folder_listing.h"

namespace lh {

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::size_t FileList::addFolder(std::uint64_t treeItem, std::string_view folder,
                                std::span<const std::string> viewedTypes, const DriveService* drives) {
  std::vector<FileItem> found = listFolder(folder, viewedTypes);
  const std::string diskName =
      found.empty() || drives == nullptr ? std::string() : diskNameOf(*drives, folder).value_or("");
  items_.reserve(items_.size() + found.size());
  for (FileItem& item : found) {
    item.treeItem = treeItem;
    item.extra = diskName;
    items_.push_back(std::move(item));
  }
  return found.size();
}

std::size_t FileList::removeFolder(std::uint64_t treeItem) {
  return removeIf([treeItem](const FileItem& item) { return item.treeItem == treeItem; });
}

void FileList::selectAll() {
  for (FileItem& item : items_) {
    item.isSelected = true;
    item.isAnchor = false;
  }
  if (!items_.empty()) items_.front().isAnchor = true;
}

std::size_t FileList::selectionCount() const {
  return static_cast<std::size_t>(
      std::count_if(items_.begin(), items_.end(), [](const FileItem& item) { return item.isSelected; }));
}

std::vector<std::size_t> FileList::selectedIndexes() const {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].isSelected) out.push_back(i);
  return out;
}

std::vector<FileItem> FileList::selectedItems() const {
  std::vector<FileItem> out;
  for (const FileItem& item : items_)
    if (item.isSelected) out.push_back(item);
  return out;
}

std::optional<std::size_t> FileList::firstSelected() const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].isSelected) return i;
  return std::nullopt;
}

void FileList::clearAnchors() {
  for (FileItem& item : items_) item.isAnchor = false;
}

void FileList::click(std::size_t index) {
  if (!inRange(index)) return;
  for (FileItem& item : items_) item.isSelected = item.isAnchor = false;
  items_[index].isSelected = items_[index].isAnchor = true;
}

void FileList::ctrlClick(std::size_t index) {
  if (!inRange(index)) return;
  clearAnchors();
  items_[index].isAnchor = true;
  items_[index].isSelected = !items_[index].isSelected;
}

void FileList::shiftClick(std::size_t index) {
  if (!inRange(index)) return;
  auto anchor =
      std::find_if(items_.begin(), items_.end(), [](const FileItem& item) { return item.isAnchor; });
  if (anchor == items_.end()) {
    anchor = items_.begin();
    anchor->isAnchor = true;
  }
  const auto from = static_cast<std::size_t>(anchor - items_.begin());
  for (std::size_t i = 0; i < items_.size(); ++i)
    items_[i].isSelected = i >= std::min(from, index) && i <= std::max(from, index);
}

std::optional<std::size_t> FileList::jumpToLetter(char ch) {
  if (ch == 1) {
    selectAll();
    return std::nullopt;
  }
  if (!isLetterOrDigit(ch)) return std::nullopt;
  const char wanted = lowerAscii(ch);
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (!items_[i].name.empty() && lowerAscii(items_[i].name.front()) == wanted) return i;
  return std::nullopt;
}

void FileList::insert(std::size_t index, FileItem item) {
  const auto at = items_.begin() + static_cast<std::ptrdiff_t>(std::min(index, items_.size()));
  items_.insert(at, std::move(item));
}

void FileList::removeAt(std::span<const std::size_t> indexes) {
  std::vector<bool> gone(items_.size(), false);
  for (std::size_t i : indexes)
    if (inRange(i)) gone[i] = true;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (!gone[i]) {
      if (kept != i) items_[kept] = std::move(items_[i]);
      ++kept;
    }
  items_.resize(kept);
}

std::size_t FileList::removeIf(const std::function<bool(const FileItem&)>& pred) {
  const auto end = std::remove_if(items_.begin(), items_.end(), pred);
  const auto removed = static_cast<std::size_t>(items_.end() - end);
  items_.erase(end, items_.end());
  return removed;
}

std::string FileList::filesText() const { return texts::filesCountText(items_.size()); }

std::string FileList::selectedText() const { return texts::selectedCountText(selectionCount()); }

}  // namespace lh
