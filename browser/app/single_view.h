#pragma once
// One design cell: a thumbnail of the grid or the preview pane. It shows its item's caption
// at once and the picture when the loader hands it over; until then the picture area stays
// empty. What it shows and where comes from the design cell core.
#include <QImage>
#include <QWidget>
#include <memory>
#include <string>

#include "browser/view_core/design_cell.h"
#include "browser/view_core/thumbnail.h"
#include "catalog/file_item.h"

class QListWidget;

namespace lh {

// The colour table and pixels of an 8-bit picture as an indexed image.
QImage indexedImage(const IndexedPicture& picture);

class BSingleView : public QWidget {
  Q_OBJECT

 public:
  BSingleView(bool isThumbnail, QWidget* parent = nullptr);

  // Shows `item`: nothing happens when it is the item already shown; otherwise the caption
  // changes and the picture is emptied until setThumbnail.
  void showItem(const FileItem& item);
  const FileItem& item() const { return item_; }
  const std::string& itemText() const { return text_; }
  const std::string& caption() const { return caption_; }

  void setThumbnail(std::shared_ptr<const Thumbnail> thumbnail);
  bool hasPicture() const { return thumbnail_ != nullptr; }
  CellPicture pictureKind() const { return thumbnail_ ? thumbnail_->picture : CellPicture::Empty; }
  const QImage& image() const { return image_; }

  void setSelected(bool selected);
  bool isSelected() const { return selected_; }

  // The colour list in place of the picture (never for pictures and text documents).
  void switchColourList();
  bool colourListShown() const { return colourList_; }

  // Units of the distance read-out.
  void setInches(bool inches) { inches_ = inches; }
  // The colour pictures are drawn on (0x00BBGGRR), from the preferences.
  void setBackground(std::uint32_t bgr) { background_ = bgr; }
  // The status text for the pointer at `pos` (client pixels) with or without a button or
  // modifier key down: the distance from the design's centre, or what the cell shows.
  QString statusTextAt(const QPoint& pos, bool buttonOrModifier) const;

  // The picture this cell wants at its present size.
  PictureSpec wantedSpec(bool shaded, bool showJumps) const;
  CellGeometry geometryNow() const;

 signals:
  void contextMenuWanted(const QPoint& globalPos);
  void resized();
  // The preview pane's read-out under the mouse, for the status bar.
  void statusText(const QString& text);
  // The colour list was shown or hidden (the "Color Display" check mark follows).
  void colourListSwitched(bool shown);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void paintPicture(QPainter& p, const CellGeometry& g);
  void paintTmpMark(QPainter& p, const CellGeometry& g);
  void setColourList(bool shown);
  void fillColourList();
  void placeColourList();

  bool thumbnail_cell_;
  bool selected_ = false;
  bool colourList_ = false;
  bool inches_ = false;
  std::uint32_t background_ = 0xFFFFFF;
  FileItem item_;
  std::string text_;
  std::string caption_;
  std::shared_ptr<const Thumbnail> thumbnail_;
  QImage image_;  // the rendered stitches or the bitmap file, made on this thread
  QListWidget* list_ = nullptr;
};

}  // namespace lh
