#include "sequencer/app/screenshots.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QPixmap>
#include <QScrollBar>
#include <QThread>
#include <cstdio>

#include "sequencer/app/chooser_window.h"
#include "sequencer/app/color_prefs_window.h"
#include "sequencer/app/tinctor_app.h"
#include "sequencer/thread_palettes.h"

namespace lh {

namespace {

// Lets the window settle: events processed for a moment.
void settle(int ms) {
  const QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
}

bool shoot(QWidget& widget, const QString& path) {
  if (widget.grab().save(path)) return true;
  std::fprintf(stderr, "tinctor: cannot write %s\n", path.toLocal8Bit().constData());
  return false;
}

}  // namespace

bool writeScreenshots(TinctorApp& app, const QString& prefix) {
  SequencerSession& session = app.session();
  const QDeadlineTimer deadline(10000);
  while ((session.waitingForFile() || session.waitingForColors()) && !deadline.hasExpired()) settle(50);
  if (session.model().stops().empty()) {
    std::fprintf(stderr, "tinctor: no design to show\n");
    return false;
  }
  TinctorWindow& window = app.window();
  window.showNormal();
  window.resize(1200, 760);
  settle(300);
  bool ok = shoot(window, prefix + "-window.png");

  QScrollBar* scroll = window.stitchScrollBar();
  scroll->setSliderPosition(scroll->maximum() / 2);
  window.scrollAction(QAbstractSlider::SliderMove);
  settle(200);
  ok = shoot(window, prefix + "-paused.png") && ok;

  // The chooser on the first brand chart, in order of closeness to the selected stop.
  ChooseColorWindow* chooser = window.chooserWindow();
  const std::vector<ThreadPalette>& palettes = session.chooser().palettes();
  for (std::size_t i = 0; i < palettes.size(); ++i) {
    if (chartKey(palettes[i].name) == 0) continue;
    chooser->paletteBox()->setCurrentIndex(static_cast<int>(i));
    chooser->findMatches();
    break;
  }
  chooser->show();
  settle(300);
  ok = shoot(*chooser, prefix + "-chooser.png") && ok;
  window.togglePreferences();
  settle(200);
  ok = shoot(*window.preferencesWindow(), prefix + "-preferences.png") && ok;
  window.close();
  settle(100);
  return ok;
}

}  // namespace lh
