#include "browser/view_core/view_settings.h"

namespace lh {

namespace {

bool flip(bool& toggle, SettingsStore& store, const SettingKey& key) {
  toggle = !toggle;
  store.setInt(key.section, key.key, toggle ? kCheckedValue : 0);
  return toggle;
}

}  // namespace

ViewToggles ViewToggles::load(const SettingsStore& store) {
  ViewToggles v;
  v.previewJumps = readSetting(store, kPreviewJump) != 0;
  v.preview3D = readSetting(store, kPreview3D) != 0;
  v.thumbnails3D = store.getInt(kThumbnail3D.section, kThumbnail3D.key, kThumbnail3D.defaultValue) == kCheckedValue;
  v.thumbnailSize = readSetting(store, kThumbnailSize);
  return v;
}

bool ViewToggles::togglePreviewJumps(SettingsStore& store) { return flip(previewJumps, store, kPreviewJump); }
bool ViewToggles::togglePreview3D(SettingsStore& store) { return flip(preview3D, store, kPreview3D); }
bool ViewToggles::toggleThumbnails3D(SettingsStore& store) { return flip(thumbnails3D, store, kThumbnail3D); }

}  // namespace lh
