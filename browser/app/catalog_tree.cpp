#include "browser/app/catalog_tree.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QUrl>
#include <QWheelEvent>

#include "browser/app/catalog_tree_looks.h"
#include "catalog/catalog_location.h"
#include "catalog/catalog_texts.h"
#include "formats/format_code.h"
#include "formats/format_table.h"
#include "plugin/plugin_texts.h"

namespace lh {

namespace ct = catalog_texts;

namespace {
constexpr int kIdRole = Qt::UserRole;
constexpr std::string_view kStatusHint = "Click on name to select a category.";
constexpr std::string_view kNewCategoryCaption = "Categories...";

// A dropped file is catalogued when its type is a design the program reads.
bool isReadableDesign(const std::string& path) {
  const FormatInfo* format = formatOfPath(path);
  return format != nullptr && format->reader != nullptr && isDesignFormat(format->code);
}
}  // namespace

BCatalogTree::BCatalogTree(Catalog& catalog, SettingsStore& settings, std::string dataFolder,
                           DriveService& drives, QWidget* parent)
    : QTreeWidget(parent),
      catalog_(catalog),
      settings_(settings),
      dataFolder_(std::move(dataFolder)),
      drives_(drives),
      ask_(messageBoxAsker(this)) {
  setColumnCount(1);
  header()->hide();
  setRootIsDecorated(true);
  setIconSize(QSize(kTickBoxSize, kTickBoxSize));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setMouseTracking(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  connect(this, &QTreeWidget::itemChanged, this, &BCatalogTree::nameEdited);
  connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
    editing_ = false;
    if (QTreeWidgetItem* item = currentItem()) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  });
  rebuild();
}

void BCatalogTree::rebuild() {
  const QSignalBlocker blocker(this);
  clear();
  items_.clear();
  looks_.clear();
  for (std::size_t i = 0; i < catalog_.topLevelCount(); ++i) addItems(nullptr, catalog_.topLevel(i));
  if (topLevelItemCount() > 0) {
    setCurrentItem(topLevelItem(0));
    topLevelItem(0)->setExpanded(true);
  }
}

void BCatalogTree::addItems(QTreeWidgetItem* parentItem, const Category& category) {
  auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
  item->setText(0, qs(category.name()));
  item->setData(0, kIdRole, QVariant::fromValue<qulonglong>(category.id()));
  items_[category.id()] = item;
  item->setIcon(0, tickIcon(look(category.id())));
  for (std::size_t i = 0; i < category.childCount(); ++i) addItems(item, category.child(i));
}

TickLook BCatalogTree::look(CategoryId id) const {
  const auto it = looks_.find(id);
  return it == looks_.end() ? TickLook::Clear : it->second;
}

QTreeWidgetItem* BCatalogTree::itemOf(CategoryId id) const {
  const auto it = items_.find(id);
  return it == items_.end() ? nullptr : it->second;
}

CategoryId BCatalogTree::idOf(const QTreeWidgetItem* item) const {
  return item ? item->data(0, kIdRole).toULongLong() : 0;
}

CategoryId BCatalogTree::selectedCategory() const { return idOf(currentItem()); }

// Ticks

bool BCatalogTree::tickRefused() {
  const RunLock lock = runLock_ ? runLock_() : RunLock::None;
  if (lock == RunLock::Plugin) tell(ask_, kPluginRunning.caption, kPluginRunning.text, QMessageBox::Warning);
  return lock != RunLock::None;
}

void BCatalogTree::showLook(CategoryId id, TickLook look) {
  looks_[id] = look;
  if (QTreeWidgetItem* item = itemOf(id)) {
    const QSignalBlocker blocker(this);
    item->setIcon(0, tickIcon(look));
  }
}

void BCatalogTree::setTick(CategoryId id, bool ticked) {
  const bool was = isTicked(look(id));
  showLook(id, ticked ? TickLook::All : TickLook::Clear);
  if (ticked && !was) emit categoryTicked(id);
  if (!ticked && was) emit categoryUnticked(id);
}

void BCatalogTree::setTickBelow(CategoryId id, bool ticked) {
  const Category* category = catalog_.category(id);
  if (category == nullptr) return;
  setTick(id, ticked);
  for (std::size_t i = 0; i < category->childCount(); ++i) setTickBelow(category->child(i).id(), ticked);
}

void BCatalogTree::recomputeUpwards(CategoryId id) {
  for (const Category* c = catalog_.category(id); c != nullptr; c = c->parent()) {
    std::vector<TickLook> below;
    for (std::size_t i = 0; i < c->childCount(); ++i) below.push_back(look(c->child(i).id()));
    showLook(c->id(), tickLook(isTicked(look(c->id())), below));
  }
}

