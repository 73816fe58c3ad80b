#include "sequencer/app/color_prefs_window.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <functional>

#include "sequencer/app/stop_list_view.h"

namespace lh {

namespace {

std::uint32_t rgbOfQColor(const QColor& c) {
  return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
         static_cast<std::uint32_t>(c.blue()) << 16;
}

}  // namespace

// A colour square: a storage position (clicked to pick it, a dropped colour stored in it) or
// the large preview box (dragged onto a storage position).
class ColorSwatchBox : public QWidget {
 public:
  ColorSwatchBox(int side, bool source, QWidget* parent = nullptr) : QWidget(parent), source_(source) {
    setFixedSize(side, side);
    setAcceptDrops(!source);
  }
  void setColor(std::uint32_t rgb, bool marked) {
    rgb_ = rgb;
    marked_ = marked;
    update();
  }
  std::function<void()> clicked;
  std::function<void(std::uint32_t)> dropped;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), qColorOf(rgb_));
    p.setPen(QPen(Qt::black, marked_ ? 3 : 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  void mousePressEvent(QMouseEvent*) override {
    if (!source_) {
      if (clicked) clicked();
      return;
    }
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setColorData(qColorOf(rgb_));
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
  }
  void dragEnterEvent(QDragEnterEvent* event) override {
    if (event->mimeData()->hasColor()) event->acceptProposedAction();
  }
  void dropEvent(QDropEvent* event) override {
    if (dropped) dropped(rgbOfQColor(event->mimeData()->colorData().value<QColor>()));
    event->acceptProposedAction();
  }

 private:
  bool source_;
  std::uint32_t rgb_ = 0;
  bool marked_ = false;
};

ColorPreferencesWindow::ColorPreferencesWindow(SettingsStore& settings, QWidget* parent)
    : QDialog(parent, Qt::Tool), settings_(settings), prefs_(loadColorPreferences(settings)) {
  setWindowTitle("Color Preferences");
  auto* layout = new QGridLayout(this);
  auto* squares = new QGridLayout;
  for (int i = 0; i < ColorPreferences::kStorageCount; ++i) {
    auto* box = new ColorSwatchBox(24, false);
    box->clicked = [this, i] { pick(i); };
    box->dropped = [this, i](std::uint32_t rgb) {
      prefs_.store(i, rgb);
      showValues();
    };
    storage_[static_cast<std::size_t>(i)] = box;
    squares->addWidget(box, i / 6, i % 6);
  }
  layout->addLayout(squares, 0, 0, 1, 2);
  preview_ = new ColorSwatchBox(64, true);
  layout->addWidget(preview_, 0, 2);

  auto* setFor = new QGroupBox("Set for:");
  auto* setRow = new QHBoxLayout(setFor);
  background_ = new QRadioButton("Background");
  hoop_ = new QRadioButton("Hoop");
  background_->setChecked(true);
  setRow->addWidget(background_);
  setRow->addWidget(hoop_);
  layout->addWidget(setFor, 1, 0, 1, 3);
  auto* controls = new QGroupBox("Controls:");
  auto* controlRow = new QHBoxLayout(controls);
  rgb_ = new QRadioButton("RGB");
  hsb_ = new QRadioButton("HSB");
  controlRow->addWidget(rgb_);
  controlRow->addWidget(hsb_);
  layout->addWidget(controls, 2, 0, 1, 3);
  for (std::size_t k = 0; k < 3; ++k) {
    names_[k] = new QLabel;
    sliders_[k] = new QSlider(Qt::Horizontal);
    numbers_[k] = new QLabel;
    numbers_[k]->setMinimumWidth(30);
    const int row = 3 + static_cast<int>(k);
    layout->addWidget(names_[k], row, 0);
    layout->addWidget(sliders_[k], row, 1);
    layout->addWidget(numbers_[k], row, 2);
    connect(sliders_[k], &QSlider::valueChanged, this, [this] { slidersMoved(); });
  }
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("OK");
  auto* applyButton = new QPushButton("Apply");
  auto* cancelButton = new QPushButton("Cancel");
  auto* resetButton = new QPushButton("Reset");
  for (QPushButton* b : {ok, applyButton, cancelButton, resetButton}) buttons->addWidget(b);
  layout->addLayout(buttons, 6, 0, 1, 3);

  connect(background_, &QRadioButton::toggled, this, [this] { showValues(); });
  connect(rgb_, &QRadioButton::toggled, this, [this] {
    prefs_.controls = rgb_->isChecked() ? ColorControls::Rgb : ColorControls::Hsb;
    showValues();
  });
  connect(ok, &QPushButton::clicked, this, [this] {
    apply();
    hide();
  });
  connect(applyButton, &QPushButton::clicked, this, [this] { apply(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
  connect(resetButton, &QPushButton::clicked, this, [this] { reset(); });
  rgb_->setChecked(prefs_.controls == ColorControls::Rgb);
  hsb_->setChecked(prefs_.controls == ColorControls::Hsb);
  showValues();
}

ColorTarget ColorPreferencesWindow::target() const {
  return hoop_->isChecked() ? ColorTarget::Hoop : ColorTarget::Background;
}

void ColorPreferencesWindow::pick(int index) {
  prefs_.pick(target(), index);
  showValues();
}

void ColorPreferencesWindow::setSlider(int which, int value) {
  if (which >= 0 && which < 3) sliders_[static_cast<std::size_t>(which)]->setValue(value);
}

// Sliders, numbers and squares from the values being edited.
void ColorPreferencesWindow::showValues() {
  showing_ = true;
  const std::uint32_t c = prefs_.color(target());
  const bool rgb = prefs_.controls == ColorControls::Rgb;
  const char* rgbNames[] = {"Red:", "Green:", "Blue:"};
  const char* hsbNames[] = {"Hue:", "Saturation:", "Brightness:"};
  const HsbValue hsb = hsbOfColor(c);
  const int values[3][2] = {{static_cast<int>(c & 0xFF), hsb.hue},
                            {static_cast<int>((c >> 8) & 0xFF), hsb.saturation},
                            {static_cast<int>((c >> 16) & 0xFF), hsb.brightness}};
  for (std::size_t k = 0; k < 3; ++k) {
    names_[k]->setText(rgb ? rgbNames[k] : hsbNames[k]);
    sliders_[k]->setRange(0, !rgb && k == 0 ? 359 : 255);
    sliders_[k]->setValue(values[k][rgb ? 0 : 1]);
    numbers_[k]->setText(QString::asprintf("%i", sliders_[k]->value()));
  }
  const int picked = target() == ColorTarget::Background ? prefs_.backgroundIndex : prefs_.hoopIndex;
  for (int i = 0; i < ColorPreferences::kStorageCount; ++i)
    storage_[static_cast<std::size_t>(i)]->setColor(prefs_.storage[static_cast<std::size_t>(i)], i == picked);
  preview_->setColor(c, false);
  showing_ = false;
}

void ColorPreferencesWindow::slidersMoved() {
  if (showing_) return;
  const int a = sliders_[0]->value(), b = sliders_[1]->value(), c = sliders_[2]->value();
  const std::uint32_t color =
      prefs_.controls == ColorControls::Rgb
          ? static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b) << 8 | static_cast<std::uint32_t>(c) << 16
          : colorOfHsb({a, b, c});
  prefs_.setColor(target(), color);
  for (std::size_t k = 0; k < 3; ++k) numbers_[k]->setText(QString::asprintf("%i", sliders_[k]->value()));
  preview_->setColor(color, false);
}

void ColorPreferencesWindow::apply() {
  storeColorPreferences(settings_, prefs_);
  emit colorsUpdated();
}

void ColorPreferencesWindow::reset() {
  prefs_ = ColorPreferences::defaults();
  showValues();
}

void ColorPreferencesWindow::cancel() {
  prefs_ = loadColorPreferences(settings_);
  showValues();
  hide();
  emit colorsUpdated();
}

}  // namespace lh
