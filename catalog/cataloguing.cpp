#include "catalog/cataloguing.h"

#include <filesystem>
#include <optional>

#include "catalog/catalog_texts.h"
#include "files/paths.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

std::string absolutePath(std::string_view path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), ec);
  if (ec) return std::string(path);
  return absolute.lexically_normal().string();
}

std::string withReason(bool someAdded, std::string_view reason) {
  std::string text = someAdded ? std::string(catalog_texts::kSomeCatalogued) : std::string();
  return text + std::string(reason);
}

}  // namespace

std::string absoluteLocation(std::string_view location) {
  if (const auto zip = splitZipPath(location)) return makeZipPath(absolutePath(zip->archive), zip->member);
  return absolutePath(location);
}

CatalogCandidate catalogCandidate(std::string_view location, const DriveService& drives,
                                  std::string_view temporaryFolder) {
  CatalogCandidate c;
  c.item = parseItemText(absoluteLocation(location));
  const std::string file = c.item.isArchiveMember() ? c.item.archive : c.item.path();
  if (!temporaryFolder.empty() && liesIn(file, absolutePath(temporaryFolder))) {
    c.refused = CatalogRefusalKind::Temporary;
    return c;
  }
  if (const std::optional<std::string> disk = diskNameOf(drives, file)) {
    c.item.extra = *disk;
    if (disk->empty()) c.refused = CatalogRefusalKind::Unnamed;
  }
  return c;
}

CataloguingResult catalogueInto(Catalog& catalog, CategoryId category,
                                std::span<const CatalogCandidate> candidates) {
  CataloguingResult result;
  for (const CatalogCandidate& c : candidates) {
    const std::string text = itemText(c.item);
    switch (c.refused) {
      case CatalogRefusalKind::Temporary:
        result.temporary.push_back(c.item.location());
        break;
      case CatalogRefusalKind::Unnamed:
        result.unnamed.push_back(c.item.location());
        break;
      case CatalogRefusalKind::None:
        (catalog.addEntry(category, text) ? result.added : result.present).push_back(text);
        break;
    }
  }
  return result;
}

std::vector<CatalogRefusal> refusalMessages(const CataloguingResult& result, bool askToName) {
  const bool someAdded = !result.added.empty();
  std::vector<CatalogRefusal> messages;
  if (!result.unnamed.empty()) {
    std::string reason(catalog_texts::kUnnamedDisk);
    if (askToName) reason += catalog_texts::kNameDiskQuestion;
    messages.push_back({withReason(someAdded, reason), std::string(catalog_texts::kUnnamedDiskCaption)});
  }
  if (!result.temporary.empty())
    messages.push_back({withReason(someAdded, catalog_texts::kTemporaryFiles),
                        std::string(catalog_texts::kTemporaryFilesCaption)});
  return messages;
}

CatalogFollower::CatalogFollower(Catalog& catalog, const DriveService& drives, std::string temporaryFolder)
    : catalog_(catalog), drives_(drives), temporaryFolder_(std::move(temporaryFolder)) {}

void CatalogFollower::fileCreated(const std::string& source, const std::string& created) {
  const CatalogCandidate made = catalogCandidate(created, drives_, temporaryFolder_);
  if (made.refused != CatalogRefusalKind::None) return;
  const CatalogCandidate from = catalogCandidate(source, drives_, {});
  insertions_ += catalog_.addEntryAfter(itemText(from.item), itemText(made.item));
}

std::function<void(const std::string&, const std::string&)> CatalogFollower::callback() {
  return [this](const std::string& source, const std::string& created) { fileCreated(source, created); };
}

}  // namespace lh
