#include "browser/app/tip_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lh {

QString tipsFilePath() {
  const QString dir = QCoreApplication::applicationDirPath();
  const QString name = qs(kTipsFileName);
  const QString beside = dir + "/" + name;
  if (QFileInfo::exists(beside)) return beside;
  return QFileInfo(dir + "/../share/loomhall/" + name).absoluteFilePath();
}

TipDialog::TipDialog(SettingsStore& store, const QString& tipsPath, Asker ask, QWidget* parent)
    : QDialog(parent), store_(store), tips_(store, toStd(tipsPath)), ask_(std::move(ask)) {
  setWindowTitle("Tip of the Day");
  auto* heading = new QLabel("Did you know...", this);
  QFont bold = heading->font();
  bold.setBold(true);
  if (bold.pointSizeF() > 0) {
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
  } else {
    bold.setPixelSize(bold.pixelSize() * 7 / 5);
  }
  heading->setFont(bold);
  tip_ = new QLabel(this);
  tip_->setWordWrap(true);
  tip_->setMinimumSize(420, 90);
  tip_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  tip_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  atStartUp_ = new QCheckBox("&Show Tips on StartUp", this);
  atStartUp_->setChecked(tipsAtStartUp(store_));
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* next = buttons->addButton("&Next Tip", QDialogButtonBox::ActionRole);
  buttons->addButton(QDialogButtonBox::Close);
  connect(next, &QPushButton::clicked, this, &TipDialog::showNextTip);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(tip_, 1);
  layout->addWidget(atStartUp_);
  layout->addWidget(buttons);
  showNextTip();
}

QString TipDialog::tipText() const { return tip_->text(); }

void TipDialog::showNextTip() {
  TipRead read = tips_.next();
  if (read.status == TipStatus::BadPosition) {
    tell(ask_, "Loomhall Atelier", kTipsTrouble, QMessageBox::Warning);
    read = tips_.next();  // from the top of the file
  }
  tip_->setText(read.status == TipStatus::NoTips ? QString("The tips file holds no tips.")
                                                 : QString::fromStdString(read.tip));
}

void TipDialog::done(int result) {
  if (tips_.exists()) tips_.savePosition();
  setTipsAtStartUp(store_, atStartUp_->isChecked());
  QDialog::done(result);
}

}  // namespace lh
