#pragma once
// BCatalogTree: the catalog's categories with their tick boxes. Ticking a category asks the
// window to list its entries; the tree also creates, renames and deletes categories, takes
// designs dropped on a category into the catalog and saves the catalog after each change.
#include <QTreeWidget>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "browser/app/dialogs.h"
#include "catalog/catalog.h"
#include "catalog/cataloguing.h"
#include "catalog/file_item.h"
#include "catalog/tick_look.h"
#include "design/settings.h"
#include "files/drives.h"

namespace lh {

// Whether a tool or a plug-in run holds the lists still.
enum class RunLock { None, Tool, Plugin };

class BCatalogTree : public QTreeWidget {
  Q_OBJECT
 public:
  // The catalog, the settings and data folder it is saved with, and the drives are the
  // window's and must outlive the tree.
  BCatalogTree(Catalog& catalog, SettingsStore& settings, std::string dataFolder, DriveService& drives,
               QWidget* parent = nullptr);

  void setAsker(Asker ask) { ask_ = std::move(ask); }
  void setRunLock(std::function<RunLock()> lock) { runLock_ = std::move(lock); }
  // Files in this folder are refused as temporary.
  void setTemporaryFolder(std::string folder) { temporaryFolder_ = std::move(folder); }
  // Runs "Name the disk."; true when a disk was named (the drop is then tried again).
  void setDiskNamer(std::function<bool()> namer) { nameDisk_ = std::move(namer); }
  // The grid's selected items: what a drag that started in this program drops.
  void setLocalItems(std::function<std::vector<FileItem>()> items) { localItems_ = std::move(items); }

  // Builds the items from the catalog: every look clear, the top category selected and
  // expanded. Called after the catalog was loaded or replaced.
  void rebuild();

  TickLook look(CategoryId id) const;
  QTreeWidgetItem* itemOf(CategoryId id) const;
  CategoryId idOf(const QTreeWidgetItem* item) const;
  CategoryId selectedCategory() const;

  // The click rules. A box click ticks the category and its sub-categories when its look is
  // clear, else unticks them; a name click (or Ctrl on the box, or the space key) changes the
  // category alone. With `ctrl` every tick is cleared first. Refused while a run is active.
  void boxClick(CategoryId id, bool ctrl);
  void nameClick(CategoryId id, bool ctrl);
  // Unticks every category.
  void untickAll();

  // The category commands of the "CATALOG" menu.
  void newCategory();
  void newCategoryNamed(const std::string& name);
  void editCategoryName();
  void deleteCategory();

  // Catalogues designs dropped on `id`: the grid's selected items, or files from another
  // program (only the readable design types of those). Refusals are reported once; the
  // catalog is saved.
  CataloguingResult catalogueItems(CategoryId id, const std::vector<FileItem>& items);
  CataloguingResult catalogueFiles(CategoryId id, const std::vector<std::string>& paths);

  // Saves the catalog; a failure is told through the asker.
  void save();

 signals:
  // The window lists (or takes out) the category's entries, with the category as tree item;
  // on a tick it first clears the folder ticks and empties the file list.
  void categoryTicked(CategoryId id);
  void categoryUnticked(CategoryId id);
  void statusText(const QString& text);
  // Ctrl+A: every item of the file list is selected.
  void selectAllRequested();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool tickRefused();
  bool onBox(const QTreeWidgetItem* item, const QPoint& pos) const;
  void addItems(QTreeWidgetItem* parentItem, const Category& category);
  void setTick(CategoryId id, bool ticked);
  void setTickBelow(CategoryId id, bool ticked);
  void showLook(CategoryId id, TickLook look);
  void recomputeUpwards(CategoryId id);
  void finishClick(CategoryId id);
  void nameEdited(QTreeWidgetItem* item);
  CataloguingResult catalogueCandidates(CategoryId id, const std::vector<std::string>& locations);

  Catalog& catalog_;
  SettingsStore& settings_;
  std::string dataFolder_;
  DriveService& drives_;
  Asker ask_;
  std::function<RunLock()> runLock_;
  std::function<bool()> nameDisk_;
  std::function<std::vector<FileItem>()> localItems_;
  std::string temporaryFolder_;
  std::unordered_map<CategoryId, QTreeWidgetItem*> items_;
  std::unordered_map<CategoryId, TickLook> looks_;
  bool editing_ = false;
};

}  // namespace lh
