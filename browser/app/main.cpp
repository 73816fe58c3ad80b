// loomhall [--screenshot FILE] [PATH]: the design browser. PATH names a folder, a zip archive
// or a design to start with; --screenshot writes a picture of the window once the first page
// of thumbnails is drawn, then quits.
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>

#include "browser/app/browser_view.h"
#include "browser/app/main_frame.h"
#include "browser/app/single_view.h"
#include "platform/qt_settings_store.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("loomhall");
  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addOption({"screenshot", "Write a PNG of the window to FILE once the thumbnails are drawn.", "FILE"});
  parser.addPositionalArgument("path", "A folder, zip archive or design to show.");
  parser.process(app);

  lh::QtSettingsStore settings;
  lh::CMainFrame frame(settings);
  const QString shot = parser.value("screenshot");
  if (shot.isEmpty()) {
    frame.showAsStored();
  } else {
    frame.resize(1100, 720);
    frame.show();
  }
  if (!parser.positionalArguments().isEmpty()) frame.openPath(parser.positionalArguments().first().toStdString());
  if (shot.isEmpty()) return QApplication::exec();

  // Wait (within reason) for the shown thumbnails and the opened folder, then take the picture.
  QElapsedTimer since;
  since.start();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    const bool previewReady = frame.preview().itemText().empty() || frame.preview().hasPicture();
    const bool ready = frame.view().allShownReady() && previewReady && frame.folderShown();
    if (!ready && since.elapsed() < 20000) return;
    poll.stop();
    const bool saved = frame.grab().save(shot, "PNG");
    QApplication::exit(saved ? 0 : 1);
  });
  poll.start(50);
  return QApplication::exec();
}
