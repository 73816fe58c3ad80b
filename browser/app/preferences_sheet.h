#pragma once
// "Loomhall Preferences": the eleven pages in tabs with OK, Cancel and Apply. Applying writes
// every value through the settings store and tells the window what to redo (PrefsEffects);
// the catalog folder is stored by the window when it moves the catalog there.
#include <QDialog>
#include <optional>
#include <vector>

#include "browser/app/dialogs.h"
#include "browser/prefs_core/preferences.h"
#include "plugin/plugin_texts.h"

class QTabWidget;

namespace lh {

class PrefsPage;

class BPropSheet : public QDialog {
  Q_OBJECT
 public:
  BPropSheet(SettingsStore& store, PrefsPlaces places, const DriveService& drives, Asker ask,
             QWidget* parent = nullptr);

  QTabWidget& tabs() { return *tabs_; }
  // The values as last applied (or loaded).
  const Preferences& values() const { return applied_; }
  // Takes every page's values, writes them, emits applied() and gives what changed.
  PrefsEffects apply();
  void accept() override;

 signals:
  void applied(const lh::PrefsEffects& effects);

 private:
  SettingsStore& store_;
  PrefsPlaces places_;
  Preferences applied_;
  QTabWidget* tabs_;
  std::vector<PrefsPage*> pages_;
};

// The command "Preferences...": while a run is active `refusal` is told through `ask` and
// nothing opens; otherwise the sheet opens modally and every apply reaches `onApply`. Whether
// the sheet opened.
bool openPreferences(QWidget* parent, std::optional<Refusal> refusal, SettingsStore& store, const PrefsPlaces& places,
                     const DriveService& drives, const Asker& ask,
                     const std::function<void(const PrefsEffects&)>& onApply);

}  // namespace lh
