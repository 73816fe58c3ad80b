#pragma once
// The main window's stored layout in "Settings": show state, normal rectangle, the splitter
// positions, the left tab, the preview pane and the folder last selected. Read at start,
// written at close; stored rectangles that are too small are enlarged on saving.
#include <string>

#include "design/settings.h"
#include "tools/setting_keys.h"

namespace lh {

inline constexpr int kShowMaximized = 3;   // "maximized" when the window was maximised
inline constexpr int kShowNormal = 1;
inline constexpr int kMinSavedWidth = 100;
inline constexpr int kMinSavedHeight = 25;
inline constexpr int kBrowserVersion = 258;  // written at every start, read by the sequencer

inline constexpr SettingKey kMaximized{"Settings", "maximized", kShowMaximized, 0, 11};
inline constexpr SettingKey kLeftTab{"Settings", "Left Tab", 0, 0, 1};
inline constexpr SettingKey kPreviewShown{"Settings", "Preview", 8, 0, 8};
inline constexpr SettingKey kSplit{"Settings", "Split", 2 * 128, 0, 100000};
inline constexpr SettingKey kSplit2{"Settings", "Split2", 0, 0, 100000};
inline constexpr std::string_view kVersionKey = "Version";
inline constexpr std::string_view kLastPathKey = "Last path";
inline constexpr std::string_view kLastFileKey = "Last File";

// A window rectangle as stored: right and bottom are left + width and top + height.
struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const WindowRect&, const WindowRect&) = default;
};
// The rectangle as it is saved: left and top at least 0, at least 100 wide and 25 high.
WindowRect storableRect(int x, int y, int width, int height);

struct FrameSettings {
  int showState = kShowMaximized;
  WindowRect rect;        // applied only when bottom is not 0
  int split = kSplit.defaultValue;  // the left pane's width
  int split2 = 0;         // the preview pane's height; applied when not 0
  int leftTab = 0;
  bool previewShown = true;
  std::string lastPath;   // the folder selected in the folder tree

  bool hasRect() const { return rect.bottom != 0; }
  static FrameSettings load(const SettingsStore& store, const std::string& home);
};

// What the window looks like at close. Minimised windows keep the stored show state; the
// preview's height is stored only while the preview is shown.
struct FrameAtClose {
  bool minimized = false;
  bool maximized = false;
  int x = 0, y = 0, width = 0, height = 0;  // the normal (not maximised) rectangle
  int split = 0;
  int split2 = 0;
  int leftTab = 0;
  bool previewShown = true;
  std::string lastPath;
};
void saveFrameSettings(SettingsStore& store, const FrameAtClose& frame);

}  // namespace lh
