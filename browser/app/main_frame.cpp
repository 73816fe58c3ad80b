#include "browser/app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>

#include "browser/app/browser_view.h"
#include "browser/app/design_opener.h"
#include "browser/app/crash_guard.h"
#include "browser/app/frame_settings.h"
#include "browser/app/picture_loader.h"
#include "browser/app/plugin_runs.h"
#include "browser/app/catalog_tree.h"
#include "browser/app/folder_tree.h"
#include "browser/app/pes_association_dialog.h"
#include "browser/prefs_core/preferences.h"
#include "browser/prefs_core/prefs_texts.h"
#include "browser/app/print_run.h"
#include "browser/app/single_view.h"
#include "browser/app/start_path.h"
#include "browser/app/tip_dialog.h"
#include "catalog/catalog_location.h"
#include "catalog/catalog_texts.h"
#include "formats/format_table.h"
#include "catalog/cataloguing.h"
#include "platform/qt_drives.h"
#include "tools/setting_keys.h"

namespace lh {

CMainFrame::CMainFrame(SettingsStore& store, QWidget* parent, CrashGuard* guard)
    : CMainFrame(store, std::make_unique<QtDrives>(), parent, guard) {}

CMainFrame::CMainFrame(SettingsStore& store, std::unique_ptr<DriveService> drives, QWidget* parent, CrashGuard* guard)
    : QMainWindow(parent), store_(store), toggles_(ViewToggles::load(store)), viewedTypes_(viewedTypes(store)),
      drives_(std::move(drives)), dataFolder_(dataFolder()),
      runState_([this](const PostedMessage& m) { plugins_->post(m); }), ask_(messageBoxAsker(this)), guard_(guard) {
  setWindowTitle("Loomhall Atelier");
  store_.setInt("Settings", kVersionKey, kBrowserVersion);
  loader_ = new PictureLoader(this, 0, guard_);
  split_ = new QSplitter(Qt::Horizontal, this);
  leftSplit_ = new QSplitter(Qt::Vertical, split_);
  tabs_ = new QTabWidget(leftSplit_);
  preview_ = new BSingleView(false, leftSplit_);
  view_ = new CBrowserView(*loader_, split_);
  split_->setStretchFactor(0, 0);
  split_->setStretchFactor(1, 1);
  leftSplit_->setStretchFactor(0, 1);
  leftSplit_->setStretchFactor(1, 0);
  setCentralWidget(split_);
  buildLeftPanes();
  plugins_ = std::make_unique<PluginRuns>(view_->fileList(), store_, runState_);
  connect(plugins_.get(), &PluginRuns::runEnded, this, &CMainFrame::finishPluginRun);
  buildMenus();
  addPluginButtons();
  buildStatusBar();

  const CatalogStartup opened = openCatalogAtStartup(catalog_, store_, dataFolder_);
  writeBackPreferences(store_, prefsPlaces());
  if (!opened.error.empty()) {
    QMessageBox::warning(this, QString::fromUtf8(catalog_texts::kErrorCaption.data(),
                                                 static_cast<int>(catalog_texts::kErrorCaption.size())),
                         QString::fromStdString(opened.error));
  }
  categories_->rebuild();
  wireTrees();
  connect(view_, &CBrowserView::listMoved, this, &CMainFrame::updateCounts);
  connect(view_, &CBrowserView::selectionMoved, this, [this] {
    updateCounts();
    updatePreview();
  });
  connect(preview_, &BSingleView::resized, this, &CMainFrame::updatePreview);
  connect(preview_, &BSingleView::contextMenuWanted, this, [this](const QPoint& pos) {
    execPreviewMenu(previewCommands_, preview_->colourListShown(), pos, this);
  });
  connect(preview_, &BSingleView::colourListSwitched, colourAction_, &QAction::setChecked);
  connect(preview_, &BSingleView::statusText, this, [this](const QString& text) { statusBar()->showMessage(text); });
  connect(view_, &CBrowserView::statusText, this, [this](const QString& text) { statusBar()->showMessage(text); });
  preview_->setInches(readSetting(store_, kEnglishUnits) != 0);
  applyBackground();
  view_->setDrives(drives_.get());
  auto opener = std::make_unique<DesignOpener>(store_, view_->extractedFiles());
  opener->setPesCheck([this] { return pesHasDefault(XdgPlaces::fromEnvironment()) || runPesAssociation(); });
  view_->setOpener(std::move(opener));
  connect(loader_, &PictureLoader::pictureReady, this,
          [this](std::uint64_t tag, const QString& item, std::shared_ptr<const Thumbnail> thumbnail) {
            if (tag == PictureLoader::kPreviewTag && preview_->itemText() == item.toStdString())
              preview_->setThumbnail(std::move(thumbnail));
          });
  applySettings();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::buildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Print...", QKeySequence::Print, this,
                  [this] { CatalogPrintRun(this, runState_, store_).start(view_->fileList(), false); });
  file->addAction("Print Pre&view", this,
                  [this] { CatalogPrintRun(this, runState_, store_).start(view_->fileList(), true); });
  file->addSeparator();
  file->addAction("E&xit", this, &QWidget::close);

