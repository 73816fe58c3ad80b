// The background colour page: 24 stored colours on the left, the current colour on the right
// with three sliders in HSB or RGB. The current colour's box can be dragged onto a stored
// position to keep it there.
#include <QDrag>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <functional>

#include "browser/app/preferences_pages.h"
#include "browser/prefs_core/prefs_texts.h"
#include "design/thread_color.h"

namespace lh {

namespace t = prefs_texts;

namespace {

QColor qcolor(std::uint32_t c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }
std::uint32_t colorref(const QColor& c) { return rgbOf(c.red(), c.green(), c.blue()); }

}  // namespace

// One colour box: a stored position (clicked to choose it, a drop target) or the current
// colour (a drag source).
class ColorSwatch : public QWidget {
 public:
  ColorSwatch(int index, QWidget* parent) : QWidget(parent), index_(index) {
    setObjectName(index < 0 ? QString("current") : QString("s%1").arg(index));
    setAcceptDrops(index >= 0);
    setMinimumSize(index < 0 ? QSize(96, 96) : QSize(32, 24));
  }
  std::function<void(int)> clicked;
  std::function<void(int, std::uint32_t)> dropped;

  void show(std::uint32_t color, bool chosen) {
    color_ = color;
    chosen_ = chosen;
    update();
  }
  std::uint32_t color() const { return color_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), qcolor(color_));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!chosen_) return;
    p.setPen(QPen(palette().highlight().color(), 3));
    p.drawRect(rect().adjusted(2, 2, -3, -3));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  void mousePressEvent(QMouseEvent* e) override {
    pressAt_ = e->position().toPoint();
    if (index_ >= 0 && clicked) clicked(index_);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (index_ >= 0 || !(e->buttons() & Qt::LeftButton)) return;
    if ((e->position().toPoint() - pressAt_).manhattanLength() < 4) return;
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setColorData(qcolor(color_));
    drag->setMimeData(data);
    QPixmap icon(24, 24);
    icon.fill(qcolor(color_));
    drag->setPixmap(icon);
    drag->exec(Qt::CopyAction);
  }
  void dragEnterEvent(QDragEnterEvent* e) override {
    if (e->mimeData()->hasColor()) e->acceptProposedAction();
  }
  void dropEvent(QDropEvent* e) override {
    if (!e->mimeData()->hasColor() || !dropped) return;
    dropped(index_, colorref(qvariant_cast<QColor>(e->mimeData()->colorData())));
    e->acceptProposedAction();
  }

 private:
  int index_;
  std::uint32_t color_ = 0;
  bool chosen_ = false;
  QPoint pressAt_;
};

BPropColors::BPropColors(QWidget* parent) : PrefsPage(parent) {
  auto* l = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* grid = new QGridLayout;
  grid->setSpacing(4);
  for (int i = 0; i < kStoredColorCount; ++i) {
    auto* s = new ColorSwatch(i, this);
    s->clicked = [this](int index) {
      colors_.pick(index);
      refresh();
    };
    s->dropped = [this](int index, std::uint32_t color) {
      colors_.setColor(color);
      colors_.dropOn(index);
      refresh();
    };
    swatches_.push_back(s);
    grid->addWidget(s, i / 4, i % 4);
  }
  left->addLayout(grid);
  auto* hint = new QLabel(qs(t::kDragHint), this);
  hint->setWordWrap(true);
  left->addWidget(hint);
  left->addStretch();
  l->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel(qs(t::kCustomColor), this));
  current_ = new ColorSwatch(-1, this);
  right->addWidget(current_, 0, Qt::AlignLeft);
  right->addWidget(new QLabel(qs(t::kControls), this));
  hsbButton_ = new QRadioButton(qs(t::kHsb), this);
  rgbButton_ = new QRadioButton(qs(t::kRgb), this);
  hsbButton_->setObjectName("hsb");
  rgbButton_->setObjectName("rgb");
  rgbButton_->setChecked(true);
  auto* modes = new QHBoxLayout;
  modes->addWidget(hsbButton_);
  modes->addWidget(rgbButton_);
  modes->addStretch();
  right->addLayout(modes);
  auto* sliders = new QGridLayout;
  for (std::size_t i = 0; i < sliders_.size(); ++i) {
    labels_[i] = new QLabel(this);
    sliders_[i] = new QSlider(Qt::Horizontal, this);
    sliders_[i]->setObjectName(QString("slider%1").arg(i));
    values_[i] = new QLabel(this);
    values_[i]->setMinimumWidth(30);
    const int r = static_cast<int>(i);
    sliders->addWidget(labels_[i], r, 0);
    sliders->addWidget(sliders_[i], r, 1);
    sliders->addWidget(values_[i], r, 2);
    connect(sliders_[i], &QSlider::valueChanged, this, &BPropColors::slid);
  }
  right->addLayout(sliders);
  auto* reset = new QPushButton(qs(t::kReset), this);
  reset->setObjectName("reset");
  reset->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  right->addWidget(reset);
  right->addStretch();
  l->addLayout(right, 1);

  current_->show(colors_.color, false);
  connect(hsbButton_, &QRadioButton::toggled, this, [this](bool on) {
    hsb_ = on;
    refresh();
  });
  connect(reset, &QPushButton::clicked, this, [this] {
    colors_.resetStored();
    refresh();
  });
}

void BPropColors::slid() {
  if (refreshing_) return;
  const int a = sliders_[0]->value(), b = sliders_[1]->value(), c = sliders_[2]->value();
  colors_.setColor(hsb_ ? colorOfHsb({a, b, c}) : rgbOf(a, b, c));
  refresh(false);
}

// The boxes show the colours; the sliders follow the current colour unless they set it
// (HSB values read back from a colour may differ from the ones the user set).
void BPropColors::refresh(bool sliders) {
  refreshing_ = true;
  for (std::size_t i = 0; i < swatches_.size(); ++i)
    swatches_[i]->show(colors_.stored[i], static_cast<int>(i) == colors_.selected);
  current_->show(colors_.color, false);
  const auto& names = hsb_ ? t::kHsbLabels : t::kRgbLabels;
  const HsbValue hsb = hsbOfColor(colors_.color);
  const std::array<int, 3> values = hsb_ ? std::array<int, 3>{hsb.hue, hsb.saturation, hsb.brightness}
                                         : std::array<int, 3>{redOf(colors_.color), greenOf(colors_.color),
                                                              blueOf(colors_.color)};
  for (std::size_t i = 0; i < sliders_.size(); ++i) {
    labels_[i]->setText(qs(names[i]));
    sliders_[i]->setRange(0, hsb_ && i == 0 ? 359 : 255);
    if (sliders) sliders_[i]->setValue(values[i]);
    values_[i]->setText(QString::number(sliders_[i]->value()));
  }
  refreshing_ = false;
}

void BPropColors::showValues(const Preferences& prefs) {
  colors_ = prefs.colors;
  refresh();
}

void BPropColors::takeValues(Preferences& prefs) const { prefs.colors = colors_; }

}  // namespace lh
