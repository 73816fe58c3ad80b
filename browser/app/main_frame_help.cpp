// The Help menu's manual and Edit > "PES Association...".
#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "browser/app/main_frame.h"
#include "browser/app/pes_association_dialog.h"
#include "browser/app/tip_dialog.h"

namespace lh {
namespace {

constexpr std::string_view kManualFile = "manual.html";
constexpr std::string_view kHelpCaption = "Loomhall Help";

}  // namespace

QString CMainFrame::manualFilePath() { return installedDataFile(qs(kManualFile)); }

bool CMainFrame::openManual(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    tell(ask_, kHelpCaption, "The manual was not found:\n" + toStd(path), QMessageBox::Warning);
    return false;
  }
  const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
  const bool opened = openUrl_ ? openUrl_(url) : QDesktopServices::openUrl(url);
  if (!opened)
    tell(ask_, kHelpCaption, "No program could show the manual:\n" + toStd(path), QMessageBox::Warning);
  return opened;
}

void CMainFrame::addPesAssociationCommand(QMenu* edit) {
  namespace texts = pes_association_texts;
  edit->addSeparator();
  QAction* command = edit->addAction(qs(texts::kCommand), this, [this] { runPesAssociation(); });
  command->setStatusTip(qs(texts::kCommandStatus));
  command->setToolTip(qs(texts::kCommandTip));
}

bool CMainFrame::runPesAssociation() {
  PesAssociationDialog dialog(XdgPlaces::fromEnvironment(), ask_, this);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace lh
