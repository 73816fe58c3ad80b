#include "browser/app/frame_settings.h"

#include <algorithm>

namespace lh {

WindowRect storableRect(int x, int y, int width, int height) {
  WindowRect r;
  r.left = std::max(0, x);
  r.top = std::max(0, y);
  r.right = r.left + std::max(kMinSavedWidth, width);
  r.bottom = r.top + std::max(kMinSavedHeight, height);
  return r;
}

FrameSettings FrameSettings::load(const SettingsStore& store, const std::string& home) {
  FrameSettings s;
  s.showState = store.getInt(kMaximized.section, kMaximized.key, kMaximized.defaultValue);
  s.rect.left = store.getInt("Settings", "left", 0);
  s.rect.top = store.getInt("Settings", "top", 0);
  s.rect.right = store.getInt("Settings", "right", 0);
  s.rect.bottom = store.getInt("Settings", "bottom", 0);
  s.split = readSetting(store, kSplit);
  s.split2 = readSetting(store, kSplit2);
  s.leftTab = readSetting(store, kLeftTab);
  s.previewShown = store.getInt(kPreviewShown.section, kPreviewShown.key, kPreviewShown.defaultValue) != 0;
  s.lastPath = store.getString("Settings", kLastPathKey, home);
  return s;
}

void saveFrameSettings(SettingsStore& store, const FrameAtClose& frame) {
  store.setInt(kLeftTab.section, kLeftTab.key, frame.leftTab);
  store.setInt(kPreviewShown.section, kPreviewShown.key, frame.previewShown ? 8 : 0);
  if (!frame.minimized) {
    store.setInt(kMaximized.section, kMaximized.key, frame.maximized ? kShowMaximized : kShowNormal);
  }
  const WindowRect r = storableRect(frame.x, frame.y, frame.width, frame.height);
  store.setInt("Settings", "left", r.left);
  store.setInt("Settings", "top", r.top);
  store.setInt("Settings", "right", r.right);
  store.setInt("Settings", "bottom", r.bottom);
  store.setInt(kSplit.section, kSplit.key, frame.split);
  if (frame.previewShown) store.setInt(kSplit2.section, kSplit2.key, frame.split2);
  store.setString("Settings", kLastPathKey, frame.lastPath);
  store.setString("Settings", kLastFileKey, "");
}

}  // namespace lh
