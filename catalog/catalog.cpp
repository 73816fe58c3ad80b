#include "catalog/catalog.h"

#include <algorithm>
#include <atomic>

#include "catalog/catalog_texts.h"
#include "design/attribute_list.h"

namespace lh {

namespace {

// Ids come from one counter for the whole program, so no two catalogs (an old one and the
// one read in its place) ever share an id.
CategoryId nextCategoryId() {
  static std::atomic<CategoryId> counter{0};
  return ++counter;
}

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool lessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(foldAscii(x)) < static_cast<unsigned char>(foldAscii(y));
  });
}

bool holdsLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool hasText(const std::vector<std::string>& entries, std::string_view text) {
  return std::find(entries.begin(), entries.end(), text) != entries.end();
}

bool hasFile(const std::vector<std::string>& entries, std::string_view entry) {
  const std::string_view file = entryFileText(entry);
  return std::any_of(entries.begin(), entries.end(),
                     [&](const std::string& e) { return entryFileText(e) == file; });
}

std::size_t eraseText(std::vector<std::string>& entries, std::string_view text) {
  return std::erase_if(entries, [&](const std::string& e) { return e == text; });
}

// Replaces every `from` in `text` by `to`; returns how many.
std::size_t replaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::size_t count = 0;
  std::size_t at = text.find(from);
  if (at == std::string::npos) return 0;
  std::string out;
  std::size_t done = 0;
  for (; at != std::string::npos; at = text.find(from, at + from.size())) {
    out.append(text, done, at - done);
    out += to;
    done = at + from.size();
    ++count;
  }
  out.append(text, done, std::string::npos);
  text = std::move(out);
  return count;
}

}  // namespace

bool isEntryLine(std::string_view line) {
  if (line.size() >= 2 && line[1] == ':') return true;
  if (!line.empty() && line.front() == '/') return true;
  return line.size() >= 4 && equalsNoCase(line.substr(0, 4), "Zip:");
}

bool isStorableCategoryName(std::string_view name) {
  return !name.empty() && name.front() != '\t' && !holdsLineBreakOrNul(name);
}

bool isStorableEntry(std::string_view text) { return isEntryLine(text) && !holdsLineBreakOrNul(text); }

std::string_view entryFileText(std::string_view text) { return text.substr(0, text.find('\t')); }

std::string joinCategoryPath(std::string_view path, std::string_view name) {
  std::string out(path);
  if (!out.empty() && out.back() != '\\') out += '\\';
  out += name;
  return out;
}

int Category::depth() const {
  int d = 0;
  for (const Category* p = parent_; p; p = p->parent_) ++d;
  return d;
}

Catalog Catalog::fresh() {
  Catalog catalog;
  catalog.appendCategory(0, std::string(catalog_texts::kTopCategoryName));
  return catalog;
}

void Catalog::clear() {
  topLevel_.clear();
  index_.clear();
}

Category* Catalog::find(CategoryId id) const {
  const auto it = index_.find(id);
  return it == index_.end() ? nullptr : it->second;
}

const Category* Catalog::category(CategoryId id) const { return find(id); }

std::size_t Catalog::entryCount() const {
  std::size_t n = 0;
  for (const auto& [id, c] : index_) n += c->entries_.size();
  return n;
}

namespace {

void visitDepthFirst(const Category& c, std::string& path,
                     const std::function<void(const Category&, const std::string&)>& visit) {
  const std::size_t mark = path.size();
  path = joinCategoryPath(path, c.name());
  visit(c, path);
  for (std::size_t i = 0; i < c.childCount(); ++i) visitDepthFirst(c.child(i), path, visit);
  path.resize(mark);
}

}  // namespace

void Catalog::forEach(const std::function<void(const Category&, const std::string&)>& visit) const {
  std::string path;
  for (const auto& top : topLevel_) visitDepthFirst(*top, path, visit);
}

template <class Fn>
void Catalog::forEachMutable(Fn&& fn) {
  // Categories are never added or removed while entries change, so the const walk may hand
  // out the categories it reaches for changing.
  forEach([&](const Category& c, const std::string&) { fn(*find(c.id())); });
}

std::vector<CategoryId> Catalog::depthFirst() const {
  std::vector<CategoryId> ids;
  ids.reserve(index_.size());
  forEach([&](const Category& c, const std::string&) { ids.push_back(c.id()); });
  return ids;
}

std::string Catalog::pathOf(CategoryId id) const {
  const Category* c = find(id);
  if (!c) return {};
  std::vector<const Category*> chain;
  for (; c; c = c->parent_) chain.push_back(c);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) path = joinCategoryPath(path, (*it)->name_);
  return path;
}

CategoryId Catalog::findCategory(std::string_view path) const {
  CategoryId found = 0;
  forEach([&](const Category& c, const std::string& p) {
    if (found == 0 && p == path) found = c.id();
  });
  return found;
}

