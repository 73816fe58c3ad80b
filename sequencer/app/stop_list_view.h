#pragma once
// The stop list: one owner-drawn row per colour stop (swatch, crossed out when removed, lines
// along the selected row, brackets joining rows that are the same thread) with its text.
#include <QListWidget>
#include <QStyledItemDelegate>
#include <cstddef>
#include <optional>
#include <vector>

#include "sequencer/color_stop.h"

namespace lh {

class StopListView : public QListWidget {
  Q_OBJECT

 public:
  explicit StopListView(QWidget* parent = nullptr);

  // Refills the rows and selects `selection` without telling anyone.
  void setRows(std::vector<StopRow> rows, std::optional<std::size_t> selection);
  void setSelectedRow(std::optional<std::size_t> row);
  const std::vector<StopRow>& rows() const { return rows_; }
  int rowHeight() const;

 signals:
  // The user selected a row.
  void rowChosen(int row);

 private:
  std::vector<StopRow> rows_;
  bool filling_ = false;
};

// Draws one row of the stop list from its StopRow.
class StopRowDelegate : public QStyledItemDelegate {
 public:
  explicit StopRowDelegate(StopListView& list) : QStyledItemDelegate(&list), list_(list) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const StopListView& list_;
};

// A thread colour (0x00BBGGRR) as a QColor.
QColor qColorOf(std::uint32_t rgb);

}  // namespace lh
