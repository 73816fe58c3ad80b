#include "browser/app/browser_view.h"

#include <QContextMenuEvent>
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QKeyEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolTip>
#include <QWheelEvent>

#include "browser/app/design_opener.h"
#include "browser/app/grid_drag.h"
#include "browser/app/picture_loader.h"
#include "browser/view_core/grid_handout.h"
#include "files/drives.h"

namespace lh {

CBrowserView::CBrowserView(PictureLoader& loader, QWidget* parent) : QWidget(parent), loader_(loader) {
  setFocusPolicy(Qt::StrongFocus);
  setAutoFillBackground(true);
  setMouseTracking(true);  // the status text follows the mouse over the cells
  for (int k = 0; k < kGridCells; ++k) {
    cells_[static_cast<std::size_t>(k)] = new BSingleView(true, this);
    cells_[static_cast<std::size_t>(k)]->hide();
    connect(cells_[static_cast<std::size_t>(k)], &BSingleView::contextMenuWanted, this,
            [this](const QPoint& globalPos) { gridMenuAt(mapFromGlobal(globalPos), globalPos); });
  }
  bar_ = new QScrollBar(Qt::Vertical, this);
  connect(bar_, &QScrollBar::valueChanged, this, [this](int value) {
    if (!settingBar_) scrollTo(layout().fromScrollBar(value));
  });
  connect(&loader_, &PictureLoader::pictureReady, this, &CBrowserView::onPicture);
}

CBrowserView::~CBrowserView() = default;

GridWindow CBrowserView::window() const { return {width(), height(), bar_->sizeHint().width()}; }

GridLayout CBrowserView::layout() const { return GridLayout(window(), sizeSetting_, list_.size(), first_); }

void CBrowserView::listChanged() {
  relayout();
  emit listMoved();
  emit selectionMoved();
}

void CBrowserView::selectionChanged() {
  refreshCells();
  emit selectionMoved();
}

void CBrowserView::setSizeSetting(int setting) {
  sizeSetting_ = setting;
  relayout();
}

void CBrowserView::setThumbnails3D(bool on) {
  shaded_ = on;
  requestPictures();
}

void CBrowserView::setBackground(std::uint32_t bgr) {
  for (BSingleView* c : cells_) c->setBackground(bgr);
  requestPictures();
}

void CBrowserView::scrollTo(std::int64_t first) {
  const std::int64_t clamped = layout().clamped(first);
  if (clamped == first_) return;
  first_ = clamped;
  refreshCells();
  updateScrollBar();
  requestPictures();
}

void CBrowserView::relayout() {
  GridLayout grid = layout();
  first_ = grid.firstShown();  // the layout clamps it to the list and the page
  const int barWidth = bar_->sizeHint().width();
  bar_->setGeometry(width() - barWidth, 0, barWidth, height());
  for (int k = 0; k < kGridCells; ++k) {
    const GridRect r = grid.cellRect(k);
    cells_[static_cast<std::size_t>(k)]->setGeometry(r.x, r.y, r.width, r.height);
  }
  refreshCells();
  updateScrollBar();
  requestPictures();
}

void CBrowserView::refreshCells() {
  const GridLayout grid = layout();
  const int shown = grid.shownCells();
  for (int k = 0; k < kGridCells; ++k) {
    BSingleView* c = cells_[static_cast<std::size_t>(k)];
    if (k >= shown) {
      c->hide();
      continue;
    }
    const FileItem& item = list_[static_cast<std::size_t>(first_ + k)];
    c->showItem(item);
    c->setSelected(item.isSelected);
    c->show();
  }
}

void CBrowserView::updateScrollBar() {
  const GridScrollBar s = layout().scrollBar();
  settingBar_ = true;
  bar_->setRange(0, static_cast<int>(s.maximum));
  bar_->setPageStep(static_cast<int>(std::max<std::int64_t>(1, s.pageStep)));
  bar_->setSingleStep(static_cast<int>(s.singleStep));
  bar_->setValue(static_cast<int>(s.position));
  settingBar_ = false;
}

void CBrowserView::requestPictures() {
  const GridLayout grid = layout();
  // Every cell of a page has the same size, so one spec serves the whole batch.
  const PictureSpec spec = cells_[0]->wantedSpec(shaded_, false);
  std::vector<ThumbnailRequest> batch;
  const std::int64_t shownEnd = first_ + grid.shownCells();
  for (std::size_t index : grid.loadOrder()) {
    const FileItem& item = list_[index];
    ThumbnailRequest r;
    r.item = lh::itemText(item);
    r.location = item.location();
    r.spec = spec;
    r.tag = index;
    const auto i = static_cast<std::int64_t>(index);
    r.prefetch = i < first_ || i >= shownEnd;
    batch.push_back(std::move(r));
  }
  loader_.setGridRequests(std::move(batch));
}

void CBrowserView::onPicture(std::uint64_t tag, const QString& item, std::shared_ptr<const Thumbnail> thumbnail) {
  if (tag == PictureLoader::kPreviewTag) return;
  const int k = layout().cellOfItem(static_cast<std::size_t>(tag));
  if (k < 0) return;
  BSingleView* c = cells_[static_cast<std::size_t>(k)];
  if (c->itemText() == item.toStdString()) c->setThumbnail(std::move(thumbnail));
}

bool CBrowserView::allShownReady() const {
  const int shown = layout().shownCells();
  for (int k = 0; k < shown; ++k) {
    if (!cells_[static_cast<std::size_t>(k)]->hasPicture()) return false;
  }
  return true;
}

int CBrowserView::cellAt(const QPoint& pos) const {
  const GridLayout grid = layout();
  for (int k = 0; k < grid.shownCells(); ++k) {
    const GridRect r = grid.cellRect(k);
    if (QRect(r.x, r.y, r.width, r.height).contains(pos)) return k;
  }
  return -1;
}

void CBrowserView::resizeEvent(QResizeEvent*) { relayout(); }

void CBrowserView::mousePressEvent(QMouseEvent* event) {
  setFocus();
  press_.reset();
  const int k = cellAt(event->position().toPoint());
  if (k < 0) return;
  const auto index = static_cast<std::size_t>(first_ + k);
  const bool right = event->button() == Qt::RightButton;
  if (right) {
    if (!list_[index].isSelected) list_.click(index);
    selectionChanged();
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  press_ = Press{index, event->position().toPoint(), modifiers, false};
  press_->handled = selectForPress(list_, index, modifiers.testFlag(Qt::ControlModifier),
                                   modifiers.testFlag(Qt::ShiftModifier));
  if (press_->handled) selectionChanged();
}

void CBrowserView::finishPress() {
  if (!press_) return;
  const Press press = *press_;
  press_.reset();
  if (press.handled) return;
  if (press.modifiers & Qt::ShiftModifier) {
    list_.shiftClick(press.index);
  } else if (press.modifiers & Qt::ControlModifier) {
    list_.ctrlClick(press.index);
  } else {
    list_.click(press.index);
  }
  selectionChanged();
}

void CBrowserView::contextMenuEvent(QContextMenuEvent* event) { gridMenuAt(event->pos(), event->globalPos()); }

// An unselected cell is selected as a click selects it before the menu opens.
void CBrowserView::gridMenuAt(const QPoint& pos, const QPoint& globalPos) {
  const int k = cellAt(pos);
  const qint64 index = k < 0 ? -1 : first_ + k;
  if (index >= 0 && !list_[static_cast<std::size_t>(index)].isSelected) {
    list_.click(static_cast<std::size_t>(index));
    selectionChanged();
  }
  emit gridMenuWanted(index, globalPos);
}

void CBrowserView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) finishPress();
}

