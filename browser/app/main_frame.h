#pragma once
// The browser's main window: the folder and catalog tabs over the preview pane on the left,
// the thumbnail grid on the right, the menus and the status bar. Restores its layout from the
// stored settings at start and writes it back at close.
#include <QMainWindow>
#include <QMenu>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "browser/app/catalog_tree.h"
#include "browser/app/dialogs.h"
#include "browser/app/dialogs_find.h"
#include "browser/core/file_delete.h"
#include "browser/core/grid_menu.h"
#include "browser/app/preview_menu.h"
#include "browser/app/close_files.h"
#include "browser/view_core/view_settings.h"
#include "catalog/catalog.h"
#include "design/settings.h"
#include "browser/app/tool_run_worker.h"
#include "browser/core/tool_results.h"
#include "plugin/run_state.h"

class QAction;
class QLabel;
class QUrl;
class QProgressBar;
class QToolButton;
class QSplitter;
class QTabWidget;
class QToolBar;

namespace lh {

class BSingleView;
class CatalogFollower;
class CrashGuard;
class PluginRuns;
struct LaunchPlan;
class CBrowserView;
class PictureLoader;
class BFolderTree;
class BCatalogTree;
class DriveService;
struct PrefsEffects;
struct PrefsPlaces;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // `store` holds the user's settings and outlives the window, as does `guard`, which records
  // every design load when there is one.
  explicit CMainFrame(SettingsStore& store, QWidget* parent = nullptr, CrashGuard* guard = nullptr);
  // With the drives given (tests give a fake list).
  CMainFrame(SettingsStore& store, std::unique_ptr<DriveService> drives, QWidget* parent = nullptr,
             CrashGuard* guard = nullptr);
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
  // Files deleted at close; temporary and on-the-fly output is asked about first.
  CloseFiles& closeFiles() { return closeFiles_; }
  // Another start asked for this window: it comes to the front (and opens `path`, if any).
  void comeToFront(const QString& path);

  BFolderTree& folderTree() { return *folders_; }
  BCatalogTree& catalogTree() { return *categories_; }
  Catalog& catalog() { return catalog_; }
  // The tool and plug-in running state: while a run is active the lists hold still.
  RunState& runState() { return runState_; }

  // The plug-ins (main_frame_plugins.cpp): the "P&lug-ins" menu with the "Loomhall Tools"
  // submenu and Stop, the toolbar with the sequencer and card writer buttons, the host that
  // answers plug-ins on the message bus.
  PluginRuns& plugins() { return *plugins_; }
  QMenu* pluginMenu() const { return pluginMenu_; }
  QToolBar* pluginToolBar() const { return pluginBar_; }
  // Stop, for tool and plug-in runs alike (in the Tools and plug-in menus and the toolbar).
  QAction* stopAction() const { return stopAction_; }
  // A plug-in command (32001 onwards), the sequencer button and the card writer button.
  void runPlugin(int command);
  void runSequencer();
  void runCardWriter();
  // Stop: a running tool stops at its next design; a plug-in is told to close and its run
  // ends at once.
  void stopRun();

  // What the commands ask the user and how they pick and delete; tests answer in the user's
  // place. The asker also goes to both trees.
  void setAsker(Asker ask);
  void setTrash(TrashFunction trash) { trash_ = std::move(trash); }
  void setFolderPicker(std::function<std::optional<std::string>(const std::string& start)> pick) {
    pickFolder_ = std::move(pick);
  }
  void setNameAsker(std::function<std::optional<std::string>(const std::string& oldName)> ask) {
    askName_ = std::move(ask);
  }
  void setFindPickers(FindFilePickers pick) { findPickers_ = std::move(pick); }

  // Help > "Help Topics": the manual shipped with the program, shown by the desktop's browser
  // (`openUrl`; tests record it). A missing manual or a failed start is told.
  static QString manualFilePath();
  bool openManual(const QString& path);
  void setUrlOpener(std::function<bool(const QUrl&)> open) { openUrl_ = std::move(open); }
  // Edit > "PES Association...": true when the dialog was confirmed.
  bool runPesAssociation();

  // The action of a command of the Edit menu and the grid's menu.
  QAction* command(GridCommand c) const { return commands_.at(c); }
  // The grid's menu for a right click on item `index` (-1: beside the cells), with the
  // commands enabled as they are now.
  std::unique_ptr<QMenu> gridMenuFor(qint64 index);
  // Enables the commands by the selection and the running state.
  void updateCommands();

  // The Edit menu's commands.
  void deleteSelectedFiles();
  void copySelectedTo();
  void sendSelectedToRemovable();
  void renameSelectedFile();
  void deleteCatalogEntries();
  void findMovedFile();
  // "Name the disk."; true when a disk was named.
  bool nameDisks();

