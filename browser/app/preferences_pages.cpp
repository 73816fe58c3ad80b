// The simple pages of the preferences sheet: check boxes, folders, number and text fields.
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QVBoxLayout>

#include "browser/app/preferences_pages.h"
#include "browser/prefs_core/prefs_texts.h"

namespace lh {

namespace t = prefs_texts;

namespace {

QLabel* text(std::string_view s, QWidget* parent) {
  auto* l = new QLabel(qs(s), parent);
  l->setWordWrap(true);
  return l;
}

QCheckBox* box(std::string_view s, const char* name, QWidget* parent) {
  auto* b = new QCheckBox(qs(s), parent);
  b->setObjectName(name);
  return b;
}

QPushButton* button(std::string_view s, const char* name, QWidget* parent) {
  auto* b = new QPushButton(qs(s), parent);
  b->setObjectName(name);
  b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  return b;
}

QWidget* row(QWidget* parent, std::initializer_list<QWidget*> widgets) {
  auto* w = new QWidget(parent);
  auto* l = new QHBoxLayout(w);
  l->setContentsMargins(0, 0, 0, 0);
  for (QWidget* x : widgets) {
    x->setParent(w);
    l->addWidget(x);
  }
  l->addStretch();
  return w;
}

QVBoxLayout* column(QWidget* page) {
  auto* l = new QVBoxLayout(page);
  l->setAlignment(Qt::AlignTop);
  return l;
}

}  // namespace

QLineEdit* numberField(QWidget* parent, const TypingRule& rule, const char* name) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9]{0,7}"), field));
  field->setMaximumWidth(80);
  QObject::connect(field, &QLineEdit::textEdited, field, [field, rule](const QString& typed) {
    bool ok = false;
    const int value = typed.toInt(&ok);
    if (!ok) return;
    const int kept = typedValue(value, rule);
    if (kept != value) field->setText(QString::number(kept));
  });
  return field;
}

int numberIn(const QLineEdit* field, int fallback) {
  bool ok = false;
  const int value = field->text().toInt(&ok);
  return ok ? value : fallback;
}

// View Types

BPropTypes::BPropTypes(Asker ask, QWidget* parent) : PrefsPage(parent), ask_(std::move(ask)) {
  auto* l = column(this);
  l->addWidget(text(t::kTypesIntro, this));
  auto* grid = new QGridLayout;
  const auto entries = viewTypeEntries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto* b = new QCheckBox(qs(entries[i].text), this);
    b->setObjectName(qs(entries[i].key));
    connect(b, &QCheckBox::toggled, this, [this, i](bool on) { ticked(i, on); });
    boxes_.push_back(b);
    grid->addWidget(b, static_cast<int>(i % 9), static_cast<int>(i / 9));
  }
  l->addLayout(grid);
}

void BPropTypes::ticked(std::size_t index, bool on) {
  if (on) return;
  ViewTicks ticks{};
  for (std::size_t i = 0; i < boxes_.size(); ++i) ticks[i] = boxes_[i]->isChecked() || i == index;
  if (mayUntick(ticks, index)) return;
  tell(ask_, t::kLastTypeCaption, t::kLastTypeText, QMessageBox::Warning);
  boxes_[index]->setChecked(true);
}

void BPropTypes::showValues(const Preferences& prefs) {
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    const QSignalBlocker quiet(boxes_[i]);
    boxes_[i]->setChecked(prefs.viewTypes[i]);
  }
}

void BPropTypes::takeValues(Preferences& prefs) const {
  for (std::size_t i = 0; i < boxes_.size(); ++i) prefs.viewTypes[i] = boxes_[i]->isChecked();
}

// File Selection / Folders

