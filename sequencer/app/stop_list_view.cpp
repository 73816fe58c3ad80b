#include "sequencer/app/stop_list_view.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace lh {

QColor qColorOf(std::uint32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

StopListView::StopListView(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new StopRowDelegate(*this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setToolTip("The color stops in sewing order.");
  connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!filling_ && row >= 0) emit rowChosen(row);
  });
}

int StopListView::rowHeight() const { return fontMetrics().height() + 4; }

void StopListView::setRows(std::vector<StopRow> rows, std::optional<std::size_t> selection) {
  filling_ = true;
  rows_ = std::move(rows);
  if (count() != static_cast<int>(rows_.size())) {
    clear();
    for (const StopRow& r : rows_) addItem(QString::fromStdString(r.text));
  } else {
    for (std::size_t i = 0; i < rows_.size(); ++i) item(static_cast<int>(i))->setText(QString::fromStdString(rows_[i].text));
  }
  filling_ = false;
  setSelectedRow(selection);
  viewport()->update();
}

void StopListView::setSelectedRow(std::optional<std::size_t> row) {
  filling_ = true;
  if (row && *row < rows_.size()) {
    setCurrentRow(static_cast<int>(*row));
    scrollToItem(item(static_cast<int>(*row)));
  } else {
    setCurrentRow(-1);
  }
  filling_ = false;
}

QSize StopRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const int h = list_.rowHeight();
  const int text = option.fontMetrics.horizontalAdvance(index.data().toString());
  // The widest text plus twice the row height plus 4.
  return QSize(text + 2 * h + 4 + 6, h);
}

void StopRowDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const std::size_t i = static_cast<std::size_t>(index.row());
  if (i >= list_.rows().size()) return;
  const StopRow& row = list_.rows()[i];
  const QRect r = option.rect;
  const int h = r.height();
  p->save();
  p->fillRect(r, option.palette.color(QPalette::Base));
  const QPen black(Qt::black, 1);
  // The swatch: a square of the row's height, 6 pixels in.
  const QRect swatch(r.left() + 6, r.top(), h - 1, h - 1);
  p->fillRect(swatch, qColorOf(row.rgb));
  p->setPen(black);
  p->drawRect(swatch);
  if (row.removed) {
    p->setPen(QPen(row.rgb == 0 ? Qt::white : Qt::black, 1));
    p->drawLine(swatch.topLeft(), swatch.bottomRight());
    p->drawLine(swatch.bottomLeft(), swatch.topRight());
  }
  p->setPen(black);
  if (option.state & QStyle::State_Selected) {
    const int from = swatch.right() - 2;
    p->drawLine(from, r.top(), r.right(), r.top());
    p->drawLine(from, r.bottom(), r.right(), r.bottom());
  }
  // Join brackets on the left of the swatch.
  const int midY = swatch.top() + swatch.height() / 2;
  const int x = swatch.left() - 4;
  if (row.joinedBefore && !row.keptBefore) {
    p->drawLine(swatch.left(), midY, x, midY);
    p->drawLine(x, midY, x, r.top() - 1);
  }
  if (row.joinedAfter && !row.keptAfter) {
    p->drawLine(swatch.left(), midY, x, midY);
    p->drawLine(x, midY, x, r.bottom());
  }
  p->setPen(option.palette.color(QPalette::Text));
  const QRect text(swatch.right() + 5, r.top(), r.right() - swatch.right() - 5, h);
  p->drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, index.data().toString());
  p->restore();
}

}  // namespace lh
