#include "browser/app/single_view.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QFontDatabase>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace lh {
namespace {

QColor colorOf(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
QRect rectOf(const GridRect& r) { return QRect(r.x, r.y, r.width, r.height); }

}  // namespace

QImage indexedImage(const IndexedPicture& picture) {
  const auto expected = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  if (picture.width <= 0 || picture.height <= 0 || picture.pixels.size() < expected) return {};
  QImage image(picture.width, picture.height, QImage::Format_Indexed8);
  QList<QRgb> table;
  table.reserve(256);
  for (std::uint32_t c : picture.colors) table.push_back(colorOf(c).rgb());
  image.setColorTable(table);
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(image.scanLine(y), picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                static_cast<std::size_t>(picture.width));
  }
  return image;
}

BSingleView::BSingleView(bool isThumbnail, QWidget* parent) : QWidget(parent), thumbnail_cell_(isThumbnail) {
  // Thumbnails leave the mouse to the grid, which knows the item under it.
  if (isThumbnail) setAttribute(Qt::WA_TransparentForMouseEvents);
  else setMouseTracking(true);  // the distance read-out follows the mouse
  setAttribute(Qt::WA_OpaquePaintEvent);
  list_ = new QListWidget(this);
  list_->hide();
}

void BSingleView::showItem(const FileItem& item) {
  const std::string text = lh::itemText(item);
  if (text == text_) {
    // The same file; a tool run may have marked it since.
    if (item.isTemporary != item_.isTemporary || item.deleteAtClose != item_.deleteAtClose) {
      item_.isTemporary = item.isTemporary;
      item_.deleteAtClose = item.deleteAtClose;
      update();
    }
    return;
  }
  text_ = text;
  item_ = item;
  caption_ = cellCaption(item);
  selected_ = item.isSelected;
  thumbnail_.reset();
  image_ = QImage();
  // The preview keeps its colour list from design to design; the new picture turns it off
  // when it is no design.
  setColourList(!thumbnail_cell_ && colourList_ && !text.empty());
  update();
}

void BSingleView::setThumbnail(std::shared_ptr<const Thumbnail> thumbnail) {
  if (thumbnail == thumbnail_) return;
  thumbnail_ = std::move(thumbnail);
  image_ = QImage();
  if (thumbnail_) {
    if (thumbnail_->picture == CellPicture::Design) {
      image_ = indexedImage(thumbnail_->rendered);
    } else if (!thumbnail_->bitmapFile.empty()) {
      image_.loadFromData(thumbnail_->bitmapFile.data(), static_cast<int>(thumbnail_->bitmapFile.size()), "BMP");
    }
  }
  setColourList(colourList_ && showsStitches(pictureKind()));
  update();
}

void BSingleView::setSelected(bool selected) {
  if (selected == selected_) return;
  selected_ = selected;
  item_.isSelected = selected;
  update();
}

void BSingleView::switchColourList() {
  setColourList(colorListAfterSwitch(colourList_, pictureKind()));
  update();
}

void BSingleView::setColourList(bool shown) {
  const bool changed = shown != colourList_;
  colourList_ = shown;
  fillColourList();
  list_->setVisible(colourList_);
  placeColourList();
  if (changed) emit colourListSwitched(colourList_);
}

CellGeometry BSingleView::geometryNow() const {
  return cellGeometry(width(), height(), QFontMetrics(font()).height());
}

PictureSpec BSingleView::wantedSpec(bool shaded, bool showJumps) const {
  return pictureSpec(geometryNow(), shaded, showJumps, background_);
}

void BSingleView::fillColourList() {
  list_->clear();
  // The swatches are made only for a list that is shown: grid cells seldom show theirs.
  if (!thumbnail_ || !colourList_) return;
  for (const ColorLine& line : thumbnail_->colorList) {
    QPixmap swatch(12, 12);
    swatch.fill(colorOf(line.rgb));
    list_->addItem(new QListWidgetItem(QIcon(swatch), QString::fromStdString(line.text)));
  }
}

