// loomhall [--screenshot FILE [--show colours|catalog]] [PATH]: the design browser. PATH names
// a folder, a zip archive or a design to start with; --screenshot writes a picture of the
// window once the first page of thumbnails is drawn, then quits (--show first switches the
// preview to its colour list or brings the catalog tab to the front).
//
// One browser runs per user: a second start hands its PATH to the running one, which comes to
// the front and opens it, and then ends. Screenshot runs are scripts' runs: they neither
// check for nor stand in the way of a running browser, and show no start-up messages.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

#include "browser/app/browser_view.h"
#include "browser/app/crash_guard.h"
#include "browser/app/main_frame.h"
#include "browser/app/plugin_registration.h"
#include "browser/app/plugin_runs.h"
#include "browser/app/single_instance.h"
#include "browser/app/single_view.h"
#include "browser/app/startup_notices.h"
#include "browser/app/tip_dialog.h"
#include "platform/qt_settings_store.h"

namespace {

// With LH_REPORT_RAISE set (tests), every request of another start is echoed on stdout.
void reportRaise(const QString& path) {
  if (qEnvironmentVariableIsEmpty("LH_REPORT_RAISE")) return;
  std::printf("raised: %s\n", path.toUtf8().constData());
  std::fflush(stdout);
}

// The screenshot's view once the pictures are there: the colour list or the catalog tab.
void arrange(lh::CMainFrame& frame, const QString& show) {
  if (show == "colours" && !frame.preview().colourListShown()) frame.preview().switchColourList();
  if (show == "catalog") frame.leftTabs().setCurrentIndex(1);
}

int takeScreenshot(lh::CMainFrame& frame, const QString& shot, const QString& show) {
  // Wait (within reason) for the shown thumbnails and the opened folder, arrange the view,
  // give it one more round to lay itself out, then take the picture.
  QElapsedTimer since;
  since.start();
  QTimer poll;
  bool arranged = false;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    const bool previewReady = frame.preview().itemText().empty() || frame.preview().hasPicture();
    const bool ready = frame.view().allShownReady() && previewReady && frame.folderShown();
    if (!ready && since.elapsed() < 20000) return;
    if (!arranged) {
      arranged = true;
      arrange(frame, show);
      return;
    }
    poll.stop();
    const bool saved = frame.grab().save(shot, "PNG");
    QApplication::exit(saved ? 0 : 1);
  });
  poll.start(50);
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("loomhall");
  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addOption(
      {"screenshot", "Write a PNG of the window to FILE once the thumbnails are drawn.", "FILE"});
  parser.addOption({"show", "With --screenshot: show the preview's colour list (colours) or the catalog tab (catalog).",
                    "WHAT"});
  parser.addPositionalArgument("path", "A folder, zip archive or design to show.");
  parser.process(app);
  const QString shot = parser.value("screenshot");
  const QString path = parser.positionalArguments().value(0);

  std::optional<lh::SingleInstance> instance;
  std::optional<lh::SingleInstance::Claim> claim;
  if (shot.isEmpty()) {
    instance.emplace();
    const QString absolute = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    claim = instance->claim(absolute);
    if (claim == lh::SingleInstance::Claim::Handed) return 0;
  }

  lh::QtSettingsStore settings;
  // A screenshot's loads are not the user's; a copy started beside an unanswering one leaves
  // that copy's record of its loads alone.
  std::unique_ptr<lh::CrashGuard> guard;
  if (claim == lh::SingleInstance::Claim::First) {
    const QFileInfo stored(QString::fromStdString(settings.fileName()));
    const std::string record = stored.dir().filePath(stored.completeBaseName() + ".lastfile").toStdString();
    lh::adoptLeftOver(settings, record);
    guard = std::make_unique<lh::CrashGuard>(record);
  }
  // The sequencer installed beside the browser becomes one of its plug-ins (once).
  if (shot.isEmpty()) lh::registerBundledSequencer(settings, QCoreApplication::applicationDirPath());
  lh::CMainFrame frame(settings, nullptr, guard.get());
  if (shot.isEmpty()) {
    frame.showAsStored();
  } else {
    frame.resize(1100, 720);
    frame.show();
  }
  if (!path.isEmpty()) frame.openPath(path.toStdString());
  if (!shot.isEmpty()) return takeScreenshot(frame, shot, parser.value("show"));

  QObject::connect(&*instance, &lh::SingleInstance::raiseRequested, &frame,
                   [&frame](const QString& requested) {
                     frame.comeToFront(requested);
                     reportRaise(requested);
                   });
  frame.plugins().joinBus();  // plug-ins find their host on the bus from now on
  lh::showStartupNotices(&frame, settings, lh::messageBoxAsker(&frame), lh::tipsFilePath());
  return QApplication::exec();
}
