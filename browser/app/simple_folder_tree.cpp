#include "browser/app/simple_folder_tree.h"

#include <QDir>
#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QTimer>

namespace lh {

TickableFolderModel::TickableFolderModel(QObject* parent) : QFileSystemModel(parent) {
  setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  setRootPath(QDir::rootPath());
}

Qt::ItemFlags TickableFolderModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QFileSystemModel::flags(index);
  if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
  return f;
}

QVariant TickableFolderModel::data(const QModelIndex& index, int role) const {
  if (role == Qt::CheckStateRole && index.column() == 0) {
    return ticked_.contains(filePath(index)) ? Qt::Checked : Qt::Unchecked;
  }
  return QFileSystemModel::data(index, role);
}

bool TickableFolderModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || index.column() != 0) return QFileSystemModel::setData(index, value, role);
  return setTicked(filePath(index), value.toInt() == Qt::Checked);
}

bool TickableFolderModel::setTicked(const QString& folder, bool on) {
  const QString path = QDir::cleanPath(folder);
  if (on == ticked_.contains(path)) return false;
  if (on) {
    ticked_.insert(path);
  } else {
    ticked_.remove(path);
  }
  const QModelIndex i = index(path);
  if (i.isValid()) emit dataChanged(i, i, {Qt::CheckStateRole});
  emit folderTicked(path, on);
  return true;
}

SimpleFolderTree::SimpleFolderTree(QWidget* parent) : QTreeView(parent), model_(new TickableFolderModel(this)) {
  setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) hideColumn(c);
  header()->hide();
  // The model reads folders in the background: the way to a folder opens as it arrives.
  connect(model_, &QFileSystemModel::directoryLoaded, this, [this] { revealPending(); });
  connect(this, &QTreeView::clicked, this, [this] { pending_.clear(); });
}

void SimpleFolderTree::selectFolder(const QString& folder) {
  pending_ = QDir::cleanPath(folder);
  revealPending();
}

void SimpleFolderTree::revealPending() {
  if (pending_.isEmpty()) return;
  const QModelIndex i = model_->index(pending_);
  if (!i.isValid()) return;
  for (QModelIndex p = i.parent(); p.isValid(); p = p.parent()) expand(p);
  setCurrentIndex(i);
  // The rows just expanded are laid out later: scroll once they are.
  QTimer::singleShot(0, this, [this, index = QPersistentModelIndex(i)] {
    if (index.isValid()) scrollTo(index, QAbstractItemView::PositionAtCenter);
  });
}

bool SimpleFolderTree::folderShown() const {
  if (pending_.isEmpty()) return true;
  return model_->filePath(currentIndex()) == pending_ && viewport()->rect().intersects(visualRect(currentIndex()));
}

QString SimpleFolderTree::currentFolder() const {
  if (!pending_.isEmpty()) return pending_;
  const QModelIndex i = currentIndex();
  return i.isValid() ? model_->filePath(i) : QString();
}

}  // namespace lh