void CBrowserView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (press_ && (event->buttons() & Qt::LeftButton) &&
      (pos - press_->pos).manhattanLength() >= QApplication::startDragDistance()) {
    startDrag();
    return;
  }
  const QString text = hintAt(cellAt(pos));
  if (text != status_) {
    status_ = text;
    emit statusText(text);
  }
}

void CBrowserView::mouseDoubleClickEvent(QMouseEvent* event) {
  press_.reset();
  const int k = cellAt(event->position().toPoint());
  if (k < 0 || event->button() != Qt::LeftButton || !opener_) return;
  opener_->open(list_[static_cast<std::size_t>(first_ + k)]);
}

bool CBrowserView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = hintAt(cellAt(help->pos()));
    if (text.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
  }
  return QWidget::event(event);
}

QString CBrowserView::hintAt(int k) const {
  if (k < 0 || k >= shownCells()) return {};
  const FileItem& item = list_[static_cast<std::size_t>(first_ + k)];
  if (item.extra.empty()) return {};
  std::optional<DriveKind> kind;
  if (drives_ != nullptr) {
    if (const std::optional<DriveInfo> drive = driveOf(*drives_, item.isArchiveMember() ? item.archive : item.path()))
      kind = drive->kind;
  }
  return QString::fromStdString(diskHint(item, kind));
}

