// The conversion page: one format's record at a time, chosen with a radio button per format;
// the PES and DST extras show only for their format.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "browser/app/preferences_pages.h"
#include "browser/prefs_core/prefs_texts.h"
#include "formats/format_table.h"

namespace lh {

namespace t = prefs_texts;

namespace {

QLabel* label(std::string_view s) { return new QLabel(qs(s)); }

QWidget* line(QWidget* parent, std::initializer_list<QWidget*> widgets) {
  auto* w = new QWidget(parent);
  auto* l = new QHBoxLayout(w);
  l->setContentsMargins(0, 0, 0, 0);
  for (QWidget* x : widgets) l->addWidget(x);
  l->addStretch();
  return w;
}

QCheckBox* box(std::string_view s, const char* name) {
  auto* b = new QCheckBox(qs(s));
  b->setObjectName(name);
  return b;
}

}  // namespace

BPropConversion::BPropConversion(QWidget* parent) : PrefsPage(parent) {
  auto* l = new QVBoxLayout(this);
  l->setAlignment(Qt::AlignTop);
  auto* intro = new QLabel(qs(t::kConversionIntro), this);
  intro->setWordWrap(true);
  l->addWidget(intro);
  auto* group = new QGroupBox(qs(t::kConversionGroup), this);
  auto* gl = new QHBoxLayout(group);
  auto* radios = new QVBoxLayout;
  for (int code = 0; code < kWritableFormats; ++code) {
    auto* r = new QRadioButton("." + qs(formatName(code)), group);
    r->setObjectName(qs(formatName(code)));
    connect(r, &QRadioButton::toggled, this, [this, code](bool on) {
      if (!on || code == shown_) return;
      takeShown();
      showFormat(code);
    });
    formats_.push_back(r);
    radios->addWidget(r);
  }
  gl->addLayout(radios);

  width_ = numberField(group, kHoopTyping, "w");
  height_ = numberField(group, kHoopTyping, "h");
  splitColors_ = box(t::kSplitAfter, "sc");
  colorCount_ = numberField(group, nearestLimit(0, 1000000), "nc");
  splitStitches_ = box(t::kSplitAfter, "ss");
  stitchCount_ = numberField(group, nearestLimit(0, 1000000), "ns");
  both_ = box(t::kBothOrientations, "both");
  rotate_ = box(t::kRotate, "r");
  shrink_ = box(t::kShrink, "sh");
  shrinkPct_ = numberField(group, kPercentTyping, "shpct");
  pes5_ = box(t::kPes5, "pes5");
  pes6_ = box(t::kPes6, "pes6");
  trim_ = box(t::kEnsureTrims, "trim");
  trimLength_ = numberField(group, kTrimLengthTyping, "trimlen");
  commands_ = numberField(group, kTrimCommandsTyping, "dstjumps");

  auto* fields = new QVBoxLayout;
  fields->setAlignment(Qt::AlignTop);
  fields->addWidget(line(group, {label(t::kLargestHoop), width_, label(t::kMm), label(t::kTimes), height_,
                                 label(t::kMm)}));
  fields->addWidget(line(group, {splitColors_, colorCount_, label(t::kColors)}));
  fields->addWidget(line(group, {splitStitches_, stitchCount_, label(t::kStitches)}));
  fields->addWidget(both_);
  fields->addWidget(rotate_);
  fields->addWidget(line(group, {shrink_, label(t::kMaximumPct), shrinkPct_}));
  fields->addWidget(pes5_);
  fields->addWidget(pes6_);
  trimRow_ = line(group, {trim_, trimLength_, label(t::kMmDot)});
  commandsRow_ = line(group, {label(t::kCommands), commands_});
  fields->addWidget(trimRow_);
  fields->addWidget(commandsRow_);
  auto* byDefault = new QPushButton(qs(t::kUseDefault), group);
  byDefault->setObjectName("useDefault");
  byDefault->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  fields->addWidget(byDefault);
  gl->addLayout(fields, 1);
  l->addWidget(group);
  connect(byDefault, &QPushButton::clicked, this, [this] {
    table_[static_cast<std::size_t>(shown_)] = defaultConversionSettings(shown_);
    showFormat(shown_);
  });
}

void BPropConversion::showFormat(int code) {
  shown_ = code;
  const ConversionSettings& c = table_[static_cast<std::size_t>(code)];
  {
    const QSignalBlocker quiet(formats_[static_cast<std::size_t>(code)]);
    formats_[static_cast<std::size_t>(code)]->setChecked(true);
  }
  width_->setText(QString::number(c.hoopWidth));
  height_->setText(QString::number(c.hoopHeight));
  splitColors_->setChecked(c.splitColorsOn);
  colorCount_->setText(QString::number(c.splitColorCount));
  splitStitches_->setChecked(c.splitStitchesOn);
  stitchCount_->setText(QString::number(c.splitStitchCount));
  both_->setChecked(c.bothOrientations);
  rotate_->setChecked(c.rotate);
  shrink_->setChecked(c.shrinkOn);
  shrinkPct_->setText(QString::number(c.shrinkPct));
  pes5_->setChecked(c.pesVersion5);
  pes6_->setChecked(c.pes6ForLarge);
  trim_->setChecked(c.ensureTrims);
  trimLength_->setText(QString::number(c.trimLength));
  commands_->setText(QString::number(c.trimCommands));
  const bool pes = code == FormatPes, dst = code == FormatDst;
  pes5_->setVisible(pes);
  pes6_->setVisible(pes);
  trimRow_->setVisible(pes || dst);
  commandsRow_->setVisible(dst);
}

void BPropConversion::takeShown() { readShown(table_[static_cast<std::size_t>(shown_)]); }

void BPropConversion::readShown(ConversionSettings& c) const {
  c.hoopWidth = typedValue(numberIn(width_, c.hoopWidth), kHoopTyping);
  c.hoopHeight = typedValue(numberIn(height_, c.hoopHeight), kHoopTyping);
  c.splitColorsOn = splitColors_->isChecked();
  c.splitColorCount = std::max(0, numberIn(colorCount_, c.splitColorCount));
  c.splitStitchesOn = splitStitches_->isChecked();
  c.splitStitchCount = std::max(0, numberIn(stitchCount_, c.splitStitchCount));
  c.bothOrientations = both_->isChecked();
  c.rotate = rotate_->isChecked();
  c.shrinkOn = shrink_->isChecked();
  c.shrinkPct = typedValue(numberIn(shrinkPct_, c.shrinkPct), kPercentTyping);
  c.pesVersion5 = pes5_->isChecked();
  c.pes6ForLarge = pes6_->isChecked();
  c.ensureTrims = trim_->isChecked();
  c.trimLength = typedValue(numberIn(trimLength_, c.trimLength), kTrimLengthTyping);
  c.trimCommands = typedValue(numberIn(commands_, c.trimCommands), kTrimCommandsTyping);
}

void BPropConversion::showValues(const Preferences& prefs) {
  table_ = prefs.conversion;
  showFormat(std::clamp(prefs.conversionSelection, 0, kWritableFormats - 1));
}

void BPropConversion::takeValues(Preferences& prefs) const {
  prefs.conversion = table_;
  readShown(prefs.conversion[static_cast<std::size_t>(shown_)]);
  prefs.conversionSelection = shown_;
}

}  // namespace lh
