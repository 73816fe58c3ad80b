#pragma once
// The view's stored choices in "Settings": the preview pane's jump stitches and shading, the
// thumbnails' shading and the thumbnail size. Checked menu items are stored as 8, cleared
// ones as 0.
#include "design/settings.h"
#include "tools/setting_keys.h"

namespace lh {

inline constexpr int kCheckedValue = 8;
inline constexpr SettingKey kPreviewJump{"Settings", "PreviewJump", 0, 0, kCheckedValue, true};
inline constexpr SettingKey kPreview3D{"Settings", "Preview3D", kCheckedValue, 0, kCheckedValue, true};
// Thumbnails are shaded only when the stored value is exactly 8.
inline constexpr SettingKey kThumbnail3D{"Settings", "Thumbnail3D", 0, 0, kCheckedValue};
inline constexpr SettingKey kThumbnailSize{"Settings", "Thumbnail Size", 1, 1, 3};

// The View menu's toggles and the thumbnail size, as the cells use them. Shading always
// comes with thick lines (thinned again below 250 pixels, see thickLinesAt).
struct ViewToggles {
  bool previewJumps = false;   // "Preview Jump stitches"
  bool preview3D = true;       // "3D Preview"
  bool thumbnails3D = false;   // "3D Thumbnails"
  int thumbnailSize = 1;       // 1, 2 or 3

  static ViewToggles load(const SettingsStore& store);

  // Each flips its toggle, stores 8 or 0 and returns the new state; the cells it concerns
  // then render again (their PictureSpec changed).
  bool togglePreviewJumps(SettingsStore& store);
  bool togglePreview3D(SettingsStore& store);
  bool toggleThumbnails3D(SettingsStore& store);
};

}  // namespace lh
