#pragma once
// The installed plug-ins: the values of the settings organisation "Quenby", application
// "Loomhall Tools". Each value's name is the text of its menu item; its data is the program
// path, optionally preceded by one digit, a digit other than 0 marking a program that runs on
// its own (no selected file needed, no run entered). The list is sorted by name without regard
// to case; the first kMaxPluginCommands entries get the commands kFirstPluginCommand onwards.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

// Where the installed plug-ins are stored.
inline constexpr std::string_view kPluginOrganisation = "Quenby";
inline constexpr std::string_view kPluginApplication = "Loomhall Tools";

// The entries the browser looks for by name.
inline constexpr std::string_view kHuetideName = "Loomhall Huetide";        // sequencer button, "Plus" title
inline constexpr std::string_view kCardWriterName = "Loomhall Cardspan II";  // newer card writer
inline constexpr std::string_view kOldCardWriterName = "Loomhall Cardspan";  // older, when no newer one
// The window-title suffix when the sequencer is installed.
inline constexpr std::string_view kSequencerTitleSuffix = "Plus";
// runSequencer starts the first entry whose path, in lower case, contains this.
inline constexpr std::string_view kSequencerProgramMark = "tinctor";
// runPlugin hands an entry whose path contains this (exact case) to the card writer.
inline constexpr std::string_view kCardWriterProgramMark = "Cardspan";

// Command ids of the plug-in commands.
inline constexpr int kFirstPluginCommand = 32001;
inline constexpr int kMaxPluginCommands = 100;        // 32001 to 32100
inline constexpr int kCardWriterCommand = 32102;      // "Write files to card."
inline constexpr int kSequencerCommand = 32103;       // "Modify Colors with Huetide."
inline constexpr int kFinishPluginRunCommand = 32210; // posted to itself on "Plug-in ended"

struct PluginEntry {
  std::string name;            // the value's name: the menu text
  std::string value;           // the stored data: program path with the optional digit
  std::optional<int> command;  // none beyond the first kMaxPluginCommands entries

  // The program path, without a leading digit.
  std::string program() const;
  // Whether the stored data starts with a digit other than 0.
  bool runsOnItsOwn() const;
};

class PluginList {
 public:
  PluginList() = default;
  // The entries of the stored values (name -> data), sorted by name without regard to case
  // (names equal but for case keep their exact order).
  explicit PluginList(const std::map<std::string, std::string>& values);

  const std::vector<PluginEntry>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

  // The entry of a plug-in command (32001 to 32100); nothing for others.
  const PluginEntry* byCommand(int command) const;
  // The entry of exactly this name; nothing when there is none.
  const PluginEntry* byName(std::string_view name) const;
  // The entry the sequencer command starts: the first whose path, in lower case, contains
  // "tinctor".
  const PluginEntry* sequencer() const;
  // Whether "Loomhall Huetide" is installed with a program: the sequencer button is shown and
  // the window title gets titleSuffix().
  bool hasHuetide() const;
  std::string_view titleSuffix() const { return hasHuetide() ? kSequencerTitleSuffix : std::string_view(); }
  // The card writer: "Loomhall Cardspan II", or else "Loomhall Cardspan", when installed with
  // a program; nothing otherwise.
  const PluginEntry* cardWriter() const;
  // Whether cardWriter() is the newer one, which takes the selected files as a list file.
  bool hasNewerCardWriter() const;

 private:
  const PluginEntry* withProgram(std::string_view name) const;

  std::vector<PluginEntry> entries_;
};

}  // namespace lh