void BCatalogTree::finishClick(CategoryId id) {
  recomputeUpwards(id);
  setCurrentItem(itemOf(id));
}

void BCatalogTree::untickAll() {
  for (const CategoryId id : catalog_.depthFirst()) {
    if (look(id) != TickLook::Clear) setTick(id, false);
    showLook(id, TickLook::Clear);
  }
}

void BCatalogTree::boxClick(CategoryId id, bool ctrl) {
  if (catalog_.category(id) == nullptr || tickRefused()) return;
  if (ctrl) {
    untickAll();
    setTick(id, true);  // Ctrl on the box changes the category alone; it is clear now
  } else {
    setEnabled(false);
    setTickBelow(id, look(id) == TickLook::Clear);
    setEnabled(true);
  }
  finishClick(id);
}

void BCatalogTree::nameClick(CategoryId id, bool ctrl) {
  if (catalog_.category(id) == nullptr || tickRefused()) return;
  if (ctrl) untickAll();
  setTick(id, !isTicked(look(id)));
  finishClick(id);
}

// Input

bool BCatalogTree::onBox(const QTreeWidgetItem* item, const QPoint& pos) const {
  const QRect rect = visualItemRect(item);
  return pos.x() >= rect.left() && pos.x() < rect.left() + iconSize().width() + 6;
}

void BCatalogTree::mousePressEvent(QMouseEvent* event) {
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  const QPoint pos = event->position().toPoint();
  if (item == nullptr || pos.x() < visualItemRect(item).left()) {
    QTreeWidget::mousePressEvent(event);  // beside the items, or an expand button
    return;
  }
  if (event->button() == Qt::RightButton) {
    setCurrentItem(item);
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (onBox(item, pos) && !ctrl) {
    boxClick(idOf(item), false);
  } else {
    nameClick(idOf(item), ctrl);
  }
}

void BCatalogTree::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() == Qt::NoButton && event->modifiers() == Qt::NoModifier) emit statusText(qs(kStatusHint));
  QTreeWidget::mouseMoveEvent(event);
}

