#pragma once
// A plain folder tree with a tick box on every folder: ticking lists the folder, clearing it
// takes its files out again. It stands in the "Browse" tab until the full folder tree (drives,
// Ctrl for sub-folders, the folder commands) takes its place.
#include <QFileSystemModel>
#include <QSet>
#include <QTreeView>

namespace lh {

class TickableFolderModel : public QFileSystemModel {
  Q_OBJECT

 public:
  explicit TickableFolderModel(QObject* parent = nullptr);
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  bool isTicked(const QString& folder) const { return ticked_.contains(folder); }
  // Ticks or clears a folder by its path; false when nothing changed.
  bool setTicked(const QString& folder, bool on);

 signals:
  void folderTicked(const QString& folder, bool on);

 private:
  QSet<QString> ticked_;
};

class SimpleFolderTree : public QTreeView {
  Q_OBJECT

 public:
  explicit SimpleFolderTree(QWidget* parent = nullptr);
  TickableFolderModel& model() { return *model_; }
  // Expands the way to `folder` and makes it the current folder.
  void selectFolder(const QString& folder);
  QString currentFolder() const;
  // The folder asked for by selectFolder is open and current (or none was asked for).
  bool folderShown() const;

 private:
  void revealPending();

  TickableFolderModel* model_;
  QString pending_;  // a folder to select once the model has read the folders on its way
};

}  // namespace lh
