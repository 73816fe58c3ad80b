#pragma once
// The thumbnail grid: a fixed pool of 50 design cells over the file list, laid out and
// scrolled by the grid arithmetic, with selection by mouse and keys. Pictures come from the
// loader; a cell shows its caption until its picture arrives.
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

#include "browser/app/single_view.h"
#include "browser/core/file_list.h"
#include "browser/view_core/grid_layout.h"
#include "browser/view_core/thumbnail.h"

class QScrollBar;

namespace lh {

class PictureLoader;

class CBrowserView : public QWidget {
  Q_OBJECT

 public:
  CBrowserView(PictureLoader& loader, QWidget* parent = nullptr);

  FileList& fileList() { return list_; }
  const FileList& fileList() const { return list_; }
  // After the list changed (folders ticked or cleared, items removed): lay out and reload.
  void listChanged();
  // After the selection changed outside the mouse handlers (Select All, start-up).
  void selectionChanged();

  int sizeSetting() const { return sizeSetting_; }
  void setSizeSetting(int setting);
  bool thumbnails3D() const { return shaded_; }
  void setThumbnails3D(bool on);

  GridLayout layout() const;
  std::int64_t firstShown() const { return first_; }
  void scrollTo(std::int64_t first);
  BSingleView* cell(int k) { return cells_[static_cast<std::size_t>(k)]; }
  int shownCells() const { return layout().shownCells(); }
  // Every shown cell has its picture.
  bool allShownReady() const;
  // The cell under a point of the view, or -1.
  int cellAt(const QPoint& pos) const;

 signals:
  // The selection or the list changed: the counts and the preview follow.
  void selectionMoved();
  void listMoved();
  // A right click (or the menu key): `index` is the item of the cell under it, selected by
  // now, or -1 beside every cell; the window opens the grid's menu at `globalPos`.
  void gridMenuWanted(qint64 index, const QPoint& globalPos);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  GridWindow window() const;
  void relayout();
  void refreshCells();
  void requestPictures();
  void updateScrollBar();
  void gridMenuAt(const QPoint& pos, const QPoint& globalPos);
  void onPicture(std::uint64_t tag, const QString& item, std::shared_ptr<const Thumbnail> thumbnail);

  PictureLoader& loader_;
  FileList list_;
  std::array<BSingleView*, kGridCells> cells_{};
  QScrollBar* bar_ = nullptr;
  bool settingBar_ = false;
  int sizeSetting_ = 1;
  bool shaded_ = false;
  std::int64_t first_ = 0;
  WheelSteps wheel_;
};

}  // namespace lh