void BSingleView::placeColourList() {
  const QFontMetrics m(font());
  const int top = m.height() + kCaptionPadding + m.height();
  list_->setGeometry(0, top, width(), std::max(0, height() - top));
}

void BSingleView::resizeEvent(QResizeEvent*) {
  placeColourList();
  emit resized();
}

void BSingleView::contextMenuEvent(QContextMenuEvent* event) { emit contextMenuWanted(event->globalPos()); }

QString BSingleView::statusTextAt(const QPoint& pos, bool buttonOrModifier) const {
  // Pictures and text documents have no scale of their own; over them the caption is shown.
  const float scale = !thumbnail_ ? 0.0f : showsStitches(thumbnail_->picture) ? thumbnail_->scale : 1.0f;
  const PointerOverPreview pointer{pos.x(), pos.y(), buttonOrModifier};
  return QString::fromStdString(
      distanceText(caption_, pictureKind(), colourList_, scale, geometryNow().picture, pointer, inches_));
}

void BSingleView::mouseMoveEvent(QMouseEvent* event) {
  const bool busy = event->buttons() != Qt::NoButton || event->modifiers() != Qt::NoModifier;
  emit statusText(statusTextAt(event->position().toPoint(), busy));
  QWidget::mouseMoveEvent(event);
}

void BSingleView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const CellGeometry g = geometryNow();
  p.fillRect(rect(), Qt::white);
  const QRect strip = rectOf(g.caption);
  const QRect textRect = strip.adjusted(2, kCaptionTextTop, -2, 0);
  const QString caption = QString::fromStdString(caption_);
  p.setPen(Qt::black);
  p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop,
             p.fontMetrics().elidedText(caption, Qt::ElideRight, textRect.width()));
  p.setPen(palette().color(QPalette::Highlight));
  p.drawLine(strip.left(), strip.bottom(), strip.right(), strip.bottom());
  paintPicture(p, g);
  paintTmpMark(p, g);
  if (selected_ && thumbnail_cell_) {
    QPen pen(palette().color(QPalette::Highlight), kSelectionPen);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rectOf(g.frame));
  }
}

void BSingleView::paintTmpMark(QPainter& p, const CellGeometry& g) {
  const std::optional<std::uint32_t> color = tmpMarkColor(item_.isTemporary, item_.deleteAtClose);
  if (!color) return;
  p.save();
  p.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  p.setPen(colorOf(*color));
  p.drawText(rectOf(g.inner), Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine,
             QString::fromUtf8(kTmpMark.data(), static_cast<int>(kTmpMark.size())));
  p.restore();
}

void BSingleView::paintPicture(QPainter& p, const CellGeometry& g) {
  if (!thumbnail_) return;
  const QRect picture = rectOf(g.picture);
  const QRect inner = rectOf(g.inner);
  p.save();
  p.setClipRect(picture);
  switch (thumbnail_->picture) {
    case CellPicture::Design:
      if (colourList_) {
        p.setPen(Qt::black);
        p.drawText(picture, Qt::AlignHCenter | Qt::AlignTop,
                   p.fontMetrics().elidedText(QString::fromStdString(thumbnail_->infoText), Qt::ElideRight,
                                              picture.width()));
      } else {
        p.drawImage(picture.topLeft(), image_);
      }
      break;
    case CellPicture::Text:
      p.setPen(Qt::black);
      p.drawText(inner, Qt::TextWordWrap | Qt::TextExpandTabs, QString::fromStdString(thumbnail_->text));
      break;
    case CellPicture::PictureFile:
    case CellPicture::Missing:
    case CellPicture::Unreadable:
      if (!image_.isNull()) {
        const QSize size = image_.size().scaled(inner.size(), Qt::KeepAspectRatio);
        p.drawImage(QRect(inner.topLeft(), size), image_);
      }
      break;
    case CellPicture::Empty:
      break;
  }
  p.restore();
}

}  // namespace lh