BPropWorkspace::BPropWorkspace(const DriveService& drives, Asker ask, QWidget* parent) : PrefsPage(parent) {
  auto* l = column(this);
  l->addWidget(text(t::kSelectionIntro, this));
  auto* selection = new QGroupBox(qs(t::kFileSelection), this);
  auto* sl = new QVBoxLayout(selection);
  selectNew_ = new QRadioButton(qs(t::kSelectNew), selection);
  keepSelection_ = new QRadioButton(qs(t::kKeepSelection), selection);
  selectNew_->setObjectName("converted");
  sl->addWidget(selectNew_);
  sl->addWidget(keepSelection_);
  l->addWidget(selection);

  auto* newDesigns = new QGroupBox(qs(t::kNewDesigns), this);
  auto* nl = new QVBoxLayout(newDesigns);
  nl->addWidget(text(t::kNewDesignsFolder, newDesigns));
  original_ = new QLineEdit(newDesigns);
  original_->setObjectName("originalDirectory");
  auto* originalBrowse = button(t::kBrowse, "originalBrowse", newDesigns);
  auto* originalRow = new QHBoxLayout;
  originalRow->addWidget(original_);
  originalRow->addWidget(originalBrowse);
  nl->addLayout(originalRow);
  l->addWidget(newDesigns);

  auto* modified = new QGroupBox(qs(t::kModifiedDesigns), this);
  auto* ml = new QVBoxLayout(modified);
  useTemporary_ = box(t::kUseTemporaryFolder, "workspace", modified);
  temporary_ = new QLineEdit(modified);
  temporary_->setObjectName("directory");
  auto* temporaryBrowse = button(t::kBrowse, "directoryBrowse", modified);
  temporaryBrowse_ = temporaryBrowse;
  auto* temporaryRow = new QHBoxLayout;
  temporaryRow->addWidget(temporary_);
  temporaryRow->addWidget(temporaryBrowse);
  ml->addWidget(useTemporary_);
  ml->addLayout(temporaryRow);
  ml->addWidget(new QLabel(qs(t::kWhenClosing), modified));
  deleteAtClose_ = box(t::kDeleteTemporaries, "deleted", modified);
  confirm_ = box(t::kConfirmDeletion, "confirm", modified);
  ml->addWidget(deleteAtClose_);
  ml->addWidget(confirm_);
  l->addWidget(modified);

  const auto browse = [this, &drives, ask](QLineEdit* field) {
    if (auto folder = pickFolder(this, drives, ask, toStd(field->text()))) field->setText(qs(*folder));
  };
  connect(originalBrowse, &QPushButton::clicked, this, [this, browse] { browse(original_); });
  connect(temporaryBrowse, &QPushButton::clicked, this, [this, browse] { browse(temporary_); });
  connect(useTemporary_, &QCheckBox::toggled, this, &BPropWorkspace::updateEnabled);
  connect(deleteAtClose_, &QCheckBox::toggled, this, &BPropWorkspace::updateEnabled);
}

void BPropWorkspace::updateEnabled() {
  const bool on = useTemporary_->isChecked();
  temporary_->setEnabled(on);
  temporaryBrowse_->setEnabled(on);
  deleteAtClose_->setEnabled(on);
  confirm_->setEnabled(on && deleteAtClose_->isChecked());
}

void BPropWorkspace::showValues(const Preferences& prefs) {
  const WorkspacePrefs& w = prefs.workspace;
  (w.selectConverted ? selectNew_ : keepSelection_)->setChecked(true);
  original_->setText(qs(w.originalFolder));
  useTemporary_->setChecked(w.useTemporary);
  temporary_->setText(qs(w.temporaryFolder));
  deleteAtClose_->setChecked(w.deleteAtClose);
  confirm_->setChecked(w.confirmDelete);
  updateEnabled();
}

void BPropWorkspace::takeValues(Preferences& prefs) const {
  WorkspacePrefs& w = prefs.workspace;
  w.selectConverted = selectNew_->isChecked();
  w.originalFolder = toStd(original_->text());
  w.useTemporary = useTemporary_->isChecked();
  w.temporaryFolder = toStd(temporary_->text());
  w.deleteAtClose = deleteAtClose_->isChecked();
  w.confirmDelete = confirm_->isChecked();
}

// Tools / On-The-Fly

