// The Edit menu's commands and the grid's context menu: thin calls into the file-list and
// catalog cores with their questions and dialogs.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>

#include "browser/app/browser_view.h"
#include "browser/app/catalog_tree.h"
#include "browser/app/dialogs_catalog.h"
#include "browser/app/folder_tree.h"
#include "browser/app/main_frame.h"
#include "browser/app/single_view.h"
#include "browser/core/file_copy.h"
#include "browser/core/file_list_texts.h"
#include "browser/core/file_rename.h"
#include "catalog/catalog_links.h"
#include "catalog/catalog_texts.h"

namespace lh {

namespace ct = catalog_texts;

namespace {
constexpr int kCatalogTab = 1;
}  // namespace

void CMainFrame::addCommand(QMenu* menu, GridCommand c, const QString& text, void (CMainFrame::*run)()) {
  commands_[c] = menu->addAction(text, this, run);
}

void CMainFrame::selectAllItems() {
  view_->fileList().selectAll();
  view_->selectionChanged();
}

void CMainFrame::buildEditMenu(QMenu* edit) {
  addCommand(edit, GridCommand::SelectAll, "Select &All", &CMainFrame::selectAllItems);
  edit->addSeparator();
  addCommand(edit, GridCommand::CopyTo, "Copy to...", &CMainFrame::copySelectedTo);
  addCommand(edit, GridCommand::SendToRemovable, qs(texts::kSendToFloppy),
             &CMainFrame::sendSelectedToRemovable);
  commands_[GridCommand::SendToRemovable]->setStatusTip(
      "Copy the selected files to the first mounted removable disk.");
  deleteFiles_ = edit->addAction("Delete selected files...", this, &CMainFrame::deleteSelectedFiles);
  addCommand(edit, GridCommand::RenameFile, "Rename File...", &CMainFrame::renameSelectedFile);
  edit->addSeparator();
  addCommand(edit, GridCommand::DeleteCatalogEntries, "Delete Catalog Entries...",
             &CMainFrame::deleteCatalogEntries);
  commands_[GridCommand::DeleteCatalogEntries]->setStatusTip("Edit catalog entries on selected item.");
  addCommand(edit, GridCommand::FindFile, "Find File...", &CMainFrame::findMovedFile);
  edit->addAction("Name Removable Disks...", this, &CMainFrame::nameDisks);
  edit->addSeparator();
  // The category commands work on the catalog tree, which comes to the front first.
  const auto onCatalog = [this](void (BCatalogTree::*run)()) {
    return [this, run] {
      tabs_->setCurrentIndex(kCatalogTab);
      (categories_->*run)();
    };
  };
  edit->addAction("New Category...", this, onCatalog(&BCatalogTree::newCategory));
  edit->addAction("Edit Category Name...", this, onCatalog(&BCatalogTree::editCategoryName));
  edit->addAction("Delete Category...", this, onCatalog(&BCatalogTree::deleteCategory));
  connect(edit, &QMenu::aboutToShow, this, &CMainFrame::updateCommands);

  // Also in the Tools menu, which runs it (main_frame_tools.cpp).
  commands_[GridCommand::ConvertOnTheFly] = new QAction("Convert to On-The-Fly Setting", this);

  connect(view_, &CBrowserView::gridMenuWanted, this, &CMainFrame::showGridMenu);
  auto* del =
      new QShortcut(QKeySequence(Qt::Key_Delete), view_, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
  connect(del, &QShortcut::activated, this, &CMainFrame::postDeleteKey);
}

void CMainFrame::updateCommands() {
  const FileList& list = view_->fileList();
  const std::size_t n = list.selectionCount();
  const std::optional<std::size_t> first = list.firstSelected();
  const bool locked = runState_.toolRunning();
  const bool missing = first && !entryExists(list[*first]);
  command(GridCommand::SelectAll)->setEnabled(!list.empty());
  command(GridCommand::CopyTo)->setEnabled(n > 0);
  command(GridCommand::SendToRemovable)->setEnabled(n > 0);
  deleteFiles_->setEnabled(n > 0 && !locked);
  command(GridCommand::RenameFile)->setEnabled(n == 1 && !missing && !locked);
  command(GridCommand::DeleteCatalogEntries)->setEnabled(n > 0 && !locked);
  command(GridCommand::FindFile)->setEnabled(first && missing && isCategoryItem(list[*first]) && !locked);
  updateToolCommands();
}

std::unique_ptr<QMenu> CMainFrame::gridMenuFor(qint64 index) {
  updateCommands();
  const FileList& list = view_->fileList();
  GridMenuClick click;
  click.selected = list.selectionCount();
  if (index >= 0 && static_cast<std::size_t>(index) < list.size()) {
    const FileItem& item = list[static_cast<std::size_t>(index)];
    click.onCell = true;
    click.missing = !entryExists(item);
    const int k = static_cast<int>(index - view_->firstShown());
    click.readNormally =
        k >= 0 && k < view_->shownCells() && view_->cell(k)->pictureKind() == CellPicture::Design;
  }
  auto menu = std::make_unique<QMenu>(this);
  for (const GridCommand c : gridMenu(click)) menu->addAction(command(c));
  return menu;
}

void CMainFrame::showGridMenu(qint64 index, const QPoint& globalPos) { gridMenuFor(index)->exec(globalPos); }

// The Delete key posts the delete command of the tree that is shown.
void CMainFrame::postDeleteKey() {
  QTimer::singleShot(0, this, [this] {
    if (tabs_->currentIndex() == kCatalogTab) {
      deleteCatalogEntries();
    } else {
      deleteSelectedFiles();
    }
  });
}

void CMainFrame::deleteSelectedFiles() {
  FileList& list = view_->fileList();
  if (runState_.toolRunning() || !confirmDelete(ask_, list.selectionCount())) return;
  std::size_t entries = 0;
  const TrashFunction trash =
      trash_ ? trash_ : [](const std::string& path) { return QFile::moveToTrash(qs(path)); };
  const DeleteResult result = lh::deleteSelected(
      list, trash, [&](const std::string& text) { entries += catalog_.removeEntryEverywhere(text); });
  if (entries > 0) categories_->save();
  view_->listChanged();
  if (!result.failed.empty())
    tell(ask_, texts::kDeleteCaption, deleteFailedText(result), QMessageBox::Warning);
}

void CMainFrame::copySelectedTo() {
  const std::vector<FileItem> items = view_->fileList().selectedItems();
  if (items.empty()) return;
  std::string start = store_.getString(kCopyFolderSection, kCopyFolderKey, "");
  if (start.empty()) start = toStd(QDir::homePath());
  const auto folder = pickFolder_ ? pickFolder_(start) : pickFolder(this, *drives_, ask_, start);
  if (!folder) return;
  const CopyRun run = folders_->copyToFolder(*folder, items);
  tell(ask_, texts::kCopiedCaption, texts::copiedText(run.copied));
}

void CMainFrame::sendSelectedToRemovable() {
  const std::vector<FileItem> items = view_->fileList().selectedItems();
  if (items.empty()) return;
  const auto medium = removableMediumFolder(*drives_);
  if (!medium) {
    tell(ask_, texts::kNoRemovableCaption, texts::kNoRemovable, QMessageBox::Warning);
    return;
  }
  folders_->copyToFolder(*medium, items);
}

void CMainFrame::renameSelectedFile() {
  FileList& list = view_->fileList();
  const std::optional<std::size_t> first = list.firstSelected();
  if (!first || runState_.toolRunning()) return;
  const std::string oldName = list[*first].name;
  const auto typed = askName_ ? askName_(oldName) : askNewName(this, oldName);
  if (!typed) return;
  std::size_t entries = 0;
  const RenameResult result = renameSelected(list, *typed, typeChangeQuestion(ask_),
                                             [&](const FileItem& before, const FileItem& after) {
                                               entries = renameEntries(catalog_, before, after);
                                             });
  if (result.status == RenameStatus::Refused || result.status == RenameStatus::Failed) {
    tell(ask_, result.caption, result.message, QMessageBox::Warning);
    return;
  }
  if (entries > 0) categories_->save();
  view_->listChanged();
}

void CMainFrame::deleteCatalogEntries() {
  FileList& list = view_->fileList();
  const std::size_t n = list.selectionCount();
  if (n == 0 || runState_.toolRunning()) return;
  if (n > 1) {
    if (!askYesNo(ask_, ct::kDeleteEntriesCaption, ct::kDeleteEntriesOfMany)) return;
    for (const FileItem& item : list.selectedItems()) catalog_.removeEntryEverywhere(itemText(item));
    list.removeAt(list.selectedIndexes());
    catalogChanged();
    return;
  }
  const std::size_t index = *list.firstSelected();
  const FileItem item = list[index];
  const std::vector<std::string> paths = catalogEntryPaths(catalog_, item);
  if (paths.empty()) {
    tell(ask_, ct::kNotCatalogedCaption, std::string(ct::kNotCataloged) + "\n" + item.location());
    return;
  }
  CatalogEntriesDialog dialog(item.location(), paths, this);
  if (dialog.exec() != QDialog::Accepted) return;
  bool listedThere = false;
  for (const std::string& path : dialog.removed()) {
    removeItemEntries(catalog_, path, item);
    listedThere = listedThere || (isCategoryItem(item) && catalog_.pathOf(item.treeItem) == path);
  }
  // The item leaves the list when the category that listed it no longer holds it.
  if (listedThere) list.removeAt(std::span<const std::size_t>(&index, 1));
  catalogChanged();
}

void CMainFrame::findMovedFile() {
  FileList& list = view_->fileList();
  const std::optional<std::size_t> first = list.firstSelected();
  if (!first || runState_.toolRunning()) return;
  const FileItem missing = list[*first];
  const FindFilePickers pick = findPickers_ ? *findPickers_ : dialogPickers(this, *drives_, ask_);
  const std::optional<FileItem> found = locateMovedFile(missing, ask_, pick);
  if (!found) return;
  const std::vector<CatalogRelink> changes =
      followMovedFile(catalog_, missing.treeItem, missing, *found, ask_);
  // Listed items and their cells follow the entries to the new places.
  for (std::size_t i = 0; i < list.size(); ++i) {
    for (const CatalogRelink& change : changes) {
      if (list[i].treeItem != change.category || itemText(list[i]) != change.oldText) continue;
      FileItem moved = parseItemText(change.newText);
      moved.treeItem = list[i].treeItem;
      moved.isSelected = list[i].isSelected;
      moved.isAnchor = list[i].isAnchor;
      list[i] = std::move(moved);
      break;
    }
  }
  catalogChanged();
}

}  // namespace lh
