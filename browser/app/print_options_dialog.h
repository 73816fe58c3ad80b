#pragma once
// The printed catalog's dialogs: "Select Print Options" (what to print: thumbnails, full-size
// images or the table of contents, of every listed design or the selected ones) and, from
// its "Setup..." button, "Printed Catalog Setup" (title, grid and what each page shows).
// Both keep their values in the "Print" settings section when accepted.
#include <QDialog>

#include "design/settings.h"
#include "print/print_settings.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace lh {

class PrintSetupDialog : public QDialog {
  Q_OBJECT

 public:
  PrintSetupDialog(const print::PrintOptions& options, QWidget* parent = nullptr);
  // The dialog's values over `options` (mode and range stay).
  print::PrintOptions options(print::PrintOptions options) const;

  QLineEdit& title() { return *title_; }
  QSpinBox& rows() { return *rows_; }
  QSpinBox& columns() { return *columns_; }

 private:
  QCheckBox* addCheck(const char* text, bool on);

  QLineEdit* title_ = nullptr;
  QSpinBox* rows_ = nullptr;
  QSpinBox* columns_ = nullptr;
  QCheckBox *bestUse_ = nullptr, *sewing_ = nullptr, *color_ = nullptr, *contents_ = nullptr, *date_ = nullptr,
            *pageNumbers_ = nullptr, *jumps_ = nullptr;
};

class PrintOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // The stored options; `defaultTitle` (the main window's title) when none is stored.
  PrintOptionsDialog(SettingsStore& store, const QString& defaultTitle, QWidget* parent = nullptr);

  // The options as the dialog shows them.
  print::PrintOptions options() const;
  // Stores them ("Print" section); called when the dialog is accepted.
  void save() const;

  QButtonGroup& modeButtons() { return *mode_; }
  QButtonGroup& rangeButtons() { return *range_; }
  // Opens "Printed Catalog Setup"; its values count when it is accepted.
  void openSetup();
  // In place of exec() for the setup dialog (tests fill in and accept it).
  std::function<int(PrintSetupDialog&)> runSetup;

 private:
  SettingsStore& store_;
  print::PrintOptions options_;
  QButtonGroup* mode_ = nullptr;
  QButtonGroup* range_ = nullptr;
};

}  // namespace lh
