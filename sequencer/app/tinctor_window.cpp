// The main window's construction, layout and status bar; the commands are in
// tinctor_window_commands.cpp.
#include "sequencer/app/tinctor_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <functional>

#include "sequencer/app/chooser_window.h"
#include "sequencer/app/color_prefs_window.h"
#include "sequencer/app/preview_pane.h"
#include "sequencer/app/stop_list_view.h"
#include "sequencer/color_preferences.h"
#include "sequencer/sequencer_layout.h"

namespace lh {

namespace {

constexpr const char* kAppTitle = "Loomhall Huetide";

QRect qRect(const PixelRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// A control's tooltip, also shown in the first status pane while the mouse is over it.
template <typename W>
W* tipped(W* widget, const char* tip) {
  widget->setToolTip(tip);
  widget->setStatusTip(tip);
  return widget;
}

QPushButton* button(const char* text, const char* tip, QLayout* into) {
  auto* b = tipped(new QPushButton(text), tip);
  into->addWidget(b);
  return b;
}

}  // namespace

void TinctorPrompts::notice(QWidget* parent, const Notice& n) {
  QMessageBox::information(parent, QString::fromStdString(n.caption), QString::fromStdString(n.text));
}

bool TinctorPrompts::exitAfterSave(QWidget* parent, const SaveReport& report) {
  QMessageBox box(QMessageBox::Information, "File Saved",
                  QString::fromStdString(report.firstLine + "\n" + report.secondLine), QMessageBox::NoButton,
                  parent);
  box.setEscapeButton(box.addButton(QMessageBox::Ok));
  QPushButton* exit = box.addButton("Exit", QMessageBox::RejectRole);
  box.exec();
  return box.clickedButton() == exit;
}

void TinctorPrompts::about(QWidget* parent, const std::string& text) {
  QMessageBox::about(parent, "About Loomhall Huetide", QString::fromStdString(text));
}

TinctorWindow::TinctorWindow(SequencerSession& session, SettingsStore& settings, TinctorPrompts& prompts,
                             QWidget* parent)
    : QWidget(parent), session_(session), settings_(settings), prompts_(prompts) {
  setWindowTitle(kAppTitle);
  setMinimumSize(420, 360);
  buildToolbar();
  groups_ = buildGroups();
  groups_->setParent(this);
  stopList_ = new StopListView(this);
  preview_ = new PreviewPane(session_.palette(), this);
  preview_->setBackground(loadColorPreferences(settings_).background);
  colorBar_ = new ColorBarStrip(this);
  scroll_ = tipped(new QScrollBar(Qt::Horizontal, this), "Scroll through stich simulation.");
  scroll_->setRange(0, 0);
  statusBar_ = new QStatusBar(this);
  statusBar_->setSizeGripEnabled(false);
  for (QLabel*& pane : panes_) {
    pane = new QLabel;
    statusBar_->addWidget(pane);
  }
  chooser_ = new ChooseColorWindow(session_.chooser(), this);
  chooser_->setSelectedThread([this] { return selectedThread(); });
  prefs_ = new ColorPreferencesWindow(settings_, this);

  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &TinctorWindow::tickSimulation);
  connect(stopList_, &StopListView::rowChosen, this, &TinctorWindow::selectRow);
  connect(preview_, &PreviewPane::blockClicked, this, &TinctorWindow::previewClicked);
  connect(scroll_, &QScrollBar::actionTriggered, this, &TinctorWindow::scrollAction);
  connect(chooser_, &ChooseColorWindow::colorChosen, this, &TinctorWindow::colorChosen);
  connect(prefs_, &ColorPreferencesWindow::colorsUpdated, this,
          [this] { preview_->setBackground(loadColorPreferences(settings_).background); });
  resize(1100, 720);
  showStatus();
}

TinctorWindow::~TinctorWindow() = default;

void TinctorWindow::buildToolbar() {
  toolbar_ = new QToolBar(this);
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  struct Command {
    const char* text;
    const char* tip;
    std::function<void()> run;
  };
  const Command commands[] = {
      {"First", "Get the first selected file.", [this] { navigate(Navigation::First); }},
      {"Previous", "Get the previous selected file.", [this] { navigate(Navigation::Previous); }},
      {"Next", "Get the  next selected file.", [this] { navigate(Navigation::Next); }},
      {"Last", "Get the last selected file.", [this] { navigate(Navigation::Last); }},
      {"Save && Exit", "Save & Exit.", [this] { saveDesign(); }},
      {"Exit", "Exit.", [this] { close(); }},
      {"About", "About Loomhall Huetide.", [this] { prompts_.about(this, session_.aboutText()); }},
      {"Help", "Help",
       [this] {
         prompts_.notice(this, {"Select a color stop in the list, move it with the Move Selected Color buttons, "
                                "and pick its thread in the Choose Color window (Change Colors). "
                                "Save & Exit hands the design back to the browser, which stores it as a new file.",
                                "Help"});
       }},
      {"Preferences", "Set the preview's background color.", [this] { togglePreferences(); }},
      {"Change Colors", "Show or hide the color chooser.", [this] { toggleChooser(); }},
      {"Insert Color Stop", "Insert a color stop at the simulated stitch.", [this] { insertColorStop(); }},
      {"Undo", "Undo the last change (Ctrl+Z).", [this] { undo(); }},
      {"Redo", "Redo the change undone (Ctrl+Y).", [this] { redo(); }},
  };
  for (const Command& c : commands) {
    QAction* a = toolbar_->addAction(c.text);
    a->setToolTip(c.tip);
    a->setStatusTip(c.tip);
    connect(a, &QAction::triggered, this, c.run);
  }
  action("Undo")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  action("Redo")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  addActions(toolbar_->actions());
}

QWidget* TinctorWindow::buildGroups() {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* sim = new QGroupBox("Sewing Simulator");
  auto* simLayout = new QVBoxLayout(sim);
  auto* simButtons = new QHBoxLayout;
  connect(button("Stop", "Pause the simulation; press again to stop it.", simButtons), &QPushButton::clicked, this,
          &TinctorWindow::stopSewing);
  connect(button("Un-Sew", "Take the stitches back one by one.", simButtons), &QPushButton::clicked, this,
          &TinctorWindow::unsew);
  connect(button("Sew", "Sew the design stitch by stitch.", simButtons), &QPushButton::clicked, this,
          &TinctorWindow::sew);
  simLayout->addLayout(simButtons);
  auto* looks = new QHBoxLayout;
  shaded_ = tipped(new QCheckBox("3D"), "Show the stitches shaded.");
  shaded_->setChecked(true);
  jumps_ = tipped(new QCheckBox("Jump"), "Show the jump stitches.");
  looks->addWidget(shaded_);
  looks->addWidget(jumps_);
  simLayout->addLayout(looks);
  simLayout->addWidget(new QLabel("Speed:"));
  speed_ = tipped(new QSlider(Qt::Horizontal), "The speed of the simulation.");
  speed_->setRange(SewingSimulation::kMinSpeed, SewingSimulation::kMaxSpeed);
  speed_->setValue(session_.simulation().speed());
  simLayout->addWidget(speed_);
  connect(shaded_, &QCheckBox::toggled, this, &TinctorWindow::setShaded);
  connect(jumps_, &QCheckBox::toggled, this, &TinctorWindow::setShowJumps);
  connect(speed_, &QSlider::valueChanged, this, &TinctorWindow::setSpeed);
  layout->addWidget(sim);

  auto* show = new QGroupBox("Show Colors");
  auto* showLayout = new QHBoxLayout(show);
  all_ = tipped(new QRadioButton("All"), "Show every color.");
  selected_ = tipped(new QRadioButton("Selected"), "Show the selected color only.");
  all_->setChecked(true);
  showLayout->addWidget(all_);
  showLayout->addWidget(selected_);
  connect(all_, &QRadioButton::clicked, this, &TinctorWindow::showAllColors);
  connect(selected_, &QRadioButton::clicked, this, &TinctorWindow::showSelectedColors);
  layout->addWidget(show);

  auto* moves = new QGroupBox("Move Selected Color");
  auto* moveLayout = new QVBoxLayout(moves);
  const std::pair<const char*, MoveCommand> moveButtons[] = {
      {"First", MoveCommand::First}, {"Prev. Match", MoveCommand::PrevMatch}, {"Up", MoveCommand::Up},
      {"Down", MoveCommand::Down},   {"Next Match", MoveCommand::NextMatch},  {"Last", MoveCommand::Last}};
  const char* moveTips[] = {"Move the color to the top.", "Move the color after the previous stop of the same color.",
                            "Move the color up one stop.", "Move the color down one stop.",
                            "Move the color before the next stop of the same color.",
                            "Move the color to the bottom."};
  for (std::size_t i = 0; i < std::size(moveButtons); ++i) {
    const MoveCommand command = moveButtons[i].second;
    QPushButton* b = button(moveButtons[i].first, moveTips[i], moveLayout);
    b->setObjectName(QString("move ") + moveButtons[i].first);
    connect(b, &QPushButton::clicked, this, [this, command] { move(command); });
  }
  layout->addWidget(moves);

  auto* stop = new QGroupBox("Selected Color Stop");
  auto* stopLayout = new QVBoxLayout(stop);
  remove_ = tipped(new QCheckBox("Remove color && stitches"), "Leave this color and its stitches out.");
  keep_ = tipped(new QCheckBox("Keep Color Stop"), "Keep a color stop between equal threads.");
  stopLayout->addWidget(remove_);
  stopLayout->addWidget(keep_);
  connect(remove_, &QCheckBox::clicked, this, &TinctorWindow::toggleRemove);
  connect(keep_, &QCheckBox::clicked, this, &TinctorWindow::toggleKeepStop);
  layout->addWidget(stop);
  layout->addStretch();
  column->setFixedWidth(column->sizeHint().width());
  return column;
}

QAction* TinctorWindow::action(const QString& text) const {
  for (QAction* a : toolbar_->actions())
    if (a->text() == text) return a;
  return nullptr;
}

void TinctorWindow::resizeEvent(QResizeEvent*) {
  const int w = width(), h = height();
  toolbar_->setGeometry(0, 0, w, std::min(toolbar_->sizeHint().height(), 44));
  const int statusHeight = statusBar_->sizeHint().height();
  const int groupsLeft = 8;
  const SequencerLayout l = sequencerLayout(w, h, groupsLeft + groups_->width(), statusHeight);
  groups_->setGeometry(groupsLeft, l.stopList.top, groups_->width(), l.stopList.bottom - l.stopList.top);
  stopList_->setGeometry(qRect(l.stopList));
  preview_->setGeometry(qRect(l.preview));
  colorBar_->setGeometry(qRect(l.colorBar));
  scroll_->setGeometry(qRect(l.scrollBar));
  statusBar_->setGeometry(qRect(l.statusBar));
  // The panes end where the status bar's rule puts them; pane 0 takes the rest on the left.
  const std::array<int, 4> edges = statusPaneEdges(w, fontMetrics().averageCharWidth());
  int left = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    panes_[k]->setFixedWidth(std::max(0, edges[k] - left - 6));
    left = edges[k];
  }
}

bool TinctorWindow::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    panes_[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QWidget::event(event);
}

void TinctorWindow::closeEvent(QCloseEvent* event) {
  timer_.stop();
  const QRect g = chooser_->geometry();
  session_.closeWindow({g.top(), g.left(), g.bottom(), g.right()});
  chooser_->hide();
  prefs_->hide();
  event->accept();
  emit closed();
}

void TinctorWindow::placeChooser(const ScreenRect& r) {
  chooser_->setGeometry(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)));
}

QString TinctorWindow::statusText(int pane) const {
  if (pane < 0 || pane > 3) return {};
  return panes_[static_cast<std::size_t>(pane)]->text();
}

void TinctorWindow::showStatus() {
  const SewingSimulation& sim = session_.simulation();
  const SimulationStatus s = simulationStatus(session_.model().design().stitches, sim.position(), statusWalk_);
  panes_[1]->setText(QString::fromStdString(s.needle));
  panes_[2]->setText(QString::fromStdString(s.color));
  panes_[3]->setText(QString::fromStdString(s.stitch));
}

}  // namespace lh