void CBrowserView::setOpener(std::unique_ptr<DesignOpener> opener) {
  opener_ = std::move(opener);
  if (opener_) opener_->setSystemTemp(dragFolder());
}

std::string CBrowserView::dragFolder() {
  if (!dragFolder_) dragFolder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/loomhall-XXXXXX");
  return dragFolder_->isValid() ? dragFolder_->path().toStdString() : QDir::tempPath().toStdString();
}

std::vector<std::string> CBrowserView::handOutSelection() {
  return handOutFiles(handOutPlan(list_.selectedItems()), dragFolder(), extracted_);
}

void CBrowserView::startDrag() {
  // The files are taken now; other programs get them only when they ask.
  auto* data = new GridDragData([this, plan = handOutPlan(list_.selectedItems())] {
    return handOutFiles(plan, dragFolder(), extracted_);
  });
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  const std::int64_t k = static_cast<std::int64_t>(press_->index) - first_;
  if (k >= 0 && k < shownCells()) {
    const QImage& image = cells_[static_cast<std::size_t>(k)]->image();
    if (!image.isNull()) drag->setPixmap(QPixmap::fromImage(image.scaled(64, 64, Qt::KeepAspectRatio)));
  }
  // A target in this program (the folder and catalog trees) takes the grid's selection.
  connect(drag, &QDrag::targetChanged, data, [data](QObject* target) { data->setLocal(target != nullptr); });
  const Qt::DropAction done = drag->exec(Qt::CopyAction, Qt::CopyAction);
  if (done == Qt::IgnoreAction) {
    finishPress();
  } else {
    press_.reset();
  }
}

void CBrowserView::wheelEvent(QWheelEvent* event) {
  const int notches = wheel_.add(event->angleDelta().y());
  if (notches != 0) scrollTo(layout().wheel(notches));
  event->accept();
}

void CBrowserView::keyPressEvent(QKeyEvent* event) {
  const GridLayout grid = layout();
  switch (event->key()) {
    case Qt::Key_PageUp: scrollTo(grid.pageUp()); return;
    case Qt::Key_PageDown: scrollTo(grid.pageDown()); return;
    case Qt::Key_Home: scrollTo(grid.home()); return;
    case Qt::Key_End: scrollTo(grid.end()); return;
    case Qt::Key_Up: scrollTo(grid.lineUp()); return;
    case Qt::Key_Down: scrollTo(grid.lineDown()); return;
    default: break;
  }
  const QString text = event->text();
  if (text.size() == 1 && text[0].unicode() < 128) {
    const bool selectAll = text[0].unicode() == 1;
    const std::optional<std::size_t> found = list_.jumpToLetter(static_cast<char>(text[0].unicode()));
    if (found) scrollTo(grid.scrollTo(*found));
    if (selectAll) selectionChanged();
    if (found || selectAll) return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace lh
