#pragma once
// The folder tree of the "Browse" tab: the mounted drives and their folders with tick boxes.
// Ticking a folder asks the window to list it; the tree also makes, renames and deletes
// folders and copies files dropped on a folder into it.
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browser/app/catalog_tree.h"
#include "browser/app/dialogs.h"
#include "browser/core/file_copy.h"
#include "catalog/file_item.h"
#include "design/settings.h"
#include "files/drives.h"

namespace lh {

// Where the folder a drop was copied into is remembered.
inline constexpr std::string_view kCopyFolderSection = "Settings";
inline constexpr std::string_view kCopyFolderKey = "LWD";

using FolderNodeId = std::uint64_t;

class BFolderTree : public QTreeWidget {
  Q_OBJECT
 public:
  // The drives and settings are the window's and must outlive the tree.
  BFolderTree(DriveService& drives, SettingsStore& settings, QWidget* parent = nullptr);

  void setAsker(Asker ask) { ask_ = std::move(ask); }
  void setRunLock(std::function<RunLock()> lock) { runLock_ = std::move(lock); }
  // The grid's selected items: what a drag that started in this program drops.
  void setLocalItems(std::function<std::vector<FileItem>()> items) { localItems_ = std::move(items); }

  // Lists the drives again (ticks are cleared without signals: the window empties its list).
  void reloadDrives();

  // The node of `path`, expanding the tree down to it; null when it is not there.
  QTreeWidgetItem* findPath(const std::string& path);
  std::string pathOf(const QTreeWidgetItem* item) const;
  FolderNodeId nodeOf(const QTreeWidgetItem* item) const;
  bool isTickedItem(const QTreeWidgetItem* item) const;
  std::string selectedPath() const;

  // A click on the tick box: ticks a clear folder (asking first for a large drive), clears a
  // ticked one; with `ctrl` every sub-folder follows, recursively. Refused while a run is active.
  void tickClick(QTreeWidgetItem* item, bool ctrl);
  // Clears every tick.
  void untickAll();

  // The "DRIVE" menu.
  void explore();
  QTreeWidgetItem* newFolder();
  void renameFolder();
  void deleteFolder();

  // Copies items into the folder of `target`, in order, stopping at the first failure; a name
  // clash is asked about. The folder is remembered as the copy folder.
  CopyRun copyInto(QTreeWidgetItem* target, const std::vector<FileItem>& items);
  // The same copy routine into any folder ("Copy to...", the copy to a removable medium).
  CopyRun copyToFolder(const std::string& folder, const std::vector<FileItem>& items);
  // The clash question; tests replace it.
  void setClashQuestion(ClashQuestion ask) { clash_ = std::move(ask); }

 signals:
  void folderTicked(const QString& path, quint64 nodeId);
  void folderUnticked(quint64 nodeId);
  // "Name Removable Disks...": the window runs the dialog (it owns the list and catalog).
  void nameDisksRequested();
  void pathSelected(const QString& path);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& label, const std::string& path);
  void fillChildren(QTreeWidgetItem* item);
  void setTicked(QTreeWidgetItem* item, bool ticked);
  void setTickedBelow(QTreeWidgetItem* item, bool ticked);
  void nameEdited(QTreeWidgetItem* item);
  void renamePaths(QTreeWidgetItem* item, const std::string& oldPath, const std::string& newPath);
  ClashAnswer askClash(const FileItem& item, const std::string& target);

  DriveService& drives_;
  SettingsStore& settings_;
  Asker ask_;
  ClashQuestion clash_;
  std::function<RunLock()> runLock_;
  std::function<std::vector<FileItem>()> localItems_;
  FolderNodeId nextNode_ = 1;
  bool editing_ = false;
};

}  // namespace lh
