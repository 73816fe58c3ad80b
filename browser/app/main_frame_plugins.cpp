// The main window's plug-ins: the "Loomhall Tools" submenu and the toolbar buttons of the
// installed plug-ins, starting them with the selection, Stop, and the end of a plug-in run,
// which lists the files made from the designs the plug-in handed back after their sources.
#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

#include "browser/app/browser_view.h"
#include "browser/app/main_frame.h"
#include "browser/app/plugin_runs.h"
#include "catalog/cataloguing.h"
#include "plugin/plugin_host.h"
#include "tools/setting_keys.h"

namespace lh {

namespace {

using Created = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kSequencerTip = "Modify Colors with Huetide.";
constexpr const char* kCardWriterTip = "Write files to card.";
constexpr const char* kReportCaption = "Report";
constexpr int kIconSize = 24;

// The sequencer's button: thread colours one above the other.
QIcon sequencerIcon() {
  QPixmap pixmap(kIconSize, kIconSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  const QColor colours[] = {QColor(200, 30, 40), QColor(240, 170, 20), QColor(40, 140, 60), QColor(30, 80, 200)};
  for (int i = 0; i < 4; ++i) p.fillRect(3, 2 + i * 5, kIconSize - 6, 4, colours[i]);
  return QIcon(pixmap);
}

// The card writer's button: the picture beside its program ("<program>.bmp"), or a card.
QIcon cardWriterIcon(const std::string& program) {
  const std::string::size_type dot = program.find_last_of('.');
  const std::string::size_type slash = program.find_last_of('/');
  const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                               ? program.substr(0, dot) : program;
  const QPixmap own(QString::fromStdString(stem + ".bmp"));
  if (!own.isNull()) return QIcon(own);
  QPixmap pixmap(kIconSize, kIconSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setBrush(QColor(60, 60, 70));
  p.drawRect(5, 3, 14, 18);
  p.fillRect(8, 4, 8, 5, QColor(220, 190, 60));
  return QIcon(pixmap);
}

bool inFolder(const std::string& path, std::string folder) {
  if (folder.empty()) return false;
  if (folder.back() != '/') folder += '/';
  return path.starts_with(folder);
}

// Inserts each created file after its source and the files inserted for it before; a file
// whose source is not listed goes to the end; a file already listed is left alone. Gives the
// positions of the new items.
std::vector<std::size_t> insertCreated(FileList& list, const Created& created, const std::string& temporaryFolder,
                                       bool deleteTemporary) {
  std::vector<FileItem> items = list.items();
  std::vector<bool> made(items.size(), false);
  const auto listed = [&](const std::string& location) {
    return std::find_if(items.begin(), items.end(), [&](const FileItem& i) { return i.location() == location; });
  };
  for (const auto& [source, file] : created) {
    if (listed(file) != items.end()) continue;
    FileItem item = parseItemText(file);
    item.isTemporary = inFolder(file, temporaryFolder);
    item.deleteAtClose = item.isTemporary && deleteTemporary;
    std::size_t at = items.size();
    const auto from = listed(source);
    if (from != items.end()) {
      at = static_cast<std::size_t>(from - items.begin()) + 1;
      while (at < items.size() && made[at]) ++at;
      item.treeItem = from->treeItem;
    }
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    made.insert(made.begin() + static_cast<std::ptrdiff_t>(at), true);
  }
  list.clear();
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (made[i]) positions.push_back(i);
    list.append(std::move(items[i]));
  }
  return positions;
}

}  // namespace

void CMainFrame::buildPluginMenu(QMenu* menu) {
  pluginMenu_ = menu;
  const PluginList& list = plugins_->installed();
  if (!list.empty()) {
    QMenu* tools = menu->addMenu(qs(kPluginApplication));
    for (const PluginEntry& entry : list.entries()) {
      if (!entry.command) break;
      const int command = *entry.command;
      tools->addAction(QString::fromStdString(entry.name), this, [this, command] { runPlugin(command); })
          ->setData(command);
    }
    menu->addSeparator();
  }
  menu->addAction(stopAction_);  // the Tools menu's Stop
}

void CMainFrame::addPluginButtons() {
  pluginBar_ = addToolBar("Plug-ins");
  pluginBar_->setObjectName("pluginToolBar");
  const PluginList& list = plugins_->installed();
  if (list.hasHuetide()) {
    QAction* sequencer = pluginBar_->addAction(sequencerIcon(), kSequencerTip, this, &CMainFrame::runSequencer);
    sequencer->setObjectName("sequencerButton");
    sequencer->setStatusTip(kSequencerTip);
    setWindowTitle(windowTitle() + " " + qs(list.titleSuffix()));
  }
  if (const PluginEntry* card = list.cardWriter()) {
    QAction* writer =
        pluginBar_->addAction(cardWriterIcon(card->program()), kCardWriterTip, this, &CMainFrame::runCardWriter);
    writer->setObjectName("cardWriterButton");
    writer->setStatusTip(kCardWriterTip);
  }
  pluginBar_->addAction(stopAction_);
}

std::vector<std::string> CMainFrame::selectedLocations() const {
  std::vector<std::string> out;
  for (const FileItem& item : view_->fileList().selectedItems()) out.push_back(item.location());
  return out;
}

void CMainFrame::runPlugin(int command) {
  const PluginList& list = plugins_->installed();
  const std::vector<std::string> selected = selectedLocations();
  startPlugin(planPluginRun(list, list.byCommand(command), selected, runState_.snapshot()));
}

void CMainFrame::runSequencer() {
  const std::vector<std::string> selected = selectedLocations();
  startPlugin(planSequencer(plugins_->installed(), selected, runState_.snapshot()));
}

void CMainFrame::runCardWriter() {
  const std::vector<std::string> selected = selectedLocations();
  startPlugin(planCardWriter(plugins_->installed(), selected));
}

void CMainFrame::startPlugin(const LaunchPlan& plan) {
  if (plan.entersRun) {
    // Designs saved outside the temporary folder join the categories listing their sources.
    follower_ = std::make_unique<CatalogFollower>(catalog_, *drives_, readSetting(store_, kWorkspaceDirectory));
    plugins_->host().setCatalog(follower_.get());
  }
  if (const std::optional<Refusal> message = plugins_->launch(plan))
    tell(ask_, message->caption, message->text, QMessageBox::Warning);
  if (plan.entersRun && runState_.pluginRunning()) {
    pluginRunOpen_ = true;
  } else if (plan.entersRun && !pluginRunOpen_) {
    plugins_->host().setCatalog(nullptr);
    follower_.reset();
  }
  updateCommands();
}

void CMainFrame::stopRun() {
  const bool plugin = runState_.pluginRunning();
  runState_.stopRun();  // a plug-in is told to close and the run ends at once
  if (plugin) finishPluginRun();
  updateCommands();
}

void CMainFrame::finishPluginRun() {
  const std::string report = plugins_->host().runReport();
  const Created created = plugins_->takeCreated();
  const bool ours = pluginRunOpen_;
  pluginRunOpen_ = false;
  if (runState_.pluginRunning()) runState_.endRun();
  plugins_->host().setCatalog(nullptr);
  const bool catalogTouched = follower_ && follower_->insertions() > 0;
  follower_.reset();
  plugins_->host().beginRun();  // the next run, or a plug-in started by hand, starts afresh
  listCreatedFiles(created);
  if (catalogTouched) catalogChanged();
  updateCommands();
  if (ours && !report.empty()) {
    QString text = QString::fromStdString(report);
    text.replace("\r\n", "\n");
    tell(ask_, kReportCaption, text.trimmed().toStdString());
  }
}

void CMainFrame::listCreatedFiles(const std::vector<std::pair<std::string, std::string>>& created) {
  if (created.empty()) return;
  const bool workspace = readSetting(store_, kWorkspaceOn) != 0;
  const std::string temporary = workspace ? readSetting(store_, kWorkspaceDirectory) : std::string();
  FileList& list = view_->fileList();
  const std::vector<std::size_t> added =
      insertCreated(list, created, temporary, readSetting(store_, kDeleteTemporaries) != 0);
  for (std::size_t i : added)
    if (list[i].deleteAtClose) closeFiles_.addTemporary(list[i].location());
  if (readSetting(store_, kSelectConverted) != 0 && !added.empty()) {
    list.click(added.front());
    for (std::size_t k = 1; k < added.size(); ++k) list.ctrlClick(added[k]);
  }
  view_->listChanged();
  if (!added.empty()) view_->scrollTo(view_->layout().scrollTo(added.front()));
  view_->selectionChanged();
}

}  // namespace lh