  // The Tools menu (main_frame_tools.cpp): every conversion and tool command works on the
  // selection on a thread of its own; Stop asks the run to end before its next design.
  QMenu* toolsMenu() const { return toolsMenu_; }
  QAction* toolAction(ToolCommandId id) const { return toolActions_.at(id); }
  void runToolCommand(ToolCommandId id);
  // Tests: called on the run's thread before each design (see ToolRunJob::beforeDesign).
  void setToolRunHook(std::function<void(std::size_t)> hook) { toolRunHook_ = std::move(hook); }
  // Answers the "Reduce Needles" dialog: the reduced design, or nothing to end the run.
  using NeedleChooser = std::function<std::optional<EmbDesign>(const EmbDesign& design)>;
  void setNeedleChooser(NeedleChooser choose) { chooseNeedles_ = std::move(choose); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The trees of the "Browse" and "Catalog" tabs and what their ticks list.
  void buildLeftPanes();
  void wireTrees();
  void folderTicked(const QString& path, quint64 node);
  void folderUnticked(quint64 node);
  void categoryTicked(CategoryId id);
  void categoryUnticked(CategoryId id);
  RunLock runLock() const;
  void selectFolder(const std::string& path);
  void buildMenus();
  void buildEditMenu(QMenu* edit);
  void addPesAssociationCommand(QMenu* edit);
  void addCommand(QMenu* menu, GridCommand c, const QString& text, void (CMainFrame::*run)());
  void selectAllItems();
  void showGridMenu(qint64 index, const QPoint& globalPos);
  void postDeleteKey();
  bool isCategoryItem(const FileItem& item) const { return tickedCategories_.count(item.treeItem) != 0; }
  // Takes a catalog change to the items the list shows and saves the catalog.
  void catalogChanged();
  void buildStatusBar();
  void applySettings();
  void saveSettings();
  void updateCounts();
  void updatePreview();
  void togglePreviewPane(bool shown);
  bool offerTemporaryDeletion();
  // The Tools menu and its runs (main_frame_tools.cpp).
  void buildToolsMenu(QMenu* tools);
  void updateToolCommands();
  bool chooseReduction(ToolRunJob& job);
  void toolRunProgress(int handled, const std::string& item);
  void toolRunFinished(const RunResult& result);
  // Options > Preferences... and what an apply changes (main_frame_prefs.cpp).
  PrefsPlaces prefsPlaces() const;
  void openPreferencesSheet();
  void applyPreferences(const PrefsEffects& effects);
  void applyBackground();
  // Plug-ins (main_frame_plugins.cpp).
  void buildPluginMenu(QMenu* menu);
  void addPluginButtons();
  std::vector<std::string> selectedLocations() const;
  void startPlugin(const LaunchPlan& plan);
  // The run ended: the files made from the handed-back designs are listed after their sources
  // (and selected), the report shown, the browser unlocked.
  void finishPluginRun();
  void listCreatedFiles(const std::vector<std::pair<std::string, std::string>>& created);

  SettingsStore& store_;
  ViewToggles toggles_;
  std::vector<std::string> viewedTypes_;
  std::unique_ptr<DriveService> drives_;
  Catalog catalog_;
  std::string dataFolder_;
  RunState runState_;  // a tool, plug-in or print run locks the browser
  Asker ask_;
  TrashFunction trash_;
  std::function<std::optional<std::string>(const std::string&)> pickFolder_;
  std::function<std::optional<std::string>(const std::string&)> askName_;
  std::optional<FindFilePickers> findPickers_;
  std::function<bool(const QUrl&)> openUrl_;
  // Folder nodes and categories whose files are listed; only one kind at a time.
  std::set<std::uint64_t> tickedFolders_;
  std::set<CategoryId> tickedCategories_;
  std::string pendingFolder_;  // a folder to show once the tree has laid it out
  CloseFiles closeFiles_;
  CrashGuard* guard_ = nullptr;

  PictureLoader* loader_ = nullptr;
  QSplitter* split_ = nullptr;
  QSplitter* leftSplit_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  BFolderTree* folders_ = nullptr;
  BCatalogTree* categories_ = nullptr;
  BSingleView* preview_ = nullptr;
  CBrowserView* view_ = nullptr;
  QLabel* filesLabel_ = nullptr;
  QLabel* selectedLabel_ = nullptr;
  QAction* previewAction_ = nullptr;
  QAction* colourAction_ = nullptr;
  std::map<GridCommand, QAction*> commands_;
  QAction* deleteFiles_ = nullptr;
  PreviewCommands previewCommands_;  // the View menu's commands the preview's menu triggers
  std::unique_ptr<PluginRuns> plugins_;
  std::unique_ptr<CatalogFollower> follower_;  // the catalog following a plug-in run's saves
  bool pluginRunOpen_ = false;                 // a plug-in run started here has not been finished
  QMenu* pluginMenu_ = nullptr;
  QToolBar* pluginBar_ = nullptr;

  // The tool run in progress: what the window needs of it when it ends.
  struct PendingRun {
    std::vector<FileItem> sources;
    PlacedAs placed;
    std::string temporaryFolder;
  };
  PendingRun pendingRun_;
  QMenu* toolsMenu_ = nullptr;
  std::map<ToolCommandId, QAction*> toolActions_;
  QAction* stopAction_ = nullptr;
  QToolButton* stopButton_ = nullptr;
  QProgressBar* runProgress_ = nullptr;
  QLabel* createdLabel_ = nullptr;
  std::function<void(std::size_t)> toolRunHook_;
  NeedleChooser chooseNeedles_;
  // After runState_: its thread is joined before the state it reads goes.
  std::unique_ptr<ToolRunWorker> toolRun_;
};

}  // namespace lh
