#pragma once
// The thumbnail grid: a fixed pool of 50 design cells over the file list, laid out and
// scrolled by the grid arithmetic, with selection by mouse and keys. Pictures come from the
// loader; a cell shows its caption until its picture arrives. The selected files can be
// dragged out to other programs and the browser's trees; a double click opens a design.
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "browser/app/single_view.h"
#include "browser/core/file_list.h"
#include "browser/view_core/extracted_files.h"
#include "browser/view_core/grid_layout.h"
#include "browser/view_core/thumbnail.h"

class QScrollBar;
class QTemporaryDir;

namespace lh {

class DesignOpener;
class DriveService;
class PictureLoader;

class CBrowserView : public QWidget {
  Q_OBJECT

 public:
  CBrowserView(PictureLoader& loader, QWidget* parent = nullptr);
  ~CBrowserView() override;

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
  // Every cell draws on `bgr` (0x00BBGGRR) from now on; the shown pictures are made again.
  void setBackground(std::uint32_t bgr);

  GridLayout layout() const;
  std::int64_t firstShown() const { return first_; }
  void scrollTo(std::int64_t first);
  BSingleView* cell(int k) { return cells_[static_cast<std::size_t>(k)]; }
  int shownCells() const { return layout().shownCells(); }
  // Every shown cell has its picture.
  bool allShownReady() const;
  // The cell under a point of the view, or -1.
  int cellAt(const QPoint& pos) const;

  // What a double click opens designs with; none: a double click does nothing.
  void setOpener(std::unique_ptr<DesignOpener> opener);
  // The drives, for the hint over catalogued designs on removable disks and CDs (may be null).
  void setDrives(const DriveService* drives) { drives_ = drives; }
  // The files extracted or converted for opening and dragging out, deleted at close.
  ExtractedFiles& extractedFiles() { return extracted_; }
  // The hint over cell k: where a catalogued design on a named disk can be found, or empty.
  QString hintAt(int k) const;
  // The plain files a drag of the present selection hands to other programs (archive
  // members extracted into a folder of the view's own under the system's temporary folder).
  std::vector<std::string> handOutSelection();

 signals:
  // The selection or the list changed: the counts and the preview follow.
  void selectionMoved();
  void listMoved();
  // A right click (or the menu key): `index` is the item of the cell under it, selected by
  // now, or -1 beside every cell; the window opens the grid's menu at `globalPos`.
  void gridMenuWanted(qint64 index, const QPoint& globalPos);
  // The text for the status bar's first pane while the mouse moves over the grid.
  void statusText(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  GridWindow window() const;
  void relayout();
  void refreshCells();
  void requestPictures();
  void updateScrollBar();
  void gridMenuAt(const QPoint& pos, const QPoint& globalPos);
  // A left press on an item: its selection rule runs at the press when the press selects the
  // item for a drag, otherwise at the release (or when a drag ends without a drop).
  struct Press {
    std::size_t index = 0;
    QPoint pos;
    Qt::KeyboardModifiers modifiers;
    bool handled = false;
  };
  void finishPress();
  void startDrag();
  std::string dragFolder();
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
  std::optional<Press> press_;
  ExtractedFiles extracted_;
  std::unique_ptr<QTemporaryDir> dragFolder_;
  std::unique_ptr<DesignOpener> opener_;
  const DriveService* drives_ = nullptr;
  QString status_;
};

}  // namespace lh