  QMenu* edit = menuBar()->addMenu("&Edit");
  buildEditMenu(edit);
  addPesAssociationCommand(edit);

  QMenu* viewMenu = menuBar()->addMenu("&View");
  previewAction_ = viewMenu->addAction("&Preview", this, &CMainFrame::togglePreviewPane);
  previewAction_->setCheckable(true);
  previewAction_->setChecked(true);
  QAction* jumps = viewMenu->addAction("Preview Jump stitches", this, [this] {
    toggles_.togglePreviewJumps(store_);
    updatePreview();
  });
  jumps->setCheckable(true);
  jumps->setChecked(toggles_.previewJumps);
  previewCommands_.jumps = jumps;
  QAction* preview3D = viewMenu->addAction("3D Preview", this, [this] {
    toggles_.togglePreview3D(store_);
    updatePreview();
  });
  preview3D->setCheckable(true);
  preview3D->setChecked(toggles_.preview3D);
  previewCommands_.shading = preview3D;
  colourAction_ = viewMenu->addAction("Color Display", this, [this] {
    preview_->switchColourList();
    colourAction_->setChecked(preview_->colourListShown());
  });
  colourAction_->setCheckable(true);
  colourAction_->setStatusTip("Switches between Instant 3D preview and design color chart.");
  previewCommands_.colourList = colourAction_;
  QAction* thumbs3D = viewMenu->addAction("3D Thumbnails", this, [this] {
    view_->setThumbnails3D(toggles_.toggleThumbnails3D(store_));
  });
  thumbs3D->setCheckable(true);
  thumbs3D->setChecked(toggles_.thumbnails3D);
  viewMenu->addAction("Preview Size", this, [this] {
    view_->setSizeSetting(nextSizeSetting(view_->sizeSetting()));
    store_.setInt(kThumbnailSize.section, kThumbnailSize.key, view_->sizeSetting());
  });

  buildToolsMenu(menuBar()->addMenu("&Tools"));
  buildPluginMenu(menuBar()->addMenu("P&lug-ins"));
  QMenu* options = menuBar()->addMenu("&Options");
  options->addAction(QString::fromUtf8(prefs_texts::kCommand.data()), this, &CMainFrame::openPreferencesSheet)
      ->setStatusTip(QString::fromUtf8(prefs_texts::kCommandStatus.data()));
  QMenu* help = menuBar()->addMenu("&Help");
  help->addAction("Ti&p of the Day...", this, [this] {
    auto* tip = new TipDialog(store_, tipsFilePath(), ask_, this);
    tip->setAttribute(Qt::WA_DeleteOnClose);
    tip->open();
  });
  help->addAction("&Help Topics", this, [this] { openManual(manualFilePath()); });
  help->addAction("&About Loomhall...", this, [this] {
    QMessageBox::about(this, "About Loomhall", "Loomhall Atelier\nA browser for machine-embroidery designs.");
  });
}

void CMainFrame::buildStatusBar() {
  filesLabel_ = new QLabel(this);
  selectedLabel_ = new QLabel(this);
  statusBar()->addPermanentWidget(filesLabel_);
  statusBar()->addPermanentWidget(selectedLabel_);
  updateCounts();
}

void CMainFrame::applySettings() {
  const FrameSettings s = FrameSettings::load(store_, QDir::homePath().toStdString());
  split_->setSizes({s.split, std::max(1, width() - s.split)});
  // Without a stored height the preview starts as a square as wide as the left pane.
  const int previewHeight = s.split2 != 0 ? s.split2 : s.split;
  leftSplit_->setSizes({std::max(1, height() - previewHeight), previewHeight});
  tabs_->setCurrentIndex(s.leftTab);
  previewAction_->setChecked(s.previewShown);
  preview_->setVisible(s.previewShown);
  view_->setSizeSetting(readSetting(store_, kThumbnailSize));
  view_->setThumbnails3D(toggles_.thumbnails3D);
  if (s.hasRect()) setGeometry(s.rect.left, s.rect.top, s.rect.width(), s.rect.height());
  selectFolder(s.lastPath);
}