void BCatalogTree::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && !editing_) {
    if (const CategoryId id = selectedCategory()) nameClick(id, event->modifiers() & Qt::ControlModifier);
    return;
  }
  if (event->key() == Qt::Key_A && event->modifiers() == Qt::ControlModifier) {
    emit selectAllRequested();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void BCatalogTree::wheelEvent(QWheelEvent* event) {
  const int lines = event->angleDelta().y() / 120;
  verticalScrollBar()->setValue(verticalScrollBar()->value() - lines);
  event->accept();
}

// Categories

void BCatalogTree::contextMenuEvent(QContextMenuEvent* event) {
  if (QTreeWidgetItem* item = itemAt(event->pos())) setCurrentItem(item);
  QMenu menu(QStringLiteral("CATALOG"), this);
  menu.addAction(QStringLiteral("New Category..."), this, &BCatalogTree::newCategory);
  menu.addAction(QStringLiteral("Edit Category Name..."), this, &BCatalogTree::editCategoryName);
  menu.addAction(QStringLiteral("Delete Category..."), this, &BCatalogTree::deleteCategory);
  menu.exec(event->globalPos());
}

void BCatalogTree::newCategory() {
  bool ok = false;
  const QString name =
      QInputDialog::getText(this, qs(kNewCategoryCaption), qs(ct::kNewCategoryPrompt), QLineEdit::Normal, {}, &ok);
  if (ok) newCategoryNamed(toStd(name));
}

void BCatalogTree::newCategoryNamed(const std::string& name) {
  if (name.empty()) return;
  if (!isStorableCategoryName(name)) {
    tell(ask_, ct::kBadCategoryNameCaption, ct::kBadCategoryName, QMessageBox::Warning);
    return;
  }
  const CategoryId parent = selectedCategory();
  const CategoryId id = catalog_.addCategory(parent, name);
  if (id == 0) return;
  const QSignalBlocker blocker(this);
  if (QTreeWidgetItem* parentItem = itemOf(parent)) {
    for (QTreeWidgetItem* child : parentItem->takeChildren()) delete child;
    const Category& category = *catalog_.category(parent);
    for (std::size_t i = 0; i < category.childCount(); ++i) addItems(parentItem, category.child(i));
    parentItem->setExpanded(true);
    recomputeUpwards(parent);
  } else {
    addItems(nullptr, *catalog_.category(id));
  }
  scrollToItem(itemOf(id));
  save();
}

void BCatalogTree::editCategoryName() {
  QTreeWidgetItem* item = currentItem();
  if (item == nullptr) return;
  editing_ = true;
  {
    const QSignalBlocker blocker(this);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
  }
  setFocus();
  editItem(item, 0);
}

void BCatalogTree::nameEdited(QTreeWidgetItem* item) {
  if (!editing_) return;
  editing_ = false;
  const CategoryId id = idOf(item);
  if (const auto refusal = catalog_.renameCategory(id, toStd(item->text(0)))) {
    tell(ask_, refusal->caption, refusal->text, QMessageBox::Warning);
  }
  const QSignalBlocker blocker(this);
  if (const Category* category = catalog_.category(id)) item->setText(0, qs(category->name()));
  save();
}

void BCatalogTree::deleteCategory() {
  const CategoryId id = selectedCategory();
  const Category* category = catalog_.category(id);
  if (category == nullptr) return;
  if (id == catalog_.topCategory()) {
    tell(ask_, ct::kKeepTopCategoryCaption, ct::kKeepTopCategory, QMessageBox::Warning);
    return;
  }
  const std::string question = std::string(ct::kConfirmDelete) + category->name() + "'";
  if (!askYesNo(ask_, ct::kConfirmDeleteCaption, question)) return;
  const CategoryId parent = category->parent() ? category->parent()->id() : 0;
  setTickBelow(id, false);
  std::vector<CategoryId> gone;
  catalog_.forEach([&](const Category& c, const std::string&) {
    for (const Category* up = &c; up != nullptr; up = up->parent()) {
      if (up->id() == id) {
        gone.push_back(c.id());
        break;
      }
    }
  });
  catalog_.deleteCategory(id);
  delete itemOf(id);
  for (const CategoryId g : gone) {
    items_.erase(g);
    looks_.erase(g);
  }
  if (parent != 0) recomputeUpwards(parent);
  save();
}

void BCatalogTree::save() {
  const CatalogSaveResult saved = saveCatalog(catalog_, settings_, dataFolder_);
  if (!saved.ok) tell(ask_, ct::kErrorCaption, saved.error, QMessageBox::Critical);
}

// Cataloguing by drag and drop

CataloguingResult BCatalogTree::catalogueCandidates(CategoryId id, const std::vector<std::string>& locations) {
  const DriveSnapshot drives(drives_);
  std::vector<CatalogCandidate> candidates;
  for (const std::string& location : locations)
    candidates.push_back(catalogCandidate(location, drives, temporaryFolder_));
  CataloguingResult result = catalogueInto(catalog_, id, candidates);
  for (const CatalogRefusal& refusal : refusalMessages(result, static_cast<bool>(nameDisk_))) {
    if (refusal.caption == ct::kUnnamedDiskCaption && nameDisk_) {
      if (askYesNo(ask_, refusal.caption, refusal.text, QMessageBox::Warning) && nameDisk_()) {
        save();
        return catalogueCandidates(id, locations);  // the same drop again, now the disk has a name
      }
      continue;
    }
    tell(ask_, refusal.caption, refusal.text, QMessageBox::Warning);
  }
  save();
  return result;
}

CataloguingResult BCatalogTree::catalogueItems(CategoryId id, const std::vector<FileItem>& items) {
  if (catalog_.category(id) == nullptr) return {};
  std::vector<std::string> locations;
  for (const FileItem& item : items) locations.push_back(item.location());
  return catalogueCandidates(id, locations);
}

CataloguingResult BCatalogTree::catalogueFiles(CategoryId id, const std::vector<std::string>& paths) {
  if (catalog_.category(id) == nullptr) return {};
  std::vector<std::string> designs;
  for (const std::string& path : paths)
    if (isReadableDesign(path)) designs.push_back(path);
  return catalogueCandidates(id, designs);
}

void BCatalogTree::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() || (event->source() != nullptr && localItems_)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void BCatalogTree::dragMoveEvent(QDragMoveEvent* event) {
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (item == nullptr) {
    event->ignore();
    return;
  }
  setCurrentItem(item);
  event->acceptProposedAction();
}

void BCatalogTree::dropEvent(QDropEvent* event) {
  const CategoryId id = idOf(itemAt(event->position().toPoint()));
  if (id == 0) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  if (event->source() != nullptr && localItems_) {
    catalogueItems(id, localItems_());
    return;
  }
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(toStd(url.toLocalFile()));
  catalogueFiles(id, paths);
}

}  // namespace lh
