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
#include "browser/app/frame_settings.h"
#include "browser/app/picture_loader.h"
#include "browser/app/print_run.h"
#include "browser/app/simple_folder_tree.h"
#include "browser/app/single_view.h"
#include "browser/app/start_path.h"
#include "catalog/catalog_location.h"
#include "catalog/catalog_texts.h"
#include "formats/format_table.h"
#include "platform/qt_drives.h"

namespace lh {

CMainFrame::CMainFrame(SettingsStore& store, QWidget* parent)
    : QMainWindow(parent), store_(store), toggles_(ViewToggles::load(store)), viewedTypes_(viewedTypes(store)),
      drives_(std::make_unique<QtDrives>()), dataFolder_(dataFolder()) {
  setWindowTitle("Loomhall Atelier");
  store_.setInt("Settings", kVersionKey, kBrowserVersion);
  loader_ = new PictureLoader(this);
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
  buildMenus();
  buildStatusBar();

  const CatalogStartup opened = openCatalogAtStartup(catalog_, store_, dataFolder_);
  if (!opened.error.empty()) {
    QMessageBox::warning(this, QString::fromUtf8(catalog_texts::kErrorCaption.data(),
                                                 static_cast<int>(catalog_texts::kErrorCaption.size())),
                         QString::fromStdString(opened.error));
  }
  connect(view_, &CBrowserView::listMoved, this, &CMainFrame::updateCounts);
  connect(view_, &CBrowserView::selectionMoved, this, [this] {
    updateCounts();
    updatePreview();
  });
  connect(preview_, &BSingleView::resized, this, &CMainFrame::updatePreview);
  connect(loader_, &PictureLoader::pictureReady, this,
          [this](std::uint64_t tag, const QString& item, std::shared_ptr<const Thumbnail> thumbnail) {
            if (tag == PictureLoader::kPreviewTag && preview_->itemText() == item.toStdString())
              preview_->setThumbnail(std::move(thumbnail));
          });
  applySettings();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::buildLeftPanes() {
  folders_ = new SimpleFolderTree(tabs_);
  connect(&folders_->model(), &TickableFolderModel::folderTicked, this, [this](const QString& folder, bool on) {
    if (on) {
      const std::uint64_t id = nextFolderId_++;
      folderIds_[folder] = id;
      view_->fileList().addFolder(id, folder.toStdString(), viewedTypes_, drives_.get());
    } else if (auto it = folderIds_.find(folder); it != folderIds_.end()) {
      view_->fileList().removeFolder(it->second);
      folderIds_.erase(it);
    }
    view_->listChanged();
  });
  tabs_->addTab(folders_, "Browse");
  // The catalog tree takes this page's place.
  auto* catalogPage = new QLabel(tabs_);
  catalogPage->setAlignment(Qt::AlignCenter);
  tabs_->addTab(catalogPage, "Catalog");
}

void CMainFrame::buildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Print...", QKeySequence::Print, this,
                  [this] { CatalogPrintRun(this, runState_, store_).start(view_->fileList(), false); });
  file->addAction("Print Pre&view", this,
                  [this] { CatalogPrintRun(this, runState_, store_).start(view_->fileList(), true); });
  file->addSeparator();
  file->addAction("E&xit", this, &QWidget::close);

  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->addAction("Select &All", this, [this] {
    view_->fileList().selectAll();
    view_->selectionChanged();
  });
  for (const char* text : {"Copy to...", "Send to Floppy (A:)", "Delete selected files...", "Rename File...",
                           "Delete Catalog Entries..."}) {
    edit->addAction(text)->setEnabled(false);
  }

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
  QAction* preview3D = viewMenu->addAction("3D Preview", this, [this] {
    toggles_.togglePreview3D(store_);
    updatePreview();
  });
  preview3D->setCheckable(true);
  preview3D->setChecked(toggles_.preview3D);
  colourAction_ = viewMenu->addAction("Color Display", this, [this] {
    preview_->switchColourList();
    colourAction_->setChecked(preview_->colourListShown());
  });
  colourAction_->setCheckable(true);
  colourAction_->setStatusTip("Switches between Instant 3D preview and design color chart.");
  QAction* thumbs3D = viewMenu->addAction("3D Thumbnails", this, [this] {
    view_->setThumbnails3D(toggles_.toggleThumbnails3D(store_));
  });
  thumbs3D->setCheckable(true);
  thumbs3D->setChecked(toggles_.thumbnails3D);
  viewMenu->addAction("Preview Size", this, [this] {
    view_->setSizeSetting(nextSizeSetting(view_->sizeSetting()));
    store_.setInt(kThumbnailSize.section, kThumbnailSize.key, view_->sizeSetting());
  });

  menuBar()->addMenu("&Tools")->setEnabled(false);
  menuBar()->addMenu("P&lug-ins")->setEnabled(false);
  QMenu* options = menuBar()->addMenu("&Options");
  options->addAction("Preferences...")->setEnabled(false);
  QMenu* help = menuBar()->addMenu("&Help");
  help->addAction("Ti&p of the Day...")->setEnabled(false);
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
  folders_->selectFolder(QString::fromStdString(s.lastPath));
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
  const QString folder = QString::fromStdString(target.folder);
  folders_->model().setTicked(folder, true);
  folders_->selectFolder(folder);
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

void CMainFrame::tickFolder(const QString& folder, bool on) { folders_->model().setTicked(folder, on); }

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
  f.lastPath = folders_->currentFolder().isEmpty() ? QDir::homePath().toStdString()
                                                   : folders_->currentFolder().toStdString();
  saveFrameSettings(store_, f);
  store_.setInt(kThumbnailSize.section, kThumbnailSize.key, view_->sizeSetting());
  saveCatalog(catalog_, store_, dataFolder_);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  saveSettings();
  event->accept();
}

bool CMainFrame::folderShown() const { return folders_ == nullptr || folders_->folderShown(); }

}  // namespace lh