CategoryId Catalog::appendCategory(CategoryId parent, std::string name) {
  Category* p = parent == 0 ? nullptr : find(parent);
  if (parent != 0 && !p) return 0;
  auto c = std::make_unique<Category>();
  c->id_ = nextCategoryId();
  c->name_ = std::move(name);
  c->parent_ = p;
  const CategoryId id = c->id_;
  index_.emplace(id, c.get());
  (p ? p->children_ : topLevel_).push_back(std::move(c));
  return id;
}

void Catalog::appendEntry(CategoryId category, std::string text) {
  if (Category* c = find(category)) c->entries_.push_back(std::move(text));
}

CategoryId Catalog::addCategory(CategoryId parent, std::string_view name) {
  if (!isStorableCategoryName(name)) return 0;
  const CategoryId id = appendCategory(parent, std::string(name));
  if (id == 0 || parent == 0) return id;
  auto& children = find(parent)->children_;
  std::stable_sort(children.begin(), children.end(),
                   [](const auto& a, const auto& b) { return lessNoCase(a->name_, b->name_); });
  return id;
}

std::optional<CatalogRefusal> Catalog::renameCategory(CategoryId id, std::string_view name) {
  Category* c = find(id);
  if (!c || name.empty()) return std::nullopt;
  if (!isStorableCategoryName(name))
    return CatalogRefusal{std::string(catalog_texts::kBadCategoryName),
                          std::string(catalog_texts::kBadCategoryNameCaption)};
  c->name_ = std::string(name);
  return std::nullopt;
}

std::vector<std::unique_ptr<Category>>& Catalog::siblingsOf(Category& c) {
  return c.parent_ ? c.parent_->children_ : topLevel_;
}

void Catalog::unindex(const Category& c) {
  index_.erase(c.id_);
  for (const auto& child : c.children_) unindex(*child);
}

std::optional<CatalogRefusal> Catalog::deleteCategory(CategoryId id) {
  if (id != 0 && id == topCategory())
    return CatalogRefusal{std::string(catalog_texts::kKeepTopCategory),
                          std::string(catalog_texts::kKeepTopCategoryCaption)};
  Category* c = find(id);
  if (!c) return std::nullopt;
  unindex(*c);
  std::erase_if(siblingsOf(*c), [c](const auto& s) { return s.get() == c; });
  return std::nullopt;
}

bool Catalog::containsFile(CategoryId category, std::string_view entry) const {
  const Category* c = find(category);
  return c && hasFile(c->entries_, entry);
}

std::size_t Catalog::removeEntryText(CategoryId category, std::string_view text) {
  Category* c = find(category);
  return c ? eraseText(c->entries_, text) : 0;
}

std::size_t Catalog::removeEntryEverywhere(std::string_view entry) {
  std::size_t removed = 0;
  forEachMutable([&](Category& c) {
    if (hasFile(c.entries_, entry)) removed += eraseText(c.entries_, entry);
  });
  return removed;
}

std::size_t Catalog::removeEntryFrom(std::string_view categoryPath, std::string_view text) {
  return removeEntryText(findCategory(categoryPath), text);
}

bool Catalog::addEntry(CategoryId category, std::string_view text) {
  Category* c = find(category);
  if (!c || !isStorableEntry(text) || hasText(c->entries_, text)) return false;
  c->entries_.emplace_back(text);
  return true;
}

std::size_t Catalog::addEntryAfter(std::string_view source, std::string_view newText) {
  if (source == newText || !isStorableEntry(newText)) return 0;
  std::size_t added = 0;
  forEachMutable([&](Category& c) {
    auto& entries = c.entries_;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i] != source || hasFile(entries, newText)) continue;
      entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::string(newText));
      ++added;
    }
  });
  return added;
}

std::size_t Catalog::replaceInEntries(std::string_view oldText, std::string_view newText) {
  if (oldText.empty()) return 0;
  std::size_t count = 0;
  for (const auto& [id, c] : index_) {
    for (std::string& entry : c->entries_) {
      if (entry.find(oldText) == std::string::npos) continue;
      std::string changed = entry;
      const std::size_t n = replaceAll(changed, oldText, newText);
      if (!isStorableEntry(changed)) continue;
      entry = std::move(changed);
      count += n;
    }
  }
  return count;
}

bool Catalog::replaceEntry(CategoryId category, std::string_view oldText, std::string_view newText) {
  Category* c = find(category);
  if (!c || !isStorableEntry(newText)) return false;
  auto& entries = c->entries_;
  const auto it = std::find(entries.begin(), entries.end(), oldText);
  if (it == entries.end()) return false;
  if (oldText == newText) return true;
  if (hasText(entries, newText))
    eraseText(entries, oldText);
  else
    *it = std::string(newText);
  return true;
}

}  // namespace lh
