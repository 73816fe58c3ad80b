#include "browser/app/catalog_tree_looks.h"

#include <QPainter>
#include <QPixmap>
#include <array>

namespace lh {

namespace {

void drawTick(QPainter& p, const QColor& colour) {
  p.setPen(QPen(colour, 2));
  p.drawPolyline(QPolygon({QPoint(3, 6), QPoint(5, 9), QPoint(10, 3)}));
}

// Looks with sub-categories ticked get a mark in the corner: a full square when all of them
// are wholly ticked, a small one when only some are.
void drawBelowMark(QPainter& p, bool all) {
  p.setPen(Qt::NoPen);
  p.setBrush(all ? QColor(0, 110, 0) : QColor(90, 90, 90));
  p.drawRect(all ? QRect(7, 7, 5, 5) : QRect(8, 8, 4, 4));
}

QIcon makeIcon(TickLook look) {
  QPixmap pixmap(kTickBoxSize, kTickBoxSize);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setPen(QColor(80, 80, 80));
  p.drawRect(0, 0, kTickBoxSize - 1, kTickBoxSize - 1);
  switch (look) {
    case TickLook::Clear:
      break;
    case TickLook::Alone:
      drawTick(p, Qt::black);
      break;
    case TickLook::TickedSome:
      drawTick(p, Qt::black);
      drawBelowMark(p, false);
      break;
    case TickLook::BelowOnly:
      drawBelowMark(p, true);
      break;
    case TickLook::All:
      drawTick(p, QColor(0, 110, 0));
      break;
    case TickLook::UntickedSome:
      drawBelowMark(p, false);
      break;
  }
  p.end();
  return QIcon(pixmap);
}

}  // namespace

const QIcon& tickIcon(TickLook look) {
  static const std::array<QIcon, 6> icons = [] {
    std::array<QIcon, 6> made;
    for (int i = 0; i < 6; ++i) made[static_cast<std::size_t>(i)] = makeIcon(static_cast<TickLook>(i + 1));
    return made;
  }();
  const int index = static_cast<int>(look) - 1;
  return icons[static_cast<std::size_t>(index >= 0 && index < 6 ? index : 0)];
}

}  // namespace lh