void CMainFrame::showAsStored() {
  const int state = store_.getInt(kMaximized.section, kMaximized.key, kMaximized.defaultValue);
  if (state == kShowMaximized) {
    showMaximized();
  } else {
    show();
  }
}

bool CMainFrame::openPath(const std::string& path) {
  const StartTarget target = startTarget(path);
  if (target.folder.empty()) return false;
  tabs_->setCurrentIndex(0);
  tickFolder(QString::fromStdString(target.folder), true);
  selectFolder(target.folder);
  FileList& list = view_->fileList();
  for (std::size_t i = 0; i < list.size(); ++i) {
    const bool wanted = (!target.select.empty() && list[i].location() == target.select) ||
                        (!target.archive.empty() && list[i].archive == target.archive);
    if (!wanted) continue;
    list.click(i);
    view_->scrollTo(view_->layout().scrollTo(i));
    view_->selectionChanged();
    break;
  }
  return true;
}

void CMainFrame::tickFolder(const QString& folder, bool on) {
  QTreeWidgetItem* item = folders_->findPath(toStd(folder));
  if (item != nullptr && folders_->isTickedItem(item) != on) folders_->tickClick(item, false);
}

QString CMainFrame::filesStatus() const { return filesLabel_->text(); }
QString CMainFrame::selectedStatus() const { return selectedLabel_->text(); }

void CMainFrame::updateCounts() {
  filesLabel_->setText(QString::fromStdString(view_->fileList().filesText()));
  selectedLabel_->setText(QString::fromStdString(view_->fileList().selectedText()));
}

void CMainFrame::updatePreview() {
  const FileList& list = view_->fileList();
  const std::optional<std::size_t> first = list.firstSelected();
  preview_->showItem(first ? list[*first] : FileItem{});
  if (!first || !preview_->isVisible()) {
    loader_->setPreviewRequest(std::nullopt);
    return;
  }
  ThumbnailRequest r;
  r.item = preview_->itemText();
  r.location = list[*first].location();
  r.spec = preview_->wantedSpec(toggles_.preview3D, toggles_.previewJumps);
  r.inches = readSetting(store_, kEnglishUnits) != 0;
  loader_->setPreviewRequest(std::move(r));
}

void CMainFrame::togglePreviewPane(bool shown) {
  preview_->setVisible(shown);
  updatePreview();
}

void CMainFrame::saveSettings() {
  FrameAtClose f;
  f.minimized = isMinimized();
  f.maximized = isMaximized();
  const QRect normal = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
  f.x = normal.x();
  f.y = normal.y();
  f.width = normal.width();
  f.height = normal.height();
  f.split = split_->sizes().value(0);
  f.split2 = leftSplit_->sizes().value(1);
  f.leftTab = tabs_->currentIndex();
  f.previewShown = previewAction_->isChecked();
  f.lastPath = folders_->selectedPath().empty() ? QDir::homePath().toStdString() : folders_->selectedPath();
  saveFrameSettings(store_, f);
  store_.setInt(kThumbnailSize.section, kThumbnailSize.key, view_->sizeSetting());
  saveCatalog(catalog_, store_, dataFolder_);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (runState_.toolRunning()) {
    tell(ask_, "Don't stop now!", "Tool running! Click 'Stop' to cancel, or hang in there.");
    event->ignore();
    return;
  }
  saveSettings();
  if (!offerTemporaryDeletion()) {
    event->ignore();
    return;
  }
  view_->extractedFiles().removeAll();
  if (guard_ != nullptr) guard_->finish();
  event->accept();
}

bool CMainFrame::folderShown() const {
  if (pendingFolder_.empty()) return true;
  const QTreeWidgetItem* item = folders_->currentItem();
  return item != nullptr && folders_->pathOf(item) == pendingFolder_ &&
         folders_->viewport()->rect().intersects(folders_->visualItemRect(item));
}

// False when the user cancels the close.
bool CMainFrame::offerTemporaryDeletion() {
  if (!closeFiles_.hasTemporary()) return true;
  if (readSetting(store_, kConfirmDeleteTemporaries) != 0) {
    const QMessageBox::StandardButton answer =
        ask_(Question{QMessageBox::Question, qs(kConfirmDeleteCaption), qs(kConfirmTemporaryDelete),
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel});
    if (answer == QMessageBox::No) return true;
    if (answer != QMessageBox::Yes) return false;
  }
  closeFiles_.deleteTemporary();
  return true;
}

void CMainFrame::comeToFront(const QString& path) {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  plugins_->activated();
  // While a tool or plug-in run works on the selection, the path is not opened: it would
  // change what the run is given.
  if (!path.isEmpty() && !runState_.toolRunning()) openPath(toStd(path));
}

}  // namespace lh
