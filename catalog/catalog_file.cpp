#include "catalog/catalog_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "catalog/catalog_texts.h"
#include "design/attribute_list.h"
#include "design/emb_design.h"
#include "files/regular_file.h"
#include "files/save_file.h"

namespace lh {

namespace {

std::size_t leadingTabs(std::string_view line) {
  const auto n = line.find_first_not_of('\t');
  return n == std::string_view::npos ? line.size() : n;
}

// Splits the bytes into lines at LF and NUL; one CR before the line end goes with it.
class LineReader {
 public:
  explicit LineReader(std::span<const std::uint8_t> bytes)
      : text_(reinterpret_cast<const char*>(bytes.data()), bytes.size()) {}

  bool next(std::string_view& line) {
    if (at_ >= text_.size()) return false;
    std::size_t end = at_;
    while (end < text_.size() && text_[end] != '\n' && text_[end] != '\0') ++end;
    line = text_.substr(at_, end - at_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (end < text_.size() && text_[end] == '\0') ++nuls_;
    at_ = end + 1;
    return true;
  }
  std::size_t nuls() const { return nuls_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t nuls_ = 0;
};

// Places category lines: `open` holds the current category and its ancestors.
class TreeBuilder {
 public:
  explicit TreeBuilder(Catalog& catalog) : catalog_(catalog) {}

  void category(std::ptrdiff_t relativeDepth, std::string_view name) {
    const auto n = static_cast<std::ptrdiff_t>(open_.size()) - 1;  // current's depth
    const std::ptrdiff_t depth = open_.empty() ? 0 : std::clamp<std::ptrdiff_t>(relativeDepth, 0, n + 1);
    open_.resize(static_cast<std::size_t>(depth));
    const CategoryId parent = open_.empty() ? 0 : open_.back();
    open_.push_back(catalog_.appendCategory(parent, std::string(name)));
  }
  // False when there is no category yet.
  bool entry(std::string_view text) {
    if (open_.empty()) return false;
    catalog_.appendEntry(open_.back(), std::string(text));
    return true;
  }

 private:
  Catalog& catalog_;
  std::vector<CategoryId> open_;
};

// Whether a category line of `tabs` tabs and `name` reads back as that category.
bool readsBackAsCategory(std::size_t tabs, std::string_view name) {
  if (name.empty()) return false;
  if (tabs >= 2) return true;
  std::string line(tabs, '\t');
  line += name;
  return line.size() >= 2 && !isEntryLine(line);
}

std::string systemText(int error) { return std::generic_category().message(error); }

CatalogLoadResult refused(Catalog& catalog, CatalogLoadResult result, std::string reason) {
  catalog.refuseSaving(std::move(reason));
  return result;
}

// The whole file, or nothing with the reason in `result`.
std::optional<std::vector<std::uint8_t>> readWhole(int fd, CatalogLoadResult& result) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    result = {CatalogLoad::Unreadable, systemText(errno), {}};
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(st.st_size) > kMaxCatalogFileSize) {
    result = {CatalogLoad::TooLarge, {}, {}};
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  for (;;) {
    if (done == bytes.size()) bytes.resize(done + 4096);  // the file may have grown since
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result = {CatalogLoad::Unreadable, systemText(errno), {}};
      return std::nullopt;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
    if (done > kMaxCatalogFileSize) {
      result = {CatalogLoad::TooLarge, {}, {}};
      return std::nullopt;
    }
  }
  bytes.resize(done);
  return bytes;
}

// The file a save replaces: the target of a symbolic link, so the link stays.
std::string saveTarget(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(path, ec)) return path;
  const auto target = std::filesystem::canonical(path, ec);
  return ec ? path : target.string();
}

}  // namespace

Catalog readCatalog(std::span<const std::uint8_t> bytes, CatalogReadStats* stats) {
  Catalog catalog;
  TreeBuilder tree(catalog);
  LineReader lines(bytes);
  CatalogReadStats counted;
  std::string_view line;
  std::size_t base = 0;
  bool first = true;
  while (lines.next(line)) {
    if (first) base = leadingTabs(line);
    first = false;
    if (line.size() < 2) continue;
    if (isEntryLine(line)) {
      if (!tree.entry(line)) ++counted.droppedEntries;
      continue;
    }
    const std::size_t tabs = leadingTabs(line);
    if (tabs == line.size()) continue;  // tabs alone: an indented empty line
    tree.category(static_cast<std::ptrdiff_t>(tabs) - static_cast<std::ptrdiff_t>(base), line.substr(tabs));
  }
  counted.nulBytes = lines.nuls();
  if (stats) *stats = counted;
  return catalog;
}

std::string writeCatalog(const Catalog& catalog) {
  bool plain = true;
  std::size_t size = 0;
  catalog.forEach([&](const Category& c, const std::string&) {
    plain = plain && readsBackAsCategory(static_cast<std::size_t>(c.depth()), c.name());
    size += static_cast<std::size_t>(c.depth()) + c.name().size() + 4;
    for (const std::string& e : c.entries()) size += e.size() + 2;
  });
  const std::size_t extraTabs = plain ? 0 : 2;
  std::string out;
  out.reserve(size + (plain ? 0 : 2 * catalog.categoryCount()));
  catalog.forEach([&](const Category& c, const std::string&) {
    out.append(static_cast<std::size_t>(c.depth()) + extraTabs, '\t');
    out += c.name();
    out += "\r\n";
    for (const std::string& e : c.entries()) {
      out += e;
      out += "\r\n";
    }
  });
  return out;
}

std::optional<std::vector<std::uint8_t>> readCatalogBytes(const std::string& path,
                                                          CatalogLoadResult& result) {
  const OpenedFile file = openRegularFile(path);
  const int openError = errno;
  if (file.check == OpenCheck::Missing) {
    result = {CatalogLoad::Missing, {}, {}};
    return std::nullopt;
  }
  if (file.check != OpenCheck::Regular) {
    const std::string error =
        file.check == OpenCheck::NotRegular ? std::string(openCheckText(file.check)) : systemText(openError);
    result = {CatalogLoad::Unreadable, error, {}};
    return std::nullopt;
  }
  auto bytes = readWhole(file.fd, result);
  ::close(file.fd);
  if (bytes) result = {CatalogLoad::Loaded, {}, {}};
  return bytes;
}

CatalogLoadResult loadCatalogFile(Catalog& catalog, const std::string& path) {
  catalog.clear();
  catalog.setFilePath(path);
  if (!equalsNoCase(extensionOf(path), "QY"))
    return refused(catalog, {CatalogLoad::NotCatalog, {}, {}}, std::string(catalog_texts::kNotCatalogReason));
  CatalogLoadResult result;
  const auto bytes = readCatalogBytes(path, result);
  if (!bytes) {
    if (result.status == CatalogLoad::Missing) {
      catalog.allowSaving();
      return result;
    }
    const std::string reason = result.status == CatalogLoad::TooLarge
                                   ? std::string(catalog_texts::kTooLargeReason)
                                   : std::string(catalog_texts::kReadFailedReason) + result.error + ")";
    return refused(catalog, result, reason);
  }
  result = {CatalogLoad::Loaded, {}, {}};
  Catalog read = readCatalog(*bytes, &result.stats);
  read.setFilePath(path);
  catalog = std::move(read);
  if (result.stats.droppedEntries > 0)
    catalog.refuseSaving(std::to_string(result.stats.droppedEntries) +
                         std::string(catalog_texts::kDroppedReason));
  return result;
}

std::string replaceCatalogBytes(const std::string& path, std::string_view bytes) {
  const std::string target = saveTarget(path);
  std::optional<mode_t> mode;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
  std::optional<StagedFile> staged = StagedFile::create(target, mode);
  if (!staged) return systemText(errno);
  if (!staged->write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()})) {
    const int error = errno;
    staged->discard();
    return systemText(error);
  }
  if (!staged->replace(target)) return systemText(errno);
  return {};
}

CatalogSaveResult saveCatalogFile(Catalog& catalog, const std::string& path) {
  if (!catalog.saveRefusal().empty())
    return {false, std::string(catalog_texts::kSaveRefused) + catalog.saveRefusal()};
  const std::string error = replaceCatalogBytes(path, writeCatalog(catalog));
  if (!error.empty()) return {false, std::string(catalog_texts::kSaveFailed) + path + ": " + error};
  catalog.setFilePath(path);
  return {true, {}};
}

}  // namespace lh
