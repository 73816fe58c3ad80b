#include "print/qt/catalog_painter.h"

#include <QFontMetrics>
#include <QImage>
#include <QPageLayout>
#include <algorithm>
#include <cstring>

#include "design/emb_design.h"
#include "design/measurements.h"
#include "print/print_texts.h"
#include "render/renderer.h"

namespace lh::print {

namespace {

constexpr int kRaster = 480;  // thumbnails are drawn on a raster this size, then scaled

QColor colorOf(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
QString qs(const std::string& s) { return QString::fromStdString(s); }
QRect qrect(const Rect& r) { return QRect(r.x, r.y, r.width, r.height); }

QFont fontOf(int pixelHeight, int weight) {
  QFont f;
  f.setPixelSize(std::max(pixelHeight, 1));
  f.setWeight(static_cast<QFont::Weight>(weight));
  return f;
}

int lineOf(const QFont& font, const QPaintDevice& device) {
  const QFontMetrics m(font, &device);
  return m.height() + m.leading();
}

// `text` cut after its last word that fits with an ellipsis; a single word too long is cut
// where it must.
QString cutAtWord(const QString& text, const QFontMetrics& m, int width) {
  if (m.horizontalAdvance(text) <= width) return text;
  const QString ellipsis = QStringLiteral("...");
  for (qsizetype end = text.lastIndexOf(' '); end > 0; end = text.lastIndexOf(' ', end - 1)) {
    const QString cut = text.left(end) + ellipsis;
    if (m.horizontalAdvance(cut) <= width) return cut;
  }
  return m.elidedText(text, Qt::ElideRight, width);
}

// The renderer's picture of `design` on the thumbnail raster, as an indexed image.
QImage renderedImage(EmbDesign& design) {
  if (!buildDib(design)) return {};
  const DibHeader& hd = design.dibInfo.header;
  const auto w = static_cast<std::size_t>(hd.width);
  const std::size_t stride = (w + 3) / 4 * 4;
  if (hd.width <= 0 || hd.height <= 0 || design.dibBits.size() < stride * static_cast<std::size_t>(hd.height))
    return {};
  QImage image(hd.width, hd.height, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (std::uint32_t c : design.dibInfo.colors) table.push_back(0xFF000000u | c);
  while (table.size() < 256) table.push_back(0xFFFFFFFFu);
  image.setColorTable(table);
  for (int y = 0; y < hd.height; ++y)
    std::memcpy(image.scanLine(y), design.dibBits.data() + static_cast<std::size_t>(hd.height - 1 - y) * stride, w);
  return image;
}

QImage pictureImage(const EmbDesign& design) {
  return QImage::fromData(design.picture.data(), static_cast<int>(design.picture.size()), "BMP");
}

}  // namespace

PrintedDesign printedDesign(const PrintItem& item) {
  if (!item.categoryPath.empty()) return {"category:" + item.categoryPath, item.categoryPath};
  const std::string folder = folderLocation(item.item);
  if (item.item.treeItem != 0) return {"node:" + std::to_string(item.item.treeItem), folder};
  return {"folder:" + folder, folder};
}

CatalogPainter::CatalogPainter(DesignCodec& codec, PrintOptions options, std::vector<PrintItem> items,
                               std::time_t when)
    : codec_(codec), options_(std::move(options)), items_(std::move(items)), printed_(printedLine(when)) {
  std::vector<PrintedDesign> designs;
  for (const PrintItem& item : items_) designs.push_back(printedDesign(item));
  groups_ = contentsGroups(designs);
}

void CatalogPainter::begin(QPagedPaintDevice& device) {
  const double heightMm = device.pageLayout().fullRect(QPageLayout::Millimeter).height();
  const double dpiX = device.logicalDpiX();
  const double dpiY = device.logicalDpiY();
  const int baseHeight = baseTextHeight(dpiY, heightMm);
  base_ = fontOf(baseHeight, 400);
  bold_ = fontOf(baseHeight, 700);
  big_ = fontOf(2 * baseHeight, 700);
  small_ = fontOf(smallTextHeight(dpiY, heightMm), 400);
  page_.width = device.width();
  page_.height = device.height();
  page_.pixelsPerMmX = dpiX / 25.4;
  page_.pixelsPerMmY = dpiY / 25.4;
  page_.lineHeight = lineOf(base_, device);
  page_.boldLineHeight = lineOf(bold_, device);
  page_.smallLineHeight = lineOf(small_, device);
  page_.charWidth = QFontMetrics(base_, &device).averageCharWidth();
  grid_ = pageGrid(options_.rows, options_.columns, options_.bestUse, page_.landscape());
  lines_ = linesPerPage(page_);
  plan_ = planPages(options_.mode, static_cast<int>(items_.size()), grid_.perPage(), options_.contents,
                    static_cast<int>(groups_.size()), lines_);
}

void CatalogPainter::drawText(QPainter& painter, const QFont& font, int x, int y, int width,
                              const std::string& text, bool cut) const {
  painter.setFont(font);
  const QFontMetrics m(font, painter.device());
  const QString shown = cut ? cutAtWord(qs(text), m, width) : qs(text);
  painter.drawText(QRect(x, y, std::max(width, 1), m.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, shown);
}

void CatalogPainter::drawPage(QPainter& painter, int n) {
  if (n <= plan_.designPages) {
    if (options_.mode == PrintMode::FullSize) drawFullSizePage(painter, n);
    else drawThumbnailPage(painter, n);
  } else if (n <= plan_.total()) {
    drawContentsPage(painter, n - plan_.designPages);
  }
}

void CatalogPainter::drawThumbnailPage(QPainter& painter, int n) {
  const int margin = sideMargin(page_);
  const int width = page_.width - 2 * margin;
  drawText(painter, base_, margin, lineY(3), width, options_.title);
  if (options_.date) drawText(painter, base_, margin, lineY(4), width, printed_);
  if (options_.pageNumbers) drawText(painter, base_, margin, lineY(lines_ + 10), width, pageLine(n));
  const auto cells = cellRects(page_, grid_);
  const DesignRange range = designsOnPage(n, grid_.perPage(), static_cast<int>(items_.size()));
  for (int i = 0; i < range.count; ++i)
    drawCell(painter, cells[static_cast<std::size_t>(i)], items_[static_cast<std::size_t>(range.first + i)]);
}

void CatalogPainter::drawCell(QPainter& painter, const Rect& cell, const PrintItem& item) {
  painter.setPen(QPen(Qt::black, 3));
  for (const Line& l : cornerMarks(cell, cornerMarkLength(page_), page_.landscape()))
    painter.drawLine(l.x0, l.y0, l.x1, l.y1);
  const Rect inner = innerArea(cell, page_);
  int y = inner.y;
  drawText(painter, bold_, inner.x, y, inner.width, printedName(item.item));
  y += page_.boldLineHeight;
  const std::string location = cellLocation(item.item, item.categoryName);
  if (!location.empty()) {
    drawText(painter, small_, inner.x, y, inner.width, location);
    y += page_.smallLineHeight;
  }
  EmbDesign design;
  const LoadResult result = codec_.loadDesign(&design, item.item.location());
  const Rect rest{inner.x, y, inner.width, inner.bottom() - y};
  if (design.holdsPicture) {
    painter.drawImage(qrect(pictureSquare(rest)), pictureImage(design));
    return;
  }
  if (result != LoadResult::Ok) return;
  if (design.isText) {
    painter.setFont(small_);
    const int top = y + page_.smallLineHeight * 3 / 2;
    painter.drawText(QRect(inner.x, top, inner.width, std::max(inner.bottom() - top, 0)),
                     Qt::TextWordWrap | Qt::TextExpandTabs, qs(design.text));
    return;
  }
  if (design.stitches.empty()) return;
  const int colors = static_cast<int>(design.threads.size());
  if (options_.sewingInfo) {
    drawText(painter, small_, inner.x, y, inner.width, sizeText(design, true, false));
    drawText(painter, small_, inner.x, y + page_.smallLineHeight, inner.width,
             countsLine(static_cast<int>(design.stitches.size()), colors));
    y += 2 * page_.smallLineHeight;
  }
  const int listTop = y;
  y += page_.smallLineHeight / 2;
  const int shift = options_.colorInfo ? inner.width / 4 + page_.charWidth : 0;
  const Rect square = pictureSquare({inner.x + shift, y, inner.width - shift, inner.bottom() - y});
  usePalette(design, &palette_);
  setSize(design, kRaster, kRaster);
  setBackground(design, 0xFFFFFF);
  design.shaded = false;
  design.thickLines = true;
  design.showJumps = options_.jumps;
  if (square.width > 0) painter.drawImage(qrect(square), renderedImage(design));
  if (!options_.colorInfo) return;
  const ColorColumns list = colorColumns(colors, listTop, inner.bottom(), cell.width, page_);
  painter.setPen(QPen(Qt::black, 3));
  const int nameRight = std::min(cell.right() - page_.charWidth / 2, square.x - page_.charWidth / 2);
  for (int b = 0; b < list.shown; ++b) {
    const int x = inner.x + (b / list.rowsPerColumn) * list.columnStep;
    const int top = listTop + (b % list.rowsPerColumn) * page_.smallLineHeight;
    const ThreadColor& thread = design.threads[static_cast<std::size_t>(b)];
    painter.setBrush(colorOf(thread.rgb));
    painter.drawRect(x, top + 2, 2 * page_.charWidth, page_.smallLineHeight - 4);
    if (list.withNames) {
      const int nameX = x + page_.charWidth * 5 / 2;
      drawText(painter, small_, nameX, top, nameRight - nameX, thread.displayName);
    }
  }
  painter.setBrush(Qt::NoBrush);
}

void CatalogPainter::drawContentsPage(QPainter& painter, int k) {
  const int margin = sideMargin(page_);
  const int width = page_.width - 2 * margin;
  const DesignRange range = groupsOnContentsPage(k, lines_, static_cast<int>(groups_.size()));
  if (range.count > 0) {
    drawText(painter, base_, margin, lineY(4), width, options_.title);
    drawText(painter, bold_, margin, lineY(5), width, std::string(kContentsCaption));
    drawText(painter, base_, margin, lineY(7), width, std::string(kContentsHeader));
  }
  for (int i = 0; i < range.count; ++i) {
    const ContentsGroup& g = groups_[static_cast<std::size_t>(range.first + i)];
    const int page = contentsPageOf(options_.mode, g.firstPosition, grid_.perPage());
    drawText(painter, base_, margin, lineY(8 + i), width, contentsLine(page, g.location));
  }
  drawText(painter, base_, margin, lineY(lines_ + 8), width, contentsFootLine(k));
}

}  // namespace lh::print
