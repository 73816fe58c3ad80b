#pragma once
// The pages of the preferences sheet, in tab order. Each page shows a Preferences record in
// its controls and takes the controls' values back into one; the rules they follow while the
// user types and clicks come from browser/prefs_core.
#include <QWidget>
#include <array>
#include <vector>

#include "browser/app/dialogs.h"
#include "browser/prefs_core/preferences.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSlider;

namespace lh {

class PrefsPage : public QWidget {
 public:
  using QWidget::QWidget;
  virtual void showValues(const Preferences& prefs) = 0;
  virtual void takeValues(Preferences& prefs) const = 0;
};

// A number field: digits with an optional sign, replaced by `rule` while the user types.
QLineEdit* numberField(QWidget* parent, const TypingRule& rule, const char* name);
// The field's number, or `fallback` when it holds none.
int numberIn(const QLineEdit* field, int fallback);

class BPropTypes : public PrefsPage {
 public:
  BPropTypes(Asker ask, QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  void ticked(std::size_t index, bool on);
  Asker ask_;
  std::vector<QCheckBox*> boxes_;
};

class BPropWorkspace : public PrefsPage {
 public:
  BPropWorkspace(const DriveService& drives, Asker ask, QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  void updateEnabled();
  QRadioButton* selectNew_;
  QRadioButton* keepSelection_;
  QLineEdit* original_;
  QCheckBox* useTemporary_;
  QLineEdit* temporary_;
  QWidget* temporaryBrowse_;
  QCheckBox* deleteAtClose_;
  QCheckBox* confirm_;
};

class BPropTools : public PrefsPage {
 public:
  explicit BPropTools(QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  QRadioButton* keep_;
  QRadioButton* preferred_;
  QListWidget* formats_;
  QCheckBox* report_;
};

class BPropMetric : public PrefsPage {
 public:
  explicit BPropMetric(QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  QCheckBox* inches_;
};

class BPropColorSort : public PrefsPage {
 public:
  explicit BPropColorSort(QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  QLineEdit* threshold_;
};

class BPropBaste : public PrefsPage {
 public:
  explicit BPropBaste(QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  void showBaste(const BastePrefs& baste);
  QCheckBox* combine_;
  QCheckBox* cross_;
  QLineEdit* length_;
  QSlider* edge_;
  QLabel* edgeText_;
};

class BPropBMP : public PrefsPage {
 public:
  explicit BPropBMP(QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  QLineEdit* size_;
  QCheckBox* make3d_;
  QCheckBox* outline_;
};

class BPropTag : public PrefsPage {
 public:
  explicit BPropTag(QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  QLineEdit* line_;
};

class BPropPath : public PrefsPage {
 public:
  explicit BPropPath(QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  QLineEdit* folder_;
};

// The conversion records of the ten writable formats, one shown at a time.
class BPropConversion : public PrefsPage {
 public:
  explicit BPropConversion(QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;

 private:
  void showFormat(int code);
  void takeShown();
  void readShown(ConversionSettings& settings) const;
  ConversionTable table_{};
  int shown_ = 0;
  std::vector<QRadioButton*> formats_;
  QLineEdit* width_;
  QLineEdit* height_;
  QCheckBox* splitColors_;
  QLineEdit* colorCount_;
  QCheckBox* splitStitches_;
  QLineEdit* stitchCount_;
  QCheckBox* both_;
  QCheckBox* rotate_;
  QCheckBox* shrink_;
  QLineEdit* shrinkPct_;
  QCheckBox* pes5_;
  QCheckBox* pes6_;
  QWidget* trimRow_;
  QCheckBox* trim_;
  QLineEdit* trimLength_;
  QWidget* commandsRow_;
  QLineEdit* commands_;
};

// The 24 stored background colours, the current colour and its sliders.
class ColorSwatch;
class BPropColors : public PrefsPage {
 public:
  explicit BPropColors(QWidget* parent);
  void showValues(const Preferences& prefs) override;
  void takeValues(Preferences& prefs) const override;
  const BackgroundColors& colors() const { return colors_; }

 private:
  void refresh(bool sliders = true);
  void slid();
  BackgroundColors colors_;
  bool hsb_ = false;
  bool refreshing_ = false;
  std::vector<ColorSwatch*> swatches_;
  ColorSwatch* current_;
  std::array<QLabel*, 3> labels_{};
  std::array<QSlider*, 3> sliders_{};
  std::array<QLabel*, 3> values_{};
  QRadioButton* hsbButton_;
  QRadioButton* rgbButton_;
};

}  // namespace lh
