#include "browser/app/dialogs_find.h"

#include <QFileDialog>
#include <QFileInfo>

#include "browser/core/file_list_texts.h"
#include "catalog/catalog_texts.h"

namespace lh {

namespace {

std::string lower(std::string_view text) {
  return toStd(qs(text).toLower());
}

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

// The member `missing` would be in `archive`: its own member path, or its name at the top.
std::optional<FileItem> findInArchive(const FileItem& missing, const Asker& ask, const FindFilePickers& pick) {
  while (true) {
    const auto archive = pick.zip(entryFolder(missing));
    if (!archive) return std::nullopt;
    FileItem moved;
    moved.archive = *archive;
    moved.folder = missing.isArchiveMember() ? missing.folder : std::string();
    moved.name = missing.name;
    if (entryExists(moved)) return moved;
    if (!askYesNo(ask, find_text::kNotFoundCaption, find_text::kNotInZip)) return std::nullopt;
  }
}

enum class Picked { Found, Again, None };

Picked pickFile(const FileItem& missing, const Asker& ask, const FindFilePickers& pick, FileItem& found) {
  const auto path = pick.file(missing.isArchiveMember() ? entryFolder(missing) + "/" + missing.name : missing.path(),
                              std::string(missing.extension()));
  if (!path) return Picked::None;
  found = FileItem{};
  found.folder = folderOf(*path);
  if (found.folder != "/") found.folder += "/";
  found.name = path->substr(path->find_last_of('/') + 1);
  if (lower(found.name) == lower(missing.name)) return Picked::Found;
  const std::string question = std::string(find_text::kDifferFirst) + missing.name +
                               std::string(find_text::kDifferMiddle) + found.name + std::string(find_text::kDifferLast);
  if (askYesNo(ask, find_text::kDifferCaption, question)) return Picked::Found;
  return askYesNo(ask, find_text::kAgainCaption, find_text::kAgain) ? Picked::Again : Picked::None;
}

}  // namespace

FindFilePickers dialogPickers(QWidget* parent, const DriveService& drives, const Asker& ask) {
  FindFilePickers pick;
  pick.folder = [parent, &drives, ask](const std::string& start) { return pickFolder(parent, drives, ask, start); };
  pick.zip = [parent](const std::string& start) -> std::optional<std::string> {
    const QString path = QFileDialog::getOpenFileName(parent, {}, qs(start), QStringLiteral("Zip File: (*.zip)"));
    if (path.isEmpty()) return std::nullopt;
    return toStd(path);
  };
  pick.file = [parent](const std::string& start, const std::string& ext) -> std::optional<std::string> {
    const QString filter = QStringLiteral("Missing File: (*.%1);;(*.*)").arg(qs(ext));
    const QString path = QFileDialog::getOpenFileName(parent, QStringLiteral("Missing File:"), qs(start), filter);
    if (path.isEmpty()) return std::nullopt;
    return toStd(path);
  };
  return pick;
}

std::optional<FileItem> locateMovedFile(const FileItem& missing, const Asker& ask, const FindFilePickers& pick) {
  while (true) {
    const auto how = ask(Question{QMessageBox::Question, qs(find_text::kCaption), qs(find_text::kAutomatic),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel});
    if (how == QMessageBox::Cancel) return std::nullopt;
    if (how == QMessageBox::Yes) {
      const auto folder = pick.folder(entryFolder(missing));
      if (!folder) return std::nullopt;
      return findInFolder(*folder, missing.name);
    }
    const bool zip = missing.isArchiveMember()
                         ? askYesNo(ask, find_text::kFindZipCaption,
                                    texts::pathText(find_text::kWasInZip,
                                                    toStd(QFileInfo(qs(missing.archive)).fileName())))
                         : askYesNo(ask, find_text::kZipCaption, find_text::kMovedToZip);
    if (zip) return findInArchive(missing, ask, pick);
    FileItem found;
    switch (pickFile(missing, ask, pick, found)) {
      case Picked::Found:
        return found;
      case Picked::None:
        return std::nullopt;
      case Picked::Again:
        break;
    }
  }
}

std::vector<CatalogRelink> followMovedFile(Catalog& catalog, CategoryId category, const FileItem& missing,
                                           const FileItem& found, const Asker& ask) {
  std::vector<CatalogRelink> changes;
  if (!relinkEntry(catalog, category, missing, found)) return changes;
  changes.push_back(CatalogRelink{category, itemText(missing), itemText(found)});
  if (!askYesNo(ask, catalog_texts::kLookForMoreCaption, catalog_texts::kLookForMore)) return changes;
  const auto more = relinkMissing(catalog, entryFolder(found), entryFolder(missing));
  changes.insert(changes.end(), more.begin(), more.end());
  tell(ask, catalog_texts::kLinksUpdatedCaption, texts::countText(catalog_texts::kLinksUpdated, more.size()));
  return changes;
}

}  // namespace lh
