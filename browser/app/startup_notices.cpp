#include "browser/app/startup_notices.h"

#include <QScreen>
#include <QWidget>

#include "browser/app/frame_settings.h"
#include "browser/app/tip_dialog.h"
#include "browser/app/tips.h"

namespace lh {

std::optional<std::string> crashReport(const SettingsStore& store) {
  const std::string file = store.getString("Settings", kLastFileKey, "");
  if (file.empty()) return std::nullopt;
  return "Loomhall had an abnormal shutdown last time.\nThe last file read was: '" + file + "'";
}

StartupNotice showStartupNotices(QWidget* window, SettingsStore& store, const Asker& ask,
                                 const QString& tipsPath) {
  StartupNotice shown = StartupNotice::None;
  if (const std::optional<std::string> report = crashReport(store)) {
    tell(ask, kCrashCaption, *report, QMessageBox::Warning);
    shown = StartupNotice::CrashReport;
  } else if (tipsAtStartUp(store)) {
    auto* tip = new TipDialog(store, tipsPath, ask, window);
    tip->setAttribute(Qt::WA_DeleteOnClose);
    tip->open();
    shown = StartupNotice::Tip;
  }
  const QScreen* screen = window->screen();
  if (screen != nullptr && screen->depth() <= 8)
    tell(ask, kVideoCaption, kVideoWarning, QMessageBox::Warning);
  return shown;
}

}  // namespace lh