BPropTools::BPropTools(QWidget* parent) : PrefsPage(parent) {
  auto* l = column(this);
  l->addWidget(text(t::kToolsIntro, this));
  l->addWidget(text(t::kOnTheFlyIntro, this));
  l->addWidget(text(t::kKeepIntro, this));
  auto* group = new QGroupBox(qs(t::kToolFormat), this);
  auto* gl = new QVBoxLayout(group);
  keep_ = new QRadioButton(qs(t::kKeepFormat), group);
  preferred_ = new QRadioButton(qs(t::kPreferredFormat), group);
  keep_->setObjectName("Tools keep");
  formats_ = new QListWidget(group);
  formats_->setObjectName("Tools selected");
  for (const std::string& title : toolFormatTitles()) formats_->addItem(qs(title));
  gl->addWidget(keep_);
  gl->addWidget(preferred_);
  gl->addWidget(formats_);
  l->addWidget(group);
  report_ = box(t::kShowReport, "Tools report", this);
  l->addWidget(report_);
  connect(preferred_, &QRadioButton::toggled, formats_, &QWidget::setEnabled);
}

void BPropTools::showValues(const Preferences& prefs) {
  (prefs.tools.keep ? keep_ : preferred_)->setChecked(true);
  formats_->setEnabled(!prefs.tools.keep);
  formats_->setCurrentRow(prefs.tools.selected);
  report_->setChecked(prefs.tools.report);
}

void BPropTools::takeValues(Preferences& prefs) const {
  prefs.tools.keep = keep_->isChecked();
  if (formats_->currentRow() >= 0) prefs.tools.selected = formats_->currentRow();
  prefs.tools.report = report_->isChecked();
}

// Metric/English

BPropMetric::BPropMetric(QWidget* parent) : PrefsPage(parent) {
  auto* l = column(this);
  l->addWidget(text(t::kUnitsIntro, this));
  inches_ = box(t::kUseInches, "English", this);
  l->addWidget(inches_);
}

void BPropMetric::showValues(const Preferences& prefs) { inches_->setChecked(prefs.english); }
void BPropMetric::takeValues(Preferences& prefs) const { prefs.english = inches_->isChecked(); }

// Color Sort

BPropColorSort::BPropColorSort(QWidget* parent) : PrefsPage(parent) {
  auto* l = column(this);
  l->addWidget(text(t::kSortPrompt, this));
  threshold_ = numberField(this, kSortTyping, "Color Sort Threshold");
  auto* byDefault = button(t::kUseDefault, "useDefault", this);
  l->addWidget(row(this, {threshold_, byDefault}));
  connect(byDefault, &QPushButton::clicked, this,
          [this] { threshold_->setText(QString::number(kColorSortThreshold.defaultValue)); });
}

void BPropColorSort::showValues(const Preferences& prefs) { threshold_->setText(QString::number(prefs.sortThreshold)); }
void BPropColorSort::takeValues(Preferences& prefs) const {
  prefs.sortThreshold = typedValue(numberIn(threshold_, prefs.sortThreshold), kSortTyping);
}

// Baste

BPropBaste::BPropBaste(QWidget* parent) : PrefsPage(parent) {
  auto* l = column(this);
  l->addWidget(text(t::kCombineIntro, this));
  combine_ = box(t::kCombine, "Baste combine", this);
  cross_ = box(t::kCrosshairs, "Baste cross", this);
  l->addWidget(combine_);
  l->addWidget(cross_);
  l->addWidget(text(t::kBasteLengthPrompt, this));
  length_ = numberField(this, kBasteLengthTyping, "Baste length");
  l->addWidget(row(this, {length_, new QLabel(qs(t::kMm))}));
  l->addWidget(text(t::kBasteEdgePrompt, this));
  edge_ = new QSlider(Qt::Horizontal, this);
  edge_->setObjectName("Baste edge");
  edge_->setRange(kBasteEdge.min, kBasteEdge.max);
  edge_->setTickPosition(QSlider::TicksBelow);
  edge_->setMaximumWidth(240);
  edgeText_ = new QLabel(this);
  edgeText_->setMinimumWidth(60);
  l->addWidget(row(this, {edge_, edgeText_}));
  auto* byDefault = button(t::kUseDefault, "useDefault", this);
  l->addWidget(byDefault);
  connect(edge_, &QSlider::valueChanged, this,
          [this](int mm) { edgeText_->setText(QString::asprintf(t::kEdgeFormat.data(), mm)); });
  connect(byDefault, &QPushButton::clicked, this, [this] { showBaste(BastePrefs{}); });
}

