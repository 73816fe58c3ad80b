// The main window's side of the preferences: opening the sheet (refused during a run) and
// redoing what an apply changed.
#include <QDir>

#include "browser/app/browser_view.h"
#include "browser/app/main_frame.h"
#include "browser/app/preferences_sheet.h"
#include "browser/app/single_view.h"
#include "browser/prefs_core/preferences.h"
#include "catalog/catalog_location.h"
#include "catalog/catalog_texts.h"
#include "formats/format_table.h"
#include "tools/setting_keys.h"

namespace lh {

PrefsPlaces CMainFrame::prefsPlaces() const {
  return {toStd(QDir::homePath()), toStd(QDir::tempPath()), dataFolder_};
}

void CMainFrame::openPreferencesSheet() {
  openPreferences(this, runState_.preferencesRefusal(), store_, prefsPlaces(), *drives_, ask_,
                  [this](const PrefsEffects& effects) { applyPreferences(effects); });
}

void CMainFrame::applyPreferences(const PrefsEffects& effects) {
  if (effects.viewTypes) {
    viewedTypes_ = viewedTypes(store_);
    view_->fileList().removeIf([this](const FileItem& item) { return !keptInList(item.location(), viewedTypes_); });
    view_->listChanged();
    updateCounts();
    updatePreview();
  }
  if (effects.catalogFolder) {
    const CatalogFolderChange change = changeCatalogFolder(catalog_, store_, *effects.catalogFolder, dataFolder_);
    if (!change.newFolderError.empty())
      tell(messageBoxAsker(this), catalog_texts::kErrorCaption, change.newFolderError, QMessageBox::Warning);
  } else if (effects.workspace) {
    saveCatalog(catalog_, store_, dataFolder_);
  }
  if (effects.colors) applyBackground();
  if (effects.units) preview_->setInches(readSetting(store_, kEnglishUnits) != 0);
  if (effects.colors || effects.units) updatePreview();
  if (effects.tagLine) view_->update();
}

// Thumbnails and the preview are drawn on the preferences' background colour.
void CMainFrame::applyBackground() {
  const std::uint32_t bgr = loadColors(store_).color;
  preview_->setBackground(bgr);
  view_->setBackground(bgr);
}

}  // namespace lh
