#pragma once
// A scripted user for runs of the whole program in tests and demonstrations. When the
// environment variable LH_TINCTOR_SCRIPT is set, its comma-separated steps are carried out
// one after the other, each once the design and its colours have arrived:
//   last       the first stop moves to the end of the sewing order
//   colour     the stop now first gets the first chart colour that differs from its own
//   save       "Save && Exit", staying in the program (the "File Saved" answer OK)
//   save-exit  "Save && Exit", then Exit
//   next       "Next" (the next step waits for the new design)
//   exit       closes the window
// Messages are written to stderr instead of being shown. Without the variable nothing changes.
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "sequencer/app/tinctor_window.h"

namespace lh {

class TinctorApp;

inline constexpr const char* kScriptVariable = "LH_TINCTOR_SCRIPT";

// The prompts of a scripted run: notices go to stderr, "File Saved" is answered by the step.
class ScriptedPrompts : public TinctorPrompts {
 public:
  void notice(QWidget* parent, const Notice& notice) override;
  bool exitAfterSave(QWidget* parent, const SaveReport& report) override;
  void about(QWidget* parent, const std::string& text) override;
  bool exitNext = false;
};

class ScriptRunner : public QObject {
  Q_OBJECT
 public:
  ScriptRunner(TinctorApp& app, ScriptedPrompts& prompts, const QString& script);
  // Starts carrying out the steps.
  void start();

 private:
  void poll();
  bool settled() const;
  void run(const QString& step);

  TinctorApp& app_;
  ScriptedPrompts& prompts_;
  QStringList steps_;
  QTimer timer_;
  std::string awaitedAfter_;  // after "next": the path of the design that has to be replaced
  bool navigating_ = false;
};

}  // namespace lh
