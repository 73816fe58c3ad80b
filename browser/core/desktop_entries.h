#pragma once
// The freedesktop folders and the installed desktop entries. Desktop entries and the
// mimeapps.list files share one text form: "[Group]" lines, then "key=value" lines; lines
// starting with '#' are comments. An entry's file id is its path below an "applications"
// folder with '/' turned into '-' ("kde/editor.desktop" -> "kde-editor.desktop"); the first
// folder in search order that holds an id wins, and an entry with Hidden=true there hides
// the id altogether.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

// Where the user's and the system's configuration and data live. Relative paths in the
// environment are ignored, as the base-directory rules ask.
struct XdgPlaces {
  std::string configHome;               // $XDG_CONFIG_HOME, else ~/.config
  std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS, else /etc/xdg
  std::string dataHome;                 // $XDG_DATA_HOME, else ~/.local/share
  std::vector<std::string> dataDirs;    // $XDG_DATA_DIRS, else /usr/local/share, /usr/share
  std::vector<std::string> desktops;    // $XDG_CURRENT_DESKTOP's names, in lower case

  using Getenv = std::function<std::optional<std::string>(const char* name)>;
  static XdgPlaces from(const Getenv& getenv);
  // From this process's environment.
  static XdgPlaces fromEnvironment();

  // dataHome then dataDirs, each followed by "/applications".
  std::vector<std::string> applicationFolders() const;
};

// The raw value of the first `key` in the first group named `group`; nothing when absent.
std::optional<std::string> keyFileValue(std::string_view text, std::string_view group, std::string_view key);

// A ';'-separated list value: "\;" stands for a ';' inside an item; empty items are dropped.
std::vector<std::string> splitKeyFileList(std::string_view value);

// A string value with its escapes (\s, \n, \t, \r, \\) resolved.
std::string unescapeKeyFileValue(std::string_view value);

struct DesktopApp {
  std::string id;    // "editor.desktop"
  std::string path;  // the file it was read from
  std::string name;  // Name=
  std::string exec;  // Exec=
  std::vector<std::string> mimeTypes;
  bool hidden = false;       // Hidden=true: the entry counts as deleted
  bool noDisplay = false;    // NoDisplay=true: kept out of menus, still opens files
  bool application = false;  // Type=Application with an Exec line
  std::string tryExec;       // TryExec=: the program that must exist for the entry to count
};

// The [Desktop Entry] group of `text`; nothing when the text has none.
std::optional<DesktopApp> parseDesktopEntry(std::string_view text);

// Every installed entry by file id, in id order, the first folder of applicationFolders()
// holding an id winning. Hidden entries are dropped, as are entries whose TryExec program
// is not found (`hasProgram` answers that).
using HasProgram = std::function<bool(const std::string& program)>;
std::vector<DesktopApp> installedDesktopApps(const XdgPlaces& places, const HasProgram& hasProgram);

// Whether `program` is an absolute executable file or one found in $PATH.
bool programOnPath(const std::string& program);

}  // namespace lh
