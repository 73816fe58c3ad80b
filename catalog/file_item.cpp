#include "catalog/file_item.h"

#include "design/emb_design.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

void splitPath(std::string_view path, FileItem& item) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) {
    item.name = std::string(path);
    return;
  }
  item.folder = std::string(path.substr(0, slash + 1));
  item.name = std::string(path.substr(slash + 1));
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string FileItem::location() const {
  return archive.empty() ? path() : makeZipPath(archive, path());
}

std::string_view FileItem::extension() const { return extensionOf(name); }

std::string FileItem::nameWithExtension(std::string_view ext) const {
  if (!ext.empty() && ext.front() == '.') ext.remove_prefix(1);
  const auto dot = name.rfind('.');
  std::string out = dot == std::string::npos ? name : name.substr(0, dot);
  out += '.';
  out += ext;
  return out;
}

std::string itemText(const FileItem& item) {
  std::string text = item.location();
  if (!item.extra.empty()) {
    text += '\t';
    text += item.extra;
  }
  return text;
}

FileItem parseItemText(std::string_view text) {
  FileItem item;
  const auto tab = text.find('\t');
  if (tab != std::string_view::npos) {
    item.extra = std::string(text.substr(tab + 1));
    text = text.substr(0, tab);
  }
  if (auto zip = splitZipPath(text)) {
    item.archive = std::move(zip->archive);
    splitPath(zip->member, item);
  } else {
    splitPath(text, item);
  }
  return item;
}

bool sameText(const FileItem& a, const FileItem& b) {
  return a.archive == b.archive && a.folder == b.folder && a.name == b.name && a.extra == b.extra;
}

bool sameFile(const FileItem& a, const FileItem& b) {
  return a.archive == b.archive && a.path() == b.path();
}

bool sameExtension(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

}  // namespace lh
