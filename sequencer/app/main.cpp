// tinctor: the colour sequencer. Started by the browser with its plug-in number ("1"); started
// by hand with no browser running, it offers to open design files itself.
//
//   tinctor [NUMBER]                 as the browser's plug-in
//   tinctor --open FILE...           on design files, without a browser
//   tinctor --screenshot PREFIX --open FILE
//                                    writes PREFIX-window.png, PREFIX-paused.png,
//                                    PREFIX-chooser.png and PREFIX-preferences.png of FILE,
//                                    then ends
#include <QApplication>
#include <QFileDialog>
#include <QLockFile>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "platform/qt_settings_store.h"
#include "sequencer/app/screenshots.h"
#include "sequencer/app/script_hook.h"
#include "sequencer/app/tinctor_app.h"
#include "sequencer/sequencer_keys.h"

namespace {

struct Arguments {
  std::string commandLine;
  std::vector<std::string> open;
  QString screenshot;
};

Arguments parse(const QStringList& args) {
  Arguments a;
  bool opening = false;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (arg == "--open") {
      opening = true;
    } else if (arg == "--screenshot" && i + 1 < args.size()) {
      a.screenshot = args[++i];
    } else if (opening) {
      a.open.push_back(arg.toStdString());
    } else {
      a.commandLine += (a.commandLine.empty() ? "" : " ") + arg.toStdString();
    }
  }
  return a;
}

// Started without a browser: say so, and offer to open designs here.
std::vector<std::string> askForDesigns() {
  const auto answer = QMessageBox::question(
      nullptr, "Loomhall Huetide",
      "The Loomhall browser is not running, so there are no selected designs to work on.\n\n"
      "Do you want to open a design file directly? The result is saved beside it under a new name; "
      "the file itself is never changed.",
      QMessageBox::Open | QMessageBox::Cancel, QMessageBox::Open);
  if (answer != QMessageBox::Open) return {};
  std::vector<std::string> files;
  const QStringList picked = QFileDialog::getOpenFileNames(
      nullptr, "Open Design", QString(),
      "Embroidery designs (*.pes *.pec *.dst *.exp *.jef *.sew *.hus *.vip *.shv *.pcs *.vp3 *.xxx "
      "*.PES *.PEC *.DST *.EXP *.JEF *.SEW *.HUS *.VIP *.SHV *.PCS *.VP3 *.XXX);;All files (*)");
  for (const QString& f : picked) files.push_back(f.toStdString());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("tinctor");
  const Arguments args = parse(QApplication::arguments());
  if (!args.screenshot.isEmpty() && args.open.empty()) {
    std::fputs("tinctor: --screenshot needs a design: --open FILE\n", stderr);
    return 2;
  }
  // A second copy ends at once, without a window or a message.
  const std::unique_ptr<QLockFile> single = lh::holdSingleInstance();
  if (!single) return 0;

  lh::QtSettingsStore browserSettings(lh::kBrowserProfile);
  lh::QtSettingsStore settings(lh::kSequencerProfile);
  // LH_TINCTOR_SCRIPT: a scripted user instead of the message boxes (script_hook.h).
  const QString script = qEnvironmentVariable(lh::kScriptVariable);
  lh::TinctorPrompts shownPrompts;
  lh::ScriptedPrompts scriptedPrompts;
  lh::TinctorPrompts& prompts = script.isEmpty() ? shownPrompts : scriptedPrompts;
  lh::TinctorApp tinctor(browserSettings, settings, prompts);
  if (!args.open.empty() || !args.screenshot.isEmpty()) {
    tinctor.openDirectly(args.open);
  } else if (!tinctor.joinBrowser()) {
    const std::vector<std::string> files = askForDesigns();
    if (files.empty()) return 0;
    tinctor.openDirectly(files);
  }
  QObject::connect(&tinctor, &lh::TinctorApp::finished, &app, &QApplication::quit, Qt::QueuedConnection);
  tinctor.start(args.commandLine, QApplication::applicationPid());
  if (!args.screenshot.isEmpty()) return lh::writeScreenshots(tinctor, args.screenshot) ? 0 : 1;
  lh::ScriptRunner scripted(tinctor, scriptedPrompts, script);
  if (!script.isEmpty()) scripted.start();
  const int status = QApplication::exec();
  settings.sync();
  return status;
}
