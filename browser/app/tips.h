#pragma once
// The tip of the day: one line at a time from a plain text file, in order, starting again at
// the top after the last one. Lines that begin with a blank, a tab or ';' (and empty lines)
// are not tips. Where the reading stopped and the file's time stamp are kept in the section
// "Tip", so each start shows the next tip, and an edited file is read from its top again.
#include <cstdint>
#include <string>
#include <string_view>

#include "design/settings.h"
#include "tools/setting_keys.h"

namespace lh {

inline constexpr SettingKey kTipStartUp{"Tip", "StartUp", 0, 0, 1, true};  // 0: show tips at start
inline constexpr std::string_view kTipFilePosKey = "FilePos";
inline constexpr std::string_view kTipTimeStampKey = "TimeStamp";

inline constexpr std::string_view kTipsFileName = "tips.txt";
inline constexpr std::string_view kNoTipsFile = "Tips file does not exist in the prescribed directory";
inline constexpr std::string_view kTipsTrouble = "Trouble reading the tips file";
inline constexpr std::size_t kMaxTipLength = 999;

enum class TipStatus {
  Ok,
  NoFile,       // the file is missing or cannot be read
  BadPosition,  // the position lies outside the file
  NoTips,       // the file holds no tip line at all
};

struct TipRead {
  TipStatus status = TipStatus::Ok;
  std::string tip;           // at most kMaxTipLength characters, without the line end
  std::int64_t nextPos = 0;  // where the next tip is looked for
};

// The first tip line of `text` that starts at or after byte `pos` (the start of the text once
// the end is reached).
TipRead nextTipIn(std::string_view text, std::int64_t pos);

// A file's modification time as stored in "TimeStamp" (nanoseconds since 1970 as text); empty
// when the file is missing.
std::string tipsTimeStamp(const std::string& path);

// The tips file and its stored reading position.
class TipFile {
 public:
  // Reads "Tip" from `store`; a file whose time differs from "TimeStamp" is read from its
  // start, and its time is stored.
  TipFile(SettingsStore& store, std::string path);

  // The next tip; a position outside the file reports BadPosition and reading starts again
  // at the top of the file on the next call.
  TipRead next();
  // Writes the position reached to "FilePos".
  void savePosition();

  bool exists() const { return exists_; }
  std::int64_t position() const { return pos_; }

 private:
  SettingsStore& store_;
  std::string path_;
  std::int64_t pos_ = 0;
  bool exists_ = false;
};

// Whether the tip of the day is shown at start ("StartUp" holds the inverse).
bool tipsAtStartUp(const SettingsStore& store);
void setTipsAtStartUp(SettingsStore& store, bool show);

}  // namespace lh
