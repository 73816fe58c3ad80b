// The Tools menu: every conversion and tool command on the selected designs, run on a thread
// of its own with its progress in the status bar and Stop; at its end the new designs go into
// the list after their sources (and into the catalog), and the report is shown.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "browser/app/browser_view.h"
#include "browser/app/catalog_tree.h"
#include "browser/app/crash_guard.h"
#include "browser/app/main_frame.h"
#include "browser/app/tool_run_dialogs.h"
#include "browser/prefs_core/preferences.h"
#include "catalog/cataloguing.h"
#include "formats/design_codec.h"
#include "tools/setting_keys.h"

namespace lh {

namespace {

constexpr const char* kStopTip = "Stop the current operation";

// The status-bar texts of the commands that have one.
std::string_view toolStatusTip(ToolCommandId id) {
  switch (id) {
    case ToolCommandId::DesignNotes:
      return "Create notes about a design file.";
    case ToolCommandId::PreviewBitmap:
      return "Save the design preview as a .BMP File.";
    case ToolCommandId::ReduceColors:
      return "Intelligently reduce the needle count.";
    default:
      return {};
  }
}

}  // namespace

void CMainFrame::buildToolsMenu(QMenu* tools) {
  toolsMenu_ = tools;
  QMenu* convert = tools->addMenu("Convert design format to");
  for (const ToolCommand& c : toolCommands()) {
    QAction* action = nullptr;
    if (c.id == ToolCommandId::ConvertToToolFormat) {
      action = command(GridCommand::ConvertOnTheFly);  // the grid's menu offers it too
      tools->addAction(action);
    } else {
      action = (c.tool == Tool::Conversion ? convert : tools)->addAction(qs(c.menuText));
    }
    action->setStatusTip(qs(toolStatusTip(c.id)));
    connect(action, &QAction::triggered, this, [this, id = c.id] { runToolCommand(id); });
    toolActions_[c.id] = action;
  }
  tools->addSeparator();
  // One Stop for tool and plug-in runs: the plug-in menu and toolbar show it too.
  stopAction_ = tools->addAction(style()->standardIcon(QStyle::SP_BrowserStop), "&Stop", this, &CMainFrame::stopRun);
  stopAction_->setStatusTip(kStopTip);
  stopAction_->setToolTip(kStopTip);
  connect(tools, &QMenu::aboutToShow, this, &CMainFrame::updateToolCommands);

  stopButton_ = new QToolButton(this);
  stopButton_->setDefaultAction(stopAction_);
  runProgress_ = new QProgressBar(this);
  runProgress_->setMaximumWidth(160);
  createdLabel_ = new QLabel(this);
  for (QWidget* w : {static_cast<QWidget*>(createdLabel_), static_cast<QWidget*>(runProgress_),
                     static_cast<QWidget*>(stopButton_)}) {
    statusBar()->addPermanentWidget(w);
    w->hide();
  }

  ToolRunWorker::Listener listener;
  listener.progress = [this](int handled, const std::string& item) { toolRunProgress(handled, item); };
  listener.fileCreated = [this](int created) { createdLabel_->setText(QString("Created: %1").arg(created)); };
  listener.finished = [this](const RunResult& result) { toolRunFinished(result); };
  toolRun_ = std::make_unique<ToolRunWorker>(runState_, std::move(listener));
  updateToolCommands();
}

// A tool run ignores the commands; a plug-in run refuses them with its message.
void CMainFrame::updateToolCommands() {
  if (stopAction_ == nullptr) return;  // the Tools menu is not built yet
  const RunSnapshot run = runState_.snapshot();
  const bool toolRun = run.toolRunning && !run.pluginRunning;
  for (const auto& [id, action] : toolActions_) action->setEnabled(!toolRun);
  stopAction_->setEnabled(run.toolRunning);
}

void CMainFrame::runToolCommand(ToolCommandId id) {
  if (runState_.beginRun()) {
    if (runState_.pluginRunning()) tell(ask_, kPluginRunning.caption, kPluginRunning.text, QMessageBox::Warning);
    return;
  }
  ToolRunJob job;
  job.command = id;
  copyRunSettings(store_, job.settings);
  job.run = RunSettings::fromSettings(job.settings);
  // New designs go into the temporary folder only when there is one to put them in.
  if (job.run.workspace && (job.run.directory.empty() || !QDir().mkpath(qs(job.run.directory))))
    job.run.workspace = false;
  pendingRun_ = {};
  pendingRun_.placed.select = readSetting(job.settings, kSelectConverted) != 0;
  pendingRun_.placed.temporary = job.run.workspace;
  pendingRun_.placed.deleteAtClose = readSetting(job.settings, kDeleteTemporaries) != 0;
  pendingRun_.temporaryFolder = job.run.directory;
  const bool keepSelection = readSetting(job.settings, kKeepOriginalSelection) != 0;
  const bool reduce = toolCommand(id).tool == Tool::ReduceNeedles;
  // "Reduce Colors" asks first: a declined dialog leaves the selection as it was.
  RunItems items = takeRunItems(view_->fileList(), keepSelection || reduce);
  pendingRun_.sources = std::move(items.sources);
  job.items = std::move(items.locations);
  if (reduce) {
    if (!chooseReduction(job)) {
      // Cancel, or OK without a change, ends the run at once.
      toolRunFinished(RunResult{});
      return;
    }
    if (!keepSelection) takeRunItems(view_->fileList(), false);
  }
  job.beforeDesign = toolRunHook_;
  job.guard = guard_;
  view_->setEnabled(false);
  runProgress_->setRange(0, static_cast<int>(job.items.size()));
  runProgress_->setValue(0);
  createdLabel_->setText("Created: 0");
  for (QWidget* w : {static_cast<QWidget*>(createdLabel_), static_cast<QWidget*>(runProgress_),
                     static_cast<QWidget*>(stopButton_)})
    w->show();
  updateToolCommands();
  toolRun_->start(std::move(job));
}

// "Reduce Colors" works on the first design of the selection, reduced in the dialog before
// the run starts; false when the user declined.
bool CMainFrame::chooseReduction(ToolRunJob& job) {
  const auto first = std::find_if(job.items.begin(), job.items.end(),
                                  [](const std::string& item) { return !isCompanionFile(item); });
  if (first == job.items.end()) return true;  // the runner reports that there is no design
  job.items = {*first};
  // A finished load is no crash: the codec's note of the file is put back as it was.
  const std::string lastFile = store_.getString("Settings", "Last File", "");
  if (guard_ != nullptr) guard_->reading(*first);
  DesignCodec codec(&store_);
  EmbDesign design;
  const LoadResult loaded = codec.loadDesign(&design, *first);
  store_.setString("Settings", "Last File", lastFile);
  if (loaded != LoadResult::Ok) return true;  // the runner reports the failure
  std::optional<EmbDesign> reduced;
  if (chooseNeedles_) {
    reduced = chooseNeedles_(design);
  } else {
    ReduceNeedlesDialog dialog(design, readSetting(store_, kEnglishUnits) != 0, loadPreferences(store_, prefsPlaces()).colors.color, this);
    if (dialog.exec() == QDialog::Accepted) reduced = dialog.reducedDesign();
  }
  if (!reduced) return false;
  job.reduced = std::move(reduced);
  return true;
}

void CMainFrame::toolRunProgress(int handled, const std::string& item) {
  runProgress_->setValue(handled);
  statusBar()->showMessage(qs(item));
}

void CMainFrame::toolRunFinished(const RunResult& result) {
  const PendingRun run = std::move(pendingRun_);
  pendingRun_ = {};
  placeCreated(view_->fileList(), run.sources, result.created, result.origins, run.placed);
  if (run.placed.temporary && run.placed.deleteAtClose)
    for (const std::string& created : result.created) closeFiles_.addTemporary(created);
  if (!result.created.empty()) {
    if (!run.placed.temporary) {
      const DriveSnapshot drives(*drives_);
      CatalogFollower follower(catalog_, drives, run.temporaryFolder);
      for (std::size_t i = 0; i < result.created.size(); ++i) follower.fileCreated(result.origins[i], result.created[i]);
    }
    categories_->save();
  }
  runState_.endRun();
  for (QWidget* w : {static_cast<QWidget*>(createdLabel_), static_cast<QWidget*>(runProgress_),
                     static_cast<QWidget*>(stopButton_)})
    w->hide();
  statusBar()->clearMessage();
  view_->setEnabled(true);
  view_->listChanged();
  view_->selectionChanged();
  view_->setFocus();
  updateToolCommands();
  if (result.report.empty()) return;
  auto* report = new ReportDialog(result.report, this);
  report->setAttribute(Qt::WA_DeleteOnClose);
  report->open();
}

}  // namespace lh
