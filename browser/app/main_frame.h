#pragma once
// The browser's main window: the folder and catalog tabs over the preview pane on the left,
// the thumbnail grid on the right, the menus and the status bar. Restores its layout from the
// stored settings at start and writes it back at close.
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "browser/view_core/view_settings.h"
#include "catalog/catalog.h"
#include "design/settings.h"
#include "plugin/run_state.h"

class QAction;
class QLabel;
class QSplitter;
class QTabWidget;

namespace lh {

class BSingleView;
class CBrowserView;
class PictureLoader;
class SimpleFolderTree;
class DriveService;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // `store` holds the user's settings and outlives the window.
  explicit CMainFrame(SettingsStore& store, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // Shows the window maximised or in its stored rectangle.
  void showAsStored();
  // Lists the folder (or the folder holding an archive or design) and selects the design.
  bool openPath(const std::string& path);
  // Ticks or clears a folder as the folder tree does.
  void tickFolder(const QString& folder, bool on);

  CBrowserView& view() { return *view_; }
  BSingleView& preview() { return *preview_; }
  // The folder tree shows the folder the window was opened on.
  bool folderShown() const;
  QSplitter& splitter() { return *split_; }
  QSplitter& leftSplitter() { return *leftSplit_; }
  QTabWidget& leftTabs() { return *tabs_; }
  QString filesStatus() const;
  QString selectedStatus() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The trees of the "Browse" and "Catalog" tabs; the full folder and catalog trees go here.
  void buildLeftPanes();
  void buildMenus();
  void buildStatusBar();
  void applySettings();
  void saveSettings();
  void updateCounts();
  void updatePreview();
  void togglePreviewPane(bool shown);

  SettingsStore& store_;
  RunState runState_;  // a tool, plug-in or print run locks the browser
  ViewToggles toggles_;
  std::vector<std::string> viewedTypes_;
  std::unique_ptr<DriveService> drives_;
  Catalog catalog_;
  std::string dataFolder_;
  std::map<QString, std::uint64_t> folderIds_;  // tree item ids of ticked folders
  std::uint64_t nextFolderId_ = 1;

  PictureLoader* loader_ = nullptr;
  QSplitter* split_ = nullptr;
  QSplitter* leftSplit_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  SimpleFolderTree* folders_ = nullptr;
  BSingleView* preview_ = nullptr;
  CBrowserView* view_ = nullptr;
  QLabel* filesLabel_ = nullptr;
  QLabel* selectedLabel_ = nullptr;
  QAction* previewAction_ = nullptr;
  QAction* colourAction_ = nullptr;
};

}  // namespace lh
