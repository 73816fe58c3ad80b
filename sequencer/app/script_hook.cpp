#include "sequencer/app/script_hook.h"

#include <QListWidget>
#include <cstdio>

#include "sequencer/app/chooser_window.h"
#include "sequencer/app/tinctor_app.h"

namespace lh {

namespace {
constexpr int kPollMs = 50;
}

void ScriptedPrompts::notice(QWidget*, const Notice& notice) {
  std::fprintf(stderr, "tinctor: %s: %s\n", std::string(notice.caption).c_str(), std::string(notice.text).c_str());
}

bool ScriptedPrompts::exitAfterSave(QWidget*, const SaveReport&) { return exitNext; }

void ScriptedPrompts::about(QWidget*, const std::string& text) { std::fprintf(stderr, "tinctor: %s\n", text.c_str()); }

ScriptRunner::ScriptRunner(TinctorApp& app, ScriptedPrompts& prompts, const QString& script)
    : app_(app), prompts_(prompts), steps_(script.split(',', Qt::SkipEmptyParts)) {
  connect(&timer_, &QTimer::timeout, this, &ScriptRunner::poll);
}

void ScriptRunner::start() { timer_.start(kPollMs); }

bool ScriptRunner::settled() const {
  const SequencerSession& s = app_.session();
  if (s.waitingForFile() || s.waitingForColors() || s.model().stops().empty()) return false;
  return !navigating_ || s.receiveBuffer().path != awaitedAfter_;
}

void ScriptRunner::poll() {
  if (steps_.isEmpty()) {
    timer_.stop();
    return;
  }
  if (!settled()) return;
  navigating_ = false;
  run(steps_.takeFirst().trimmed());
}

void ScriptRunner::run(const QString& step) {
  TinctorWindow& window = app_.window();
  SequencerSession& session = app_.session();
  if (step == "last") {
    window.selectRow(0);
    window.move(MoveCommand::Last);
  } else if (step == "colour") {
    window.selectRow(0);
    const std::uint32_t own = session.model().stops().front().thread.rgb;
    QListWidget* list = window.chooserWindow()->list();
    const auto rows = session.chooser().rows();
    for (int i = 0; i < list->count() && static_cast<std::size_t>(i) < rows.size(); ++i) {
      if (rows[static_cast<std::size_t>(i)].rgb == own) continue;
      list->setCurrentRow(i);
      break;
    }
  } else if (step == "save" || step == "save-exit") {
    prompts_.exitNext = step == "save-exit";
    window.saveDesign();
  } else if (step == "next") {
    awaitedAfter_ = session.receiveBuffer().path;
    navigating_ = true;
    window.navigate(Navigation::Next);
  } else if (step == "exit") {
    window.close();
  } else {
    std::fprintf(stderr, "tinctor: unknown script step '%s'\n", step.toUtf8().constData());
  }
}

}  // namespace lh
