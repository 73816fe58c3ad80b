#include "browser/app/folder_tree.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

#include "browser/app/catalog_tree_looks.h"
#include "browser/core/file_list_texts.h"
#include "browser/core/folder_checks.h"
#include "browser/core/folder_names.h"
#include "plugin/plugin_texts.h"

namespace lh {

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kNodeRole = Qt::UserRole + 1;
constexpr int kTickedRole = Qt::UserRole + 2;
constexpr int kFilledRole = Qt::UserRole + 3;

constexpr std::string_view kFolderCaption = "Folder";
constexpr std::string_view kNotCreated = "%s\nThe folder could not be created.";
constexpr std::string_view kNotRenamed = "%s\nThe folder could not be renamed.";
constexpr std::string_view kNotTrashed = "%s\nThe folder could not be moved to the trash.";
constexpr std::string_view kTrashQuestion = "%s\nSend this folder to the trash?";
constexpr std::string_view kDeleteFolderCaption = "Delete Folder";

std::string joinPath(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

FileItem plainItem(const QString& path) {
  const QFileInfo info(path);
  FileItem item;
  item.folder = toStd(info.absolutePath()) + "/";
  if (item.folder == "//") item.folder = "/";
  item.name = toStd(info.fileName());
  return item;
}
}  // namespace

BFolderTree::BFolderTree(DriveService& drives, SettingsStore& settings, QWidget* parent)
    : QTreeWidget(parent), drives_(drives), settings_(settings), ask_(messageBoxAsker(this)) {
  setColumnCount(1);
  header()->hide();
  setIconSize(QSize(kTickBoxSize, kTickBoxSize));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  connect(this, &QTreeWidget::itemExpanded, this, &BFolderTree::fillChildren);
  connect(this, &QTreeWidget::itemChanged, this, &BFolderTree::nameEdited);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item != nullptr) emit pathSelected(qs(pathOf(item)));
  });
  connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
    editing_ = false;
    const QSignalBlocker blocker(this);
    if (QTreeWidgetItem* item = currentItem()) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  });
  reloadDrives();
}

QTreeWidgetItem* BFolderTree::addNode(QTreeWidgetItem* parent, const QString& label, const std::string& path) {
  const QSignalBlocker blocker(this);
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, label);
  item->setData(0, kPathRole, qs(path));
  item->setData(0, kNodeRole, QVariant::fromValue<qulonglong>(nextNode_++));
  item->setIcon(0, tickIcon(TickLook::Clear));
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return item;
}

void BFolderTree::reloadDrives() {
  const QSignalBlocker blocker(this);
  clear();
  for (const DriveInfo& drive : drives_.drives()) {
    QString label = qs(drive.root);
    if (!drive.label.empty()) label += QStringLiteral(" (%1)").arg(qs(drive.label));
    addNode(nullptr, label, drive.root);
  }
}

void BFolderTree::fillChildren(QTreeWidgetItem* item) {
  if (item == nullptr || item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  const std::string path = pathOf(item);
  const QFileInfoList folders =
      QDir(qs(path)).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& folder : folders) addNode(item, folder.fileName(), joinPath(path, toStd(folder.fileName())));
  if (folders.isEmpty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

std::string BFolderTree::pathOf(const QTreeWidgetItem* item) const {
  return item ? toStd(item->data(0, kPathRole).toString()) : std::string();
}

FolderNodeId BFolderTree::nodeOf(const QTreeWidgetItem* item) const {
  return item ? item->data(0, kNodeRole).toULongLong() : 0;
}

bool BFolderTree::isTickedItem(const QTreeWidgetItem* item) const {
  return item != nullptr && item->data(0, kTickedRole).toBool();
}

std::string BFolderTree::selectedPath() const { return pathOf(currentItem()); }

QTreeWidgetItem* BFolderTree::findPath(const std::string& path) {
  QTreeWidgetItem* at = nullptr;
  std::size_t longest = 0;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const std::string root = pathOf(topLevelItem(i));
    const bool holds = path == root || root == "/" || (path.starts_with(root) && path[root.size()] == '/');
    if (holds && (at == nullptr || root.size() > longest)) {
      at = topLevelItem(i);
      longest = root.size();
    }
  }
  while (at != nullptr && pathOf(at) != path) {
    fillChildren(at);
    at->setExpanded(true);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < at->childCount() && next == nullptr; ++i) {
      const std::string child = pathOf(at->child(i));
      if (path == child || (path.starts_with(child) && path[child.size()] == '/')) next = at->child(i);
    }
    at = next;
  }
  return at;
}

// Ticks

void BFolderTree::setTicked(QTreeWidgetItem* item, bool ticked) {
  if (isTickedItem(item) == ticked) return;
  {
    const QSignalBlocker blocker(this);
    item->setData(0, kTickedRole, ticked);
    item->setIcon(0, tickIcon(ticked ? TickLook::All : TickLook::Clear));
  }
  if (ticked) {
    emit folderTicked(qs(pathOf(item)), nodeOf(item));
  } else {
    emit folderUnticked(nodeOf(item));
  }
}

