#pragma once
// The catalog tree: an ordered forest of named categories, each with an ordered list of
// entries (the text forms of FileItems), and the operations that change it.
//
// Every category has a numeric id, never 0 and never given twice while the program runs (not
// even by another Catalog), so a window's tree items and listed files (FileItem::treeItem)
// can refer to a category and notice when it is gone. Categories live on the heap: a
// Category reference stays valid until its category is deleted or the catalog cleared.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lh {

using CategoryId = std::uint64_t;

class Category {
 public:
  CategoryId id() const { return id_; }
  const std::string& name() const { return name_; }
  // The entries in order; an entry is a FileItem's text form (itemText).
  const std::vector<std::string>& entries() const { return entries_; }
  // Nothing for a top-level category.
  const Category* parent() const { return parent_; }
  std::size_t childCount() const { return children_.size(); }
  const Category& child(std::size_t i) const { return *children_[i]; }
  // 0 for a top-level category.
  int depth() const;

 private:
  friend class Catalog;
  CategoryId id_ = 0;
  std::string name_;
  std::vector<std::string> entries_;
  std::vector<std::unique_ptr<Category>> children_;
  Category* parent_ = nullptr;
};

// Why an operation was refused, as the message box that tells the user.
struct CatalogRefusal {
  std::string text;
  std::string caption;
};

// A text the catalog file holds as an entry line: its second character is ':', it begins
// with "Zip:" (in any letter case) or with '/'.
bool isEntryLine(std::string_view line);
// A name a category can be given: not empty, no line break or NUL, no tab in front (the
// catalog file would read any of these back as something else).
bool isStorableCategoryName(std::string_view name);
// A text addEntry takes: an entry line without line breaks or NUL.
bool isStorableEntry(std::string_view text);

// The part of an entry that names the file: the text before the tab of the disk name.
std::string_view entryFileText(std::string_view text);

// A category path: `path` + "\" + `name`, without a second "\" after a path that ends in
// one. Category paths use "\" on every system: they are catalog names, not file paths.
std::string joinCategoryPath(std::string_view path, std::string_view name);

class Catalog {
 public:
  Catalog() = default;
  Catalog(Catalog&&) noexcept = default;
  Catalog& operator=(Catalog&&) noexcept = default;
  Catalog(const Catalog&) = delete;
  Catalog& operator=(const Catalog&) = delete;

  // A new catalog: the top category "Loomhall Catalog" without entries.
  static Catalog fresh();

  // Deletes every category (the file state below stays).
  void clear();
  bool empty() const { return topLevel_.empty(); }
  std::size_t topLevelCount() const { return topLevel_.size(); }
  const Category& topLevel(std::size_t i) const { return *topLevel_[i]; }
  // The top category: the first top-level one; 0 when the catalog is empty.
  CategoryId topCategory() const { return topLevel_.empty() ? 0 : topLevel_.front()->id(); }
  // The category with that id; nothing when there is none (any more).
  const Category* category(CategoryId id) const;
  std::size_t categoryCount() const { return index_.size(); }
  std::size_t entryCount() const;

  // Visits every category in depth-first order: a category, then its sub-categories in order,
  // then its next sibling. `path` is the category's path.
  void forEach(const std::function<void(const Category&, const std::string& path)>& visit) const;
  // The ids in depth-first order.
  std::vector<CategoryId> depthFirst() const;
  // The category's path: the names from its top-level ancestor down to it, joined by "\".
  std::string pathOf(CategoryId id) const;
  // The first category, in depth-first order, whose path is exactly `path`; 0 for none.
  CategoryId findCategory(std::string_view path) const;

  // Categories.
  // A new category as the last child of `parent`, whose children are then sorted by name
  // without regard to letter case (equal names keep their order). With `parent` 0 it becomes
  // the last top-level category (top-level ones are not sorted: the first is the top
  // category). Returns its id; 0 when the name cannot be stored or `parent` is unknown.
  CategoryId addCategory(CategoryId parent, std::string_view name);
  // Renames a category; an empty name keeps the old one.
  std::optional<CatalogRefusal> renameCategory(CategoryId id, std::string_view name);
  // Deletes a category with its sub-categories and all their entries. The top category is
  // refused. Nothing is refused for an unknown id: nothing happens.
  std::optional<CatalogRefusal> deleteCategory(CategoryId id);

  // Entries. `entry` and `text` are text forms; "same text" is exact, "same file" compares
  // the text before the disk name.
  // True when the category has an entry for the same file.
  bool containsFile(CategoryId category, std::string_view entry) const;
  // Removes every entry of the category with the same text; returns how many.
  std::size_t removeEntryText(CategoryId category, std::string_view text);
  // In every category that holds the same file, removes the entries with the same text.
  std::size_t removeEntryEverywhere(std::string_view entry);
  // findCategory, then removeEntryText.
  std::size_t removeEntryFrom(std::string_view categoryPath, std::string_view text);
  // Appends `text` unless the category has an entry with the same text; false when nothing
  // was added (also for a text the file could not hold, or an unknown category).
  bool addEntry(CategoryId category, std::string_view text);
  // When the texts differ: in every category, after each entry with the same text as
  // `source`, inserts `newText` unless the category already holds the same file. Returns the
  // number of insertions.
  std::size_t addEntryAfter(std::string_view source, std::string_view newText);
  // Replaces every occurrence of `oldText` by `newText` in every entry of every category;
  // returns the number of replacements. An entry the replacement would turn into something
  // the file cannot hold as an entry stays as it was and is not counted.
  std::size_t replaceInEntries(std::string_view oldText, std::string_view newText);
  // Replaces the entry with the text `oldText` in one category by `newText` (a category that
  // already holds `newText` just loses `oldText`); false when it has no such entry.
  bool replaceEntry(CategoryId category, std::string_view oldText, std::string_view newText);

  // Building the tree as a file lists it, without sorting or duplicate tests: a category as
  // the last child of `parent` (0: the last top-level one), an entry at the end of a list.
  // Names are taken as given. Returns the new id, 0 for an unknown parent.
  CategoryId appendCategory(CategoryId parent, std::string name);
  void appendEntry(CategoryId category, std::string text);

  // The file the catalog was last read from or saved to ("" for none).
  const std::string& filePath() const { return filePath_; }
  void setFilePath(std::string path) { filePath_ = std::move(path); }
  // Why saving is refused: the last read of the catalog file did not take all of it, and
  // saving would replace the file with less. Empty when saving is allowed.
  const std::string& saveRefusal() const { return saveRefusal_; }
  void refuseSaving(std::string reason) { saveRefusal_ = std::move(reason); }
  void allowSaving() { saveRefusal_.clear(); }

 private:
  Category* find(CategoryId id) const;
  std::vector<std::unique_ptr<Category>>& siblingsOf(Category& c);
  void unindex(const Category& c);
  template <class Fn>
  void forEachMutable(Fn&& fn);

  std::vector<std::unique_ptr<Category>> topLevel_;
  std::unordered_map<CategoryId, Category*> index_;
  std::string filePath_;
  std::string saveRefusal_;
};

}  // namespace lh