void BPropBaste::showBaste(const BastePrefs& baste) {
  combine_->setChecked(baste.combine);
  cross_->setChecked(baste.cross);
  length_->setText(QString::number(baste.length));
  edge_->setValue(baste.edge);
  edgeText_->setText(QString::asprintf(t::kEdgeFormat.data(), baste.edge));
}

void BPropBaste::showValues(const Preferences& prefs) { showBaste(prefs.baste); }

void BPropBaste::takeValues(Preferences& prefs) const {
  prefs.baste = {typedValue(numberIn(length_, prefs.baste.length), kBasteLengthTyping), combine_->isChecked(),
                 cross_->isChecked(), edge_->value()};
}

// Bitmap Size

BPropBMP::BPropBMP(QWidget* parent) : PrefsPage(parent) {
  auto* l = column(this);
  l->addWidget(text(t::kBitmapIntro, this));
  size_ = numberField(this, kBitmapTyping, "BMP Size");
  l->addWidget(row(this, {size_, new QLabel(qs(t::kPixels))}));
  l->addWidget(text(t::kRender3dIntro, this));
  make3d_ = box(t::kMake3d, "Make 3D", this);
  l->addWidget(make3d_);
  l->addWidget(text(t::kOutlineIntro, this));
  outline_ = box(t::kOutline, "Outline", this);
  l->addWidget(outline_);
  auto* byDefault = button(t::kUseDefault, "useDefault", this);
  l->addWidget(byDefault);
  connect(byDefault, &QPushButton::clicked, this, [this] {
    size_->setText(QString::number(kBmpSize.defaultValue));
    make3d_->setChecked(true);
  });
}

void BPropBMP::showValues(const Preferences& prefs) {
  size_->setText(QString::number(prefs.bitmap.size));
  make3d_->setChecked(prefs.bitmap.make3d);
  outline_->setChecked(prefs.bitmap.outline);
}

void BPropBMP::takeValues(Preferences& prefs) const {
  prefs.bitmap = {bitmapSizeOnApply(numberIn(size_, prefs.bitmap.size)), make3d_->isChecked(),
                  outline_->isChecked()};
}

// Tag Line

BPropTag::BPropTag(QWidget* parent) : PrefsPage(parent) {
  auto* l = column(this);
  l->addWidget(text(t::kTagIntro, this));
  line_ = new QLineEdit(this);
  line_->setObjectName("Tag Line");
  l->addWidget(line_);
  auto* clear = button(t::kClear, "clear", this);
  l->addWidget(clear);
  connect(clear, &QPushButton::clicked, line_, &QLineEdit::clear);
}

void BPropTag::showValues(const Preferences& prefs) { line_->setText(qs(prefs.tagLine)); }
void BPropTag::takeValues(Preferences& prefs) const { prefs.tagLine = toStd(line_->text()); }

// Catalog Path

BPropPath::BPropPath(QWidget* parent) : PrefsPage(parent) {
  auto* l = column(this);
  l->addWidget(text(t::kCatalogIntro, this));
  folder_ = new QLineEdit(this);
  folder_->setObjectName("Catalog Path");
  auto* browse = button(t::kBrowse, "browse", this);
  auto* r = new QHBoxLayout;
  r->addWidget(folder_);
  r->addWidget(browse);
  l->addLayout(r);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, QString(), folder_->text(), qs(t::kCatalogFilter));
    if (!file.isEmpty()) folder_->setText(QFileInfo(file).absolutePath());
  });
}

void BPropPath::showValues(const Preferences& prefs) { folder_->setText(qs(prefs.catalogFolder)); }
void BPropPath::takeValues(Preferences& prefs) const {
  if (!folder_->text().trimmed().isEmpty()) prefs.catalogFolder = toStd(folder_->text().trimmed());
}

}  // namespace lh