void BFolderTree::setTickedBelow(QTreeWidgetItem* item, bool ticked) {
  setTicked(item, ticked);
  if (ticked) fillChildren(item);
  for (int i = 0; i < item->childCount(); ++i) {
    QTreeWidgetItem* child = item->child(i);
    // A link to a folder elsewhere could lead back up the tree: it is not followed.
    if (ticked && QFileInfo(qs(pathOf(child))).isSymLink()) continue;
    setTickedBelow(child, ticked);
  }
}

void BFolderTree::tickClick(QTreeWidgetItem* item, bool ctrl) {
  if (item == nullptr) return;
  const RunLock lock = runLock_ ? runLock_() : RunLock::None;
  if (lock == RunLock::Plugin) tell(ask_, kPluginRunning.caption, kPluginRunning.text, QMessageBox::Warning);
  if (lock != RunLock::None) return;
  const bool tick = !isTickedItem(item);
  if (tick && isLargeDrive(pathOf(item), drives_) &&
      !askYesNo(ask_, folder_text::kLargeDriveCaption, folder_text::kLargeDriveQuestion)) {
    return;
  }
  if (ctrl) {
    setEnabled(false);
    setTickedBelow(item, tick);
    setEnabled(true);
  } else {
    setTicked(item, tick);
  }
}

void BFolderTree::untickAll() {
  for (QTreeWidgetItemIterator it(this); *it; ++it) setTicked(*it, false);
}

void BFolderTree::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  QTreeWidgetItem* item = itemAt(pos);
  if (item != nullptr && event->button() == Qt::LeftButton) {
    const QRect rect = visualItemRect(item);
    if (pos.x() >= rect.left() && pos.x() < rect.left() + iconSize().width() + 6) {
      tickClick(item, event->modifiers() & Qt::ControlModifier);
      return;
    }
  }
  if (item != nullptr && event->button() == Qt::RightButton) setCurrentItem(item);
  QTreeWidget::mousePressEvent(event);
}

// The "DRIVE" menu

void BFolderTree::contextMenuEvent(QContextMenuEvent* event) {
  QTreeWidgetItem* item = itemAt(event->pos());
  if (item != nullptr) setCurrentItem(item);
  const bool folder = currentItem() != nullptr;
  const bool notRoot = folder && currentItem()->parent() != nullptr;
  QMenu menu(QStringLiteral("DRIVE"), this);
  menu.addAction(QStringLiteral("Name Removable Disks..."), this, &BFolderTree::nameDisksRequested);
  menu.addAction(QStringLiteral("Explore..."), this, &BFolderTree::explore)->setEnabled(folder);
  menu.addAction(QStringLiteral("New Folder"), this, &BFolderTree::newFolder)->setEnabled(folder);
  menu.addAction(QStringLiteral("Rename Folder"), this, &BFolderTree::renameFolder)->setEnabled(notRoot);
  QAction* remove = menu.addAction(QStringLiteral("Delete Folder"), this, &BFolderTree::deleteFolder);
  remove->setEnabled(notRoot);
  remove->setStatusTip(QStringLiteral("Send folder to the Recycle Bin."));
  menu.exec(event->globalPos());
}

void BFolderTree::explore() {
  if (currentItem() != nullptr) QDesktopServices::openUrl(QUrl::fromLocalFile(qs(selectedPath())));
}

QTreeWidgetItem* BFolderTree::newFolder() {
  QTreeWidgetItem* parent = currentItem();
  if (parent == nullptr) return nullptr;
  const std::string parentPath = pathOf(parent);
  const auto made = createNewFolder(parentPath);
  if (!made) {
    tell(ask_, kFolderCaption, texts::pathText(kNotCreated, joinPath(parentPath, std::string(texts::kNewFolder))),
         QMessageBox::Warning);
    return nullptr;
  }
  QTreeWidgetItem* item = nullptr;
  if (parent->data(0, kFilledRole).toBool()) {
    item = addNode(parent, QFileInfo(qs(*made)).fileName(), *made);
    parent->sortChildren(0, Qt::AscendingOrder);
  } else {
    fillChildren(parent);
    for (int i = 0; i < parent->childCount() && item == nullptr; ++i)
      if (pathOf(parent->child(i)) == *made) item = parent->child(i);
  }
  parent->setExpanded(true);
  setCurrentItem(item);
  renameFolder();
  return item;
}

void BFolderTree::renameFolder() {
  QTreeWidgetItem* item = currentItem();
  if (item == nullptr || item->parent() == nullptr) return;  // drive roots keep their names
  editing_ = true;
  {
    const QSignalBlocker blocker(this);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
  }
  setFocus();
  editItem(item, 0);
}

