// The left panes of the main window: the folder tree and the catalog tree, what their ticks
// put into the file list, and naming removable disks.
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <span>

#include "browser/app/browser_view.h"
#include "browser/app/catalog_tree.h"
#include "browser/app/dialogs_catalog.h"
#include "browser/app/folder_tree.h"
#include "browser/app/main_frame.h"
#include "catalog/disk_naming.h"
#include "tools/setting_keys.h"

namespace lh {

void CMainFrame::buildLeftPanes() {
  folders_ = new BFolderTree(*drives_, store_, tabs_);
  categories_ = new BCatalogTree(catalog_, store_, dataFolder_, *drives_, tabs_);
  tabs_->addTab(folders_, "Browse");
  tabs_->addTab(categories_, "Catalog");
}

// Called once the catalog is loaded: from here on the trees' signals reach the list.
void CMainFrame::wireTrees() {
  setAsker(messageBoxAsker(this));
  const auto lock = [this] { return runLock(); };
  const auto selected = [this] { return view_->fileList().selectedItems(); };
  folders_->setRunLock(lock);
  folders_->setLocalItems(selected);
  categories_->setRunLock(lock);
  categories_->setLocalItems(selected);
  categories_->setTemporaryFolder(readSetting(store_, kWorkspaceDirectory));
  categories_->setDiskNamer([this] { return nameDisks(); });
  connect(folders_, &BFolderTree::folderTicked, this, &CMainFrame::folderTicked);
  connect(folders_, &BFolderTree::folderUnticked, this, &CMainFrame::folderUnticked);
  connect(folders_, &BFolderTree::nameDisksRequested, this, &CMainFrame::nameDisks);
  // Once the user picks another folder, the one asked for at start no longer matters.
  connect(folders_, &BFolderTree::pathSelected, this, [this](const QString& path) {
    if (toStd(path) != pendingFolder_) pendingFolder_.clear();
  });
  connect(categories_, &BCatalogTree::categoryTicked, this, &CMainFrame::categoryTicked);
  connect(categories_, &BCatalogTree::categoryUnticked, this, &CMainFrame::categoryUnticked);
  connect(categories_, &BCatalogTree::statusText, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  connect(categories_, &BCatalogTree::selectAllRequested, this, &CMainFrame::selectAllItems);
}

void CMainFrame::setAsker(Asker ask) {
  ask_ = ask;
  folders_->setAsker(ask);
  categories_->setAsker(std::move(ask));
}

RunLock CMainFrame::runLock() const {
  if (runState_.pluginRunning()) return RunLock::Plugin;
  return runState_.toolRunning() ? RunLock::Tool : RunLock::None;
}

// Folders and categories are never listed together: a tick of one kind clears the other's.
void CMainFrame::folderTicked(const QString& path, quint64 node) {
  if (!tickedCategories_.empty()) categories_->untickAll();
  tickedFolders_.insert(node);
  view_->fileList().addFolder(node, toStd(path), viewedTypes_, drives_.get());
  view_->listChanged();
}

void CMainFrame::folderUnticked(quint64 node) {
  tickedFolders_.erase(node);
  view_->fileList().removeFolder(node);
  view_->listChanged();
}

void CMainFrame::categoryTicked(CategoryId id) {
  if (!tickedFolders_.empty()) {
    folders_->untickAll();
    view_->fileList().clear();
  }
  const Category* category = catalog_.category(id);
  if (category == nullptr) return;
  tickedCategories_.insert(id);
  for (const std::string& entry : category->entries()) {
    FileItem item = parseItemText(entry);
    item.treeItem = id;
    view_->fileList().append(std::move(item));
  }
  view_->listChanged();
}

void CMainFrame::categoryUnticked(CategoryId id) {
  tickedCategories_.erase(id);
  view_->fileList().removeFolder(id);
  view_->listChanged();
}

// Expands the way to the folder and makes it current; it scrolls into view once the rows
// just opened are laid out.
void CMainFrame::selectFolder(const std::string& path) {
  QTreeWidgetItem* item = folders_->findPath(path);
  if (item == nullptr) return;
  pendingFolder_ = path;
  folders_->setCurrentItem(item);
  QTimer::singleShot(0, folders_, [this, path] {
    QTreeWidgetItem* now = folders_->findPath(path);
    if (now != nullptr) folders_->scrollToItem(now, QAbstractItemView::PositionAtCenter);
  });
}

bool CMainFrame::nameDisks() {
  const FileList& list = view_->fileList();
  const std::optional<std::size_t> first = list.firstSelected();
  NameDiskDialog dialog(*drives_, ask_, first ? list[*first].location() : std::string(), this);
  if (dialog.exec() != QDialog::Accepted || !dialog.named()) return false;
  const DiskNamed& named = *dialog.named();
  FileList& items = view_->fileList();
  const std::span<FileItem> all =
      items.empty() ? std::span<FileItem>() : std::span<FileItem>(&items[0], items.size());
  applyDiskName(all, catalog_, named.root, named.oldLabel, named.newLabel);
  catalogChanged();
  return true;
}

void CMainFrame::catalogChanged() {
  categories_->save();
  view_->listChanged();
}

}  // namespace lh
