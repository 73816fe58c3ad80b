#include "sequencer/app/chooser_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include "sequencer/app/stop_list_view.h"

namespace lh {

namespace {

QIcon swatchIcon(std::uint32_t rgb, int side) {
  QPixmap pixmap(side, side);
  pixmap.fill(qColorOf(rgb));
  QPainter p(&pixmap);
  p.setPen(Qt::black);
  p.drawRect(0, 0, side - 1, side - 1);
  return QIcon(pixmap);
}

}  // namespace

ChooseColorWindow::ChooseColorWindow(ColorChooser& chooser, QWidget* parent)
    : QDialog(parent, Qt::Tool), chooser_(chooser) {
  setWindowTitle("Choose Color");
  setModal(false);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Thread Palette:"), 0, 0);
  palettes_ = new QComboBox;
  grid->addWidget(palettes_, 0, 1, 1, 2);
  list_ = new QListWidget;
  list_->setIconSize(QSize(16, 16));
  grid->addWidget(list_, 1, 0, 1, 3);
  auto* sort = new QGroupBox("Sort by:");
  auto* sortRow = new QHBoxLayout(sort);
  byColor_ = new QRadioButton("Color");
  byName_ = new QRadioButton("Name");
  byColor_->setChecked(true);
  sortRow->addWidget(byColor_);
  sortRow->addWidget(byName_);
  grid->addWidget(sort, 2, 0, 1, 3);
  grid->addWidget(new QLabel("Search:"), 3, 0);
  search_ = new QLineEdit;
  grid->addWidget(search_, 3, 1);
  auto* go = new QPushButton("Go");
  grid->addWidget(go, 3, 2);
  auto* matches = new QPushButton("Find Matches");
  grid->addWidget(matches, 4, 0, 1, 3);
  resize(280, 460);

  connect(palettes_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (filling_) return;
    chooser_.showPalette(index);
    fillList();
  });
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_ || row < 0) return;
    chooser_.selectRow(row);
    emit colorChosen();
  });
  connect(byColor_, &QRadioButton::clicked, this, [this] { sortBy(ChooserSort::Color); });
  connect(byName_, &QRadioButton::clicked, this, [this] { sortBy(ChooserSort::Name); });
  connect(go, &QPushButton::clicked, this, [this] { searchNext(); });
  connect(search_, &QLineEdit::returnPressed, this, [this] { searchNext(); });
  connect(matches, &QPushButton::clicked, this, [this] { findMatches(); });
}

void ChooseColorWindow::reload() {
  filling_ = true;
  palettes_->clear();
  for (const std::string& name : chooser_.paletteNames()) palettes_->addItem(QString::fromStdString(name));
  palettes_->setCurrentIndex(chooser_.shownPalette());
  byColor_->setChecked(chooser_.sortOrder() == ChooserSort::Color);
  byName_->setChecked(chooser_.sortOrder() == ChooserSort::Name);
  filling_ = false;
  fillList();
}

void ChooseColorWindow::fillList() {
  filling_ = true;
  list_->clear();
  const std::span<const ThreadColor> rows = chooser_.rows();
  const std::vector<std::string> texts = chooser_.rowTexts();
  for (std::size_t i = 0; i < rows.size(); ++i)
    list_->addItem(new QListWidgetItem(swatchIcon(rows[i].rgb, 16), QString::fromStdString(texts[i])));
  filling_ = false;
  syncSelection();
}

// The list shows the chooser's selection without reporting it as the user's pick.
void ChooseColorWindow::syncSelection() {
  filling_ = true;
  if (palettes_->currentIndex() != chooser_.shownPalette()) palettes_->setCurrentIndex(chooser_.shownPalette());
  list_->setCurrentRow(chooser_.selectedRow());
  if (QListWidgetItem* item = list_->currentItem()) list_->scrollToItem(item);
  filling_ = false;
}

void ChooseColorWindow::showThread(const ThreadColor& thread) {
  const int palette = chooser_.shownPalette();
  chooser_.showThread(thread);
  if (chooser_.shownPalette() != palette || list_->count() != static_cast<int>(chooser_.rows().size())) {
    fillList();
  } else {
    syncSelection();
  }
}

void ChooseColorWindow::sortBy(ChooserSort order) {
  chooser_.sortBy(order);
  filling_ = true;
  byColor_->setChecked(order == ChooserSort::Color);
  byName_->setChecked(order == ChooserSort::Name);
  filling_ = false;
  fillList();
}

bool ChooseColorWindow::searchNext() {
  if (!chooser_.search(search_->text().toStdString())) return false;
  syncSelection();
  return true;
}

void ChooseColorWindow::findMatches() {
  if (!selectedThread_) return;
  const std::optional<ThreadColor> thread = selectedThread_();
  if (!thread) return;
  chooser_.findMatches(*thread);
  fillList();
}

}  // namespace lh