void BFolderTree::nameEdited(QTreeWidgetItem* item) {
  if (!editing_ || item->parent() == nullptr) return;
  editing_ = false;
  const std::string oldPath = pathOf(item);
  const std::string name = toStd(item->text(0).trimmed());
  const std::string newPath = joinPath(pathOf(item->parent()), name);
  const bool usable = !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
  if (newPath != oldPath) {
    if (usable && !QFileInfo::exists(qs(newPath)) && QDir().rename(qs(oldPath), qs(newPath))) {
      renamePaths(item, oldPath, newPath);
      return;
    }
    tell(ask_, kFolderCaption, texts::pathText(kNotRenamed, oldPath), QMessageBox::Warning);
  }
  const QSignalBlocker blocker(this);
  item->setText(0, QFileInfo(qs(oldPath)).fileName());
}

// A renamed folder's nodes take the new paths; ticked ones are listed again under them.
void BFolderTree::renamePaths(QTreeWidgetItem* item, const std::string& oldPath, const std::string& newPath) {
  const std::string path = newPath + pathOf(item).substr(oldPath.size());
  {
    const QSignalBlocker blocker(this);
    item->setData(0, kPathRole, qs(path));
  }
  if (isTickedItem(item)) {
    emit folderUnticked(nodeOf(item));
    emit folderTicked(qs(path), nodeOf(item));
  }
  for (int i = 0; i < item->childCount(); ++i) renamePaths(item->child(i), oldPath, newPath);
}

void BFolderTree::deleteFolder() {
  QTreeWidgetItem* item = currentItem();
  if (item == nullptr || item->parent() == nullptr) return;  // never a drive root
  const std::string path = pathOf(item);
  if (!askYesNo(ask_, kDeleteFolderCaption, texts::pathText(kTrashQuestion, path), QMessageBox::Warning)) return;
  if (!QFile::moveToTrash(qs(path))) {
    tell(ask_, kDeleteFolderCaption, texts::pathText(kNotTrashed, path), QMessageBox::Warning);
    return;
  }
  for (QTreeWidgetItemIterator it(item); *it && (*it == item || item->indexOfChild(*it) >= 0 ||
                                                 pathOf(*it).starts_with(path + "/"));
       ++it) {
    setTicked(*it, false);
  }
  delete item;
}

// Copies

ClashAnswer BFolderTree::askClash(const FileItem&, const std::string& target) {
  QMessageBox box(QMessageBox::Question, qs(texts::kClashCaption), qs(texts::pathText(texts::kClashQuestion, target)),
                  QMessageBox::NoButton, this);
  QPushButton* replace = box.addButton(qs(texts::kClashReplace), QMessageBox::AcceptRole);
  QPushButton* keepBoth = box.addButton(qs(texts::kClashKeepBoth), QMessageBox::AcceptRole);
  QPushButton* skip = box.addButton(qs(texts::kClashSkip), QMessageBox::RejectRole);
  box.addButton(QMessageBox::Cancel);
  box.exec();
  if (box.clickedButton() == replace) return ClashAnswer::Replace;
  if (box.clickedButton() == keepBoth) return ClashAnswer::KeepBoth;
  if (box.clickedButton() == skip) return ClashAnswer::Skip;
  return ClashAnswer::Cancel;
}

CopyRun BFolderTree::copyInto(QTreeWidgetItem* target, const std::vector<FileItem>& items) {
  if (target == nullptr) return {};
  return copyToFolder(pathOf(target), items);
}

CopyRun BFolderTree::copyToFolder(const std::string& folder, const std::vector<FileItem>& items) {
  if (folder.empty() || items.empty()) return {};
  const ClashQuestion ask =
      clash_ ? clash_ : [this](const FileItem& item, const std::string& to) { return askClash(item, to); };
  CopyRun run = copyItems(items, folder, ask);
  settings_.setString(kCopyFolderSection, kCopyFolderKey, folder);
  if (run.stop && run.stop->status == CopyStatus::Failed)
    tell(ask_, texts::kCopyFailedCaption, run.stop->error, QMessageBox::Warning);
  return run;
}

void BFolderTree::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() || (event->source() != nullptr && localItems_)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void BFolderTree::dragMoveEvent(QDragMoveEvent* event) {
  if (itemAt(event->position().toPoint()) == nullptr) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void BFolderTree::dropEvent(QDropEvent* event) {
  QTreeWidgetItem* target = itemAt(event->position().toPoint());
  if (target == nullptr) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  std::vector<FileItem> items;
  if (event->source() != nullptr && localItems_) {
    items = localItems_();
  } else {
    for (const QUrl& url : event->mimeData()->urls())
      if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) items.push_back(plainItem(url.toLocalFile()));
  }
  copyInto(target, items);
}

}  // namespace lh
