#include "browser/app/print_options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lh {

namespace {

QSpinBox* spinFor(const SettingKey& key, int value, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setRange(key.min, key.max);
  spin->setValue(value);
  return spin;
}

QDialogButtonBox* okCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

// A group of radio buttons, the first one numbered 0.
QGroupBox* radioGroup(const QString& caption, std::initializer_list<const char*> texts, int checked,
                      QButtonGroup*& group, QWidget* parent) {
  auto* box = new QGroupBox(caption, parent);
  auto* layout = new QVBoxLayout(box);
  group = new QButtonGroup(box);
  int id = 0;
  for (const char* text : texts) {
    auto* button = new QRadioButton(QString::fromUtf8(text), box);
    group->addButton(button, id);
    button->setChecked(id++ == checked);
    layout->addWidget(button);
  }
  return box;
}

}  // namespace

PrintSetupDialog::PrintSetupDialog(const print::PrintOptions& o, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Printed Catalog Setup"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  title_ = new QLineEdit(QString::fromStdString(o.title), this);
  rows_ = spinFor(print::kRows, o.rows, this);
  columns_ = spinFor(print::kColumns, o.columns, this);
  form->addRow(QStringLiteral("Title"), title_);
  form->addRow(QStringLiteral("Rows"), rows_);
  form->addRow(QStringLiteral("Columns"), columns_);
  layout->addLayout(form);
  bestUse_ = addCheck("Make best use of page layout by swapping rows and columns as needed.", o.bestUse);
  sewing_ = addCheck("Sewing Info", o.sewingInfo);
  color_ = addCheck("Color Info", o.colorInfo);
  contents_ = addCheck("Table of Contents", o.contents);
  date_ = addCheck("Date", o.date);
  pageNumbers_ = addCheck("Page Numbers", o.pageNumbers);
  jumps_ = addCheck("Print Jump Stitches", o.jumps);
  layout->addWidget(okCancel(this));
}

QCheckBox* PrintSetupDialog::addCheck(const char* text, bool on) {
  auto* check = new QCheckBox(QString::fromUtf8(text), this);
  check->setChecked(on);
  layout()->addWidget(check);
  return check;
}

print::PrintOptions PrintSetupDialog::options(print::PrintOptions o) const {
  o.title = title_->text().toStdString();
  o.rows = rows_->value();
  o.columns = columns_->value();
  o.bestUse = bestUse_->isChecked();
  o.sewingInfo = sewing_->isChecked();
  o.colorInfo = color_->isChecked();
  o.contents = contents_->isChecked();
  o.date = date_->isChecked();
  o.pageNumbers = pageNumbers_->isChecked();
  o.jumps = jumps_->isChecked();
  return o;
}

PrintOptionsDialog::PrintOptionsDialog(SettingsStore& store, const QString& defaultTitle, QWidget* parent)
    : QDialog(parent), store_(store), options_(print::loadPrintOptions(store, defaultTitle.toStdString())) {
  setWindowTitle(QStringLiteral("Select Print Options"));
  runSetup = [](PrintSetupDialog& setup) { return setup.exec(); };
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(radioGroup(QStringLiteral("Print"), {"Catalog Thumbnails", "Full-Size image", "Table of Contents"},
                               static_cast<int>(options_.mode), mode_, this));
  layout->addWidget(radioGroup(QStringLiteral("Designs"), {"Entire range of designs", "Selected designs only"},
                               options_.selectedOnly ? 1 : 0, range_, this));
  auto* setup = new QPushButton(QStringLiteral("Setup..."), this);
  connect(setup, &QPushButton::clicked, this, &PrintOptionsDialog::openSetup);
  layout->addWidget(setup);
  layout->addWidget(okCancel(this));
  connect(this, &QDialog::accepted, this, &PrintOptionsDialog::save);
}

void PrintOptionsDialog::openSetup() {
  PrintSetupDialog setup(options_, this);
  if (runSetup(setup) == QDialog::Accepted) options_ = setup.options(options_);
}

print::PrintOptions PrintOptionsDialog::options() const {
  print::PrintOptions o = options_;
  o.mode = static_cast<print::PrintMode>(std::max(mode_->checkedId(), 0));
  o.selectedOnly = range_->checkedId() == 1;
  return o;
}

void PrintOptionsDialog::save() const { print::savePrintOptions(store_, options()); }

}  // namespace lh
