// The main window's side of the preferences: opening the sheet (refused during a run) and
// redoing what an apply changed.
#include <QDir>

#include "browser/app/browser_view.h"
#include "browser/app/main_frame.h"
#include "browser/app/preferences_sheet.h"
#include "browser/app/single_view.h"
#include "catalog/catalog_location.h"
#include "catalog/catalog_texts.h"
#include "formats/format_table.h"

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
  if (effects.colors || effects.units || effects.tagLine) {
    view_->update();
    preview_->update();
  }
}

}  // namespace lh
