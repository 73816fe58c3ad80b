#pragma once
// The sequencer's main window: the control groups, the stop list, the preview with its colour
// bar and stitch scroll bar, the toolbar and the status bar, with the sewing simulation's timer.
// Every decision is the core's (SequencerSession, SequenceModel, SewingSimulation); the window
// passes the user's commands on and shows what each call returns.
#include <QTimer>
#include <QWidget>
#include <array>
#include <string>

#include "design/settings.h"
#include "sequencer/sequencer_session.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QScrollBar;
class QSlider;
class QStatusBar;
class QToolBar;

namespace lh {

class ChooseColorWindow;
class ColorBarStrip;
class ColorPreferencesWindow;
class PreviewPane;
class StopListView;

// The message boxes and questions of the window; tests answer them without a dialog.
class TinctorPrompts {
 public:
  virtual ~TinctorPrompts() = default;
  virtual void notice(QWidget* parent, const Notice& notice);
  // "File Saved": true when the user chose Exit.
  virtual bool exitAfterSave(QWidget* parent, const SaveReport& report);
  virtual void about(QWidget* parent, const std::string& text);
};

class TinctorWindow : public QWidget {
  Q_OBJECT

 public:
  TinctorWindow(SequencerSession& session, SettingsStore& settings, TinctorPrompts& prompts,
                QWidget* parent = nullptr);
  ~TinctorWindow() override;

  // Shows what a session call returned; `fromBus` for the answers to messages (a new design
  // gets a new scale).
  void apply(const SessionUpdate& update, bool fromBus = false);
  // A line in the first status pane.
  void showMessage(const QString& text);
  // Places the chooser where it was when the program last closed.
  void placeChooser(const ScreenRect& rect);

  // Commands of the toolbar and the control groups.
  void navigate(Navigation to);
  void saveDesign();
  void sew();
  void unsew();
  void stopSewing();
  // One tick of the simulation's timer.
  void tickSimulation();
  void setSpeed(int speed);
  void setShaded(bool shaded);
  void setShowJumps(bool show);
  void move(MoveCommand command);
  void toggleRemove();
  void toggleKeepStop();
  void showAllColors();
  void showSelectedColors();
  void undo();
  void redo();
  void insertColorStop();
  void selectRow(int row);
  void previewClicked(int block);
  void colorChosen();
  void toggleChooser();
  void togglePreferences();
  // One move of the stitch scroll bar (a QAbstractSlider::SliderAction).
  void scrollAction(int action);

  // For tests and screenshots.
  QTimer& simulationTimer() { return timer_; }
  QScrollBar* stitchScrollBar() const { return scroll_; }
  StopListView* stopList() const { return stopList_; }
  PreviewPane* preview() const { return preview_; }
  ChooseColorWindow* chooserWindow() const { return chooser_; }
  ColorPreferencesWindow* preferencesWindow() const { return prefs_; }
  QString statusText(int pane) const;
  QAction* action(const QString& text) const;
  QCheckBox* removeBox() const { return remove_; }
  QCheckBox* keepStopBox() const { return keep_; }

 signals:
  // The window closed: the program ends.
  void closed();

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildToolbar();
  QWidget* buildGroups();
  void applyEdit(const EditResult& edit, bool fresh = false);
  void showSelectionControls();
  void simulationMoved();
  void showStatus();
  void startTimerIfSewing();
  void redrawPreview(bool fresh);
  void releaseSlot(std::int32_t slot);
  std::optional<ThreadColor> selectedThread() const;

  SequencerSession& session_;
  SettingsStore& settings_;
  TinctorPrompts& prompts_;
  QTimer timer_;
  NeedleWalk statusWalk_;

  QToolBar* toolbar_ = nullptr;
  QWidget* groups_ = nullptr;
  StopListView* stopList_ = nullptr;
  PreviewPane* preview_ = nullptr;
  ColorBarStrip* colorBar_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  std::array<QLabel*, 4> panes_{};
  QCheckBox* shaded_ = nullptr;
  QCheckBox* jumps_ = nullptr;
  QSlider* speed_ = nullptr;
  QRadioButton* all_ = nullptr;
  QRadioButton* selected_ = nullptr;
  QCheckBox* remove_ = nullptr;
  QCheckBox* keep_ = nullptr;
  ChooseColorWindow* chooser_ = nullptr;
  ColorPreferencesWindow* prefs_ = nullptr;
};

}  // namespace lh
