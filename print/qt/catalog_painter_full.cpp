// Full-size pages: one design at its real size with alignment marks and its colour list, and
// the loop that prints every page.
#include <QPageLayout>
#include <algorithm>

#include "design/emb_design.h"
#include "design/measurements.h"
#include "print/print_texts.h"
#include "print/qt/catalog_painter.h"

namespace lh::print {

namespace {

QColor colorOf(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// The stitches as lines at their real size in `picture` (Y up in the design, down on paper),
// one colour per block; jumps only with `jumps`.
void drawStitches(QPainter& painter, const EmbDesign& design, const Rect& picture, const PageMeasures& page,
                  bool jumps) {
  const double sx = page.pixelsPerMmX / 10.0;
  const double sy = page.pixelsPerMmY / 10.0;
  const double left = picture.x - static_cast<double>(design.minX) * sx;
  const double top = picture.y + static_cast<double>(design.maxY) * sy;
  QPen pen(Qt::black, std::max(1.0, 0.3 * page.pixelsPerMmX), Qt::SolidLine, Qt::RoundCap);
  std::size_t block = 0;
  auto setBlock = [&] {
    if (block < design.threads.size()) pen.setColor(colorOf(design.threads[block].rgb));
    painter.setPen(pen);
  };
  setBlock();
  std::int64_t x = 0, y = 0;
  for (const Stitch& s : design.stitches) {
    const QPointF from(left + static_cast<double>(x) * sx, top - static_cast<double>(y) * sy);
    x += s.dx;
    y += s.dy;
    if (s.isColorChange()) {
      ++block;
      setBlock();
      continue;
    }
    if (s.isJump() && !jumps) continue;
    painter.drawLine(from, QPointF(left + static_cast<double>(x) * sx, top - static_cast<double>(y) * sy));
  }
}

}  // namespace

void CatalogPainter::drawFullSizePage(QPainter& painter, int n) {
  const PrintItem& item = items_[static_cast<std::size_t>(n - 1)];
  EmbDesign design;
  const LoadResult result = codec_.loadDesign(&design, item.item.location());
  const bool stitches = result == LoadResult::Ok && !design.isText && !design.holdsPicture && !design.stitches.empty();
  const FullSizePlacement place = placeFullSize(stitches ? design.width() : 0, stitches ? design.height() : 0, page_,
                                                options_.colorInfo);
  const Rect& area = place.printable;
  int line = 3;
  drawText(painter, base_, area.x, lineY(line++), area.width, options_.title);
  if (options_.date) drawText(painter, base_, area.x, lineY(line++), area.width, printed_);
  drawText(painter, bold_, area.x, lineY(line++), area.width, printedName(item.item), false);
  drawText(painter, small_, area.x, lineY(line++), area.width, cellLocation(item.item, item.categoryName), false);
  if (stitches) drawText(painter, base_, area.x, lineY(line), area.width, sizeText(design, true, true), false);
  if (options_.pageNumbers)
    drawText(painter, base_, area.x, area.bottom() - page_.lineHeight, area.width, pageLine(n));
  if (!stitches) return;
  if (place.turned) {
    design.rotateQuarter(+1);
    design.computeBounds();
  }
  drawStitches(painter, design, place.picture, page_, options_.jumps);
  painter.setPen(QPen(Qt::black, 2));
  for (const Line& l : alignmentMarks(place.picture)) painter.drawLine(l.x0, l.y0, l.x1, l.y1);
  if (!options_.colorInfo) return;
  const int listWidth = area.width / 4;
  const FullSizeList list =
      fullSizeList(static_cast<int>(design.threads.size()), place.listTop + page_.smallLineHeight, area.bottom(),
                   listWidth, page_);
  // One column takes the quarter's whole width; two share it.
  const int nameWidth = (list.shown > list.rowsPerColumn ? list.secondColumnX : listWidth) - 3 * page_.charWidth;
  for (int b = 0; b < list.shown; ++b) {
    const int x = area.x + (b / list.rowsPerColumn) * list.secondColumnX;
    const int top = place.listTop + page_.smallLineHeight * (1 + b % list.rowsPerColumn);
    const ThreadColor& thread = design.threads[static_cast<std::size_t>(b)];
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(colorOf(thread.rgb));
    painter.drawRect(x, top, 2 * page_.charWidth, page_.smallLineHeight);
    painter.setBrush(Qt::NoBrush);
    drawText(painter, small_, x + 3 * page_.charWidth, top, nameWidth, thread.displayName);
  }
}

int printCatalog(QPagedPaintDevice& device, CatalogPainter& catalog) {
  device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  catalog.begin(device);
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  painter.setRenderHint(QPainter::Antialiasing, false);
  const int pages = catalog.plan().total();
  for (int n = 1; n <= pages; ++n) {
    if (n > 1) device.newPage();
    catalog.drawPage(painter, n);
  }
  painter.end();
  return pages;
}

}  // namespace lh::print
