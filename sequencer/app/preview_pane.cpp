#include "sequencer/app/preview_pane.h"

#include <QMouseEvent>
#include <QPainter>
#include <cstring>

#include "render/renderer.h"
#include "sequencer/app/stop_list_view.h"
#include "sequencer/preview_click.h"
#include "sequencer/sequencer_layout.h"

namespace lh {

namespace {

QRect qRectOf(const PixelRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

PreviewPane::PreviewPane(DisplayPalette& palette, QWidget* parent) : QWidget(parent), palette_(palette) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setToolTip("Click on a color to select its color stop.");
  shown_.thickLines = true;
}

PreviewPane::~PreviewPane() = default;

void PreviewPane::setDesign(const EmbDesign& design, bool fresh) {
  shown_.copyFrom(design);
  if (fresh) geometry_.forgetScale();
  position_ = 0;
  redraw();
}

void PreviewPane::setLook(bool shaded, bool showJumps) {
  shaded_ = shaded;
  showJumps_ = showJumps;
  redraw();
}

void PreviewPane::setBackground(std::uint32_t rgb) {
  background_ = rgb;
  redraw();
}

void PreviewPane::setFrame(std::optional<StopBounds> frame) {
  frame_ = frame;
  update();
}

void PreviewPane::fit() {
  geometry_.setPaneSize(std::max(width(), 2), std::max(height(), 2));
  geometry_.fit({shown_.minX, shown_.minY, shown_.maxX, shown_.maxY});
}

// Draws the picture from the first record; the painter then draws on as the simulation goes.
void PreviewPane::redraw() {
  shown_.thickLines = true;
  shown_.shaded = shaded_;
  shown_.showJumps = showJumps_;
  shown_.background = background_;
  fit();
  placePreviewColors(shown_, palette_);
  painter_ = std::make_unique<PreviewPainter>(shown_, geometry_);
  painter_->restart();
  needle_ = NeedleWalk{};
  const std::int64_t at = position_;
  position_ = -1;
  showUpTo(at);
}

void PreviewPane::showUpTo(std::int64_t position) {
  if (!painter_) return;
  if (position == position_) return;
  position_ = position;
  if (position <= 0) {
    painter_->drawAll();
  } else {
    painter_->drawTo(static_cast<std::size_t>(position));
  }
  // The needle after the records drawn.
  if (position > 0) needle_.advanceTo(shown_.stitches, static_cast<std::int64_t>(painter_->drawn()));
  update();
}

QImage PreviewPane::image() const {
  if (!shown_.holdsPixels()) return {};
  const DesignBitmap& bitmap = shown_;
  QImage image(bitmap.width, bitmap.height, QImage::Format_Indexed8);
  QList<QRgb> table;
  table.reserve(256);
  const PaletteManager& pal = palette_.manager();
  for (int slot = 0; slot < 256; ++slot) {
    const std::int32_t v = pal.slotValue(slot);
    table.push_back(v < 0 ? qRgb(0, 0, 0) : qColorOf(static_cast<std::uint32_t>(v)).rgb());
  }
  image.setColorTable(table);
  for (int y = 0; y < bitmap.height; ++y)
    std::memcpy(image.scanLine(y), bitmap.pixels.data() + static_cast<std::size_t>(y) * bitmap.width,
                static_cast<std::size_t>(bitmap.width));
  return image;
}

void PreviewPane::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), qColorOf(background_));
  p.drawImage(0, 0, image());
  if (frame_ && position_ <= 0) {
    const PixelRect f = geometry_.frameOf({static_cast<std::int32_t>(frame_->minX), static_cast<std::int32_t>(frame_->minY),
                                           static_cast<std::int32_t>(frame_->maxX), static_cast<std::int32_t>(frame_->maxY)});
    p.setPen(QPen(Qt::black, 1, Qt::DashDotDotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(f.left, f.top), QPoint(f.right, f.bottom)));
  }
  if (position_ > 0) {
    const PixelRect m = geometry_.needleMark(static_cast<double>(needle_.x), static_cast<double>(needle_.y));
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(qRectOf(m), Qt::white);
  }
}

void PreviewPane::resizeEvent(QResizeEvent*) { redraw(); }

int PreviewPane::blockAt(int x, int y) const {
  const std::uint32_t clicked = previewColorAt(shown_, palette_.manager(), x, y);
  return blockAtClick(shown_, palette_.manager(), geometry_, x, y, clicked);
}

void PreviewPane::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  emit blockClicked(blockAt(at.x(), at.y()));
}

void ColorBarStrip::setDesign(const EmbDesign& design) {
  threads_ = design.threads;
  stitchCount_ = static_cast<std::int64_t>(design.stitches.size());
  update();
}

void ColorBarStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  const ColorBar bar = colorBarOf({0, 0, width(), height()}, threads_, stitchCount_);
  p.setPen(QPen(Qt::black, 1));
  for (const ColorBarSegment& s : bar.segments) {
    p.setBrush(qColorOf(s.rgb));
    p.drawRect(QRect(QPoint(s.rect.left, s.rect.top), QPoint(s.rect.right, s.rect.bottom - 1)));
  }
  p.setBrush(Qt::black);
  p.setRenderHint(QPainter::Antialiasing);
  p.drawEllipse(qRectOf(bar.marker));
}

}  // namespace lh
