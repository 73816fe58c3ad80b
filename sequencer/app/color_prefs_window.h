#pragma once
// "Color Preferences": the preview's background colour (and the stored hoop colour) chosen from
// 24 stored colours or set with sliders in RGB or HSB. OK, Apply and Cancel each tell the main
// window to redraw with the stored background.
#include <QDialog>
#include <array>

#include "design/settings.h"
#include "sequencer/color_preferences.h"

class QLabel;
class QRadioButton;
class QSlider;

namespace lh {

class ColorSwatchBox;

class ColorPreferencesWindow : public QDialog {
  Q_OBJECT

 public:
  ColorPreferencesWindow(SettingsStore& settings, QWidget* parent = nullptr);

  const ColorPreferences& preferences() const { return prefs_; }
  void pick(int index);
  void setSlider(int which, int value);
  void apply();
  void reset();
  void cancel();

 signals:
  // The stored colours may have changed: redraw with the stored background.
  void colorsUpdated();

 private:
  ColorTarget target() const;
  void showValues();
  void slidersMoved();

  SettingsStore& settings_;
  ColorPreferences prefs_;
  std::array<ColorSwatchBox*, ColorPreferences::kStorageCount> storage_{};
  ColorSwatchBox* preview_;
  QRadioButton* background_;
  QRadioButton* hoop_;
  QRadioButton* rgb_;
  QRadioButton* hsb_;
  std::array<QSlider*, 3> sliders_{};
  std::array<QLabel*, 3> names_{};
  std::array<QLabel*, 3> numbers_{};
  bool showing_ = false;
};

}  // namespace lh
