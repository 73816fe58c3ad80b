#pragma once
// "Tip of the Day": one tip from the tips file with "&Next Tip" and the "&Show Tips on
// StartUp" box; the position reached and the box are stored when the dialog closes.
#include <QDialog>
#include <QString>

#include "browser/app/dialogs.h"
#include "browser/app/tips.h"

class QCheckBox;
class QLabel;

namespace lh {

// The tips file shipped with the program: beside the executable (a build tree), else in
// ../share/loomhall/ from the executable's folder (an installed program).
QString tipsFilePath();

class TipDialog : public QDialog {
  Q_OBJECT
 public:
  TipDialog(SettingsStore& store, const QString& tipsPath, Asker ask, QWidget* parent = nullptr);

  QString tipText() const;
  void showNextTip();
  void done(int result) override;

 private:
  SettingsStore& store_;
  TipFile tips_;
  Asker ask_;
  QLabel* tip_ = nullptr;
  QCheckBox* atStartUp_ = nullptr;
};

}  // namespace lh
