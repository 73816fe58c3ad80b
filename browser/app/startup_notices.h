#pragma once
// What the browser tells the user once its window is up: a crash during the previous run
// (the file it was reading then), else the tip of the day when it is wanted, and a warning
// about a display of 256 colours or fewer.
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "browser/app/dialogs.h"
#include "design/settings.h"

class QWidget;

namespace lh {

inline constexpr std::string_view kCrashCaption = "Last File Error";
inline constexpr std::string_view kVideoCaption = "Video Display Error";
inline constexpr std::string_view kVideoWarning =
    "The display is currently set to 256 colors or less.\n"
    "Loomhall works with a display setting of 16-bit color or higher.\n"
    "Please adjust your video settings to get correct colors.\n"
    "See the manual instructions if you need help";

// The report of a run that ended while reading a file ("Last File" not empty), or nothing.
std::optional<std::string> crashReport(const SettingsStore& store);

enum class StartupNotice { None, CrashReport, Tip };

// Shows the crash report through `ask`, else opens the tip of the day over `window` (without
// waiting for it) when tips are shown at start; then the display warning when the screen has
// 256 colours or fewer. Says which of the first two it showed.
StartupNotice showStartupNotices(QWidget* window, SettingsStore& store, const Asker& ask,
                                 const QString& tipsPath);

}  // namespace lh
