#include "browser/core/mime_associations.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "browser/core/key_file_text.h"
#include "files/regular_file.h"
#include "files/save_file.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDefaults = "Default Applications";
constexpr std::string_view kAdded = "Added Associations";
constexpr std::string_view kListName = "mimeapps.list";

// The desktop-specific files of `folder`, then its plain one.
void addListsOf(const std::string& folder, const XdgPlaces& places, std::vector<std::string>& out) {
  if (folder.empty()) return;
  for (const std::string& desktop : places.desktops)
    out.push_back(folder + "/" + desktop + "-" + std::string(kListName));
  out.push_back(folder + "/" + std::string(kListName));
}

std::vector<std::string> listedIds(std::string_view text, std::string_view group, std::string_view mimeType) {
  return splitKeyFileList(keyFileValue(text, group, mimeType).value_or(""));
}

bool declares(const DesktopApp& app, std::string_view mimeType) {
  return std::find(app.mimeTypes.begin(), app.mimeTypes.end(), mimeType) != app.mimeTypes.end();
}

std::string failure(const std::string& path, int error) { return path + ": " + std::strerror(error); }

// The text of the user's file `path`: empty when it does not exist yet; nothing when it
// exists but cannot be read (it must then not be replaced).
std::optional<std::string> currentText(const std::string& path) {
  if (checkRegularFile(path) == OpenCheck::Missing) return std::string();
  return readKeyFile(path);
}

// Replaces the file `path` (or the file a link there points to) by `text`, keeping its mode.
std::string replaceText(const std::string& path, const std::string& text) {
  std::error_code error;
  std::string target = path;
  if (fs::is_symlink(fs::symlink_status(path, error))) target = fs::weakly_canonical(path, error).string();
  if (error && error != std::errc::no_such_file_or_directory) return path + ": " + error.message();
  std::optional<mode_t> mode;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
  std::optional<StagedFile> staged = StagedFile::create(target, mode);
  if (!staged) return failure(target, errno);
  if (!staged->write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()})) {
    const int e = errno;
    staged->discard();
    return failure(target, e);
  }
  if (!staged->replace(target)) return failure(target, errno);
  return {};
}

std::string writeDefault(const std::string& path, std::string_view mimeType, std::string_view id) {
  const std::optional<std::string> text = currentText(path);
  if (!text) return path + ": " + std::string(openCheckText(checkRegularFile(path)));
  return replaceText(path, withDefaultApplication(*text, mimeType, id));
}

// The user's own configuration folder, made (readable by the user alone) when missing.
std::string ensureConfigHome(const std::string& folder) {
  if (folder.empty()) return "No configuration folder: neither XDG_CONFIG_HOME nor HOME is set";
  std::error_code error;
  if (fs::is_directory(folder, error)) return {};
  if (!fs::create_directories(folder, error)) return folder + ": " + error.message();
  fs::permissions(folder, fs::perms::owner_all, error);
  return {};
}

}  // namespace

std::vector<std::string> mimeappsLists(const XdgPlaces& places) {
  std::vector<std::string> out;
  addListsOf(places.configHome, places, out);
  for (const std::string& dir : places.configDirs) addListsOf(dir, places, out);
  addListsOf(places.dataHome.empty() ? "" : places.dataHome + "/applications", places, out);
  for (const std::string& dir : places.dataDirs) addListsOf(dir + "/applications", places, out);
  return out;
}

std::optional<DesktopApp> defaultApplication(const XdgPlaces& places, std::string_view mimeType,
                                             const HasProgram& hasProgram) {
  std::map<std::string, DesktopApp> installed;
  for (DesktopApp& app : installedDesktopApps(places, hasProgram)) installed.emplace(app.id, std::move(app));
  std::set<std::string> added;
  for (const std::string& list : mimeappsLists(places)) {
    const std::optional<std::string> text = readKeyFile(list);
    if (!text) continue;
    for (std::string& id : listedIds(*text, kAdded, mimeType)) added.insert(std::move(id));
    for (const std::string& id : listedIds(*text, kDefaults, mimeType)) {
      const auto app = installed.find(id);
      if (app == installed.end() || !app->second.application) continue;
      if (declares(app->second, mimeType) || added.count(id) != 0) return app->second;
    }
  }
  return std::nullopt;
}

std::vector<DesktopApp> applicationsFor(const XdgPlaces& places, std::string_view mimeType,
                                        const HasProgram& hasProgram) {
  std::vector<DesktopApp> out;
  for (DesktopApp& app : installedDesktopApps(places, hasProgram))
    if (app.application && declares(app, mimeType)) out.push_back(std::move(app));
  std::stable_sort(out.begin(), out.end(), [](const DesktopApp& a, const DesktopApp& b) {
    return asciiLower(a.name) < asciiLower(b.name);
  });
  return out;
}

std::string withDefaultApplication(std::string_view text, std::string_view mimeType, std::string_view id) {
  const KeyFileLines lines(text);
  const std::string value = std::string(mimeType) + "=" + std::string(id) + ";";
  std::string out;
  const std::optional<KeyFileLines::Group> group = lines.group(kDefaults);
  if (!group) {
    out = text;
    if (!out.empty() && out.back() != '\n') out += '\n';
    if (!out.empty() && !out.ends_with("\n\n")) out += '\n';  // a blank line before the new group
    return out + "[" + std::string(kDefaults) + "]\n" + value + "\n";
  }
  auto ours = [&](std::size_t i) {
    return i >= group->first && i < group->end && lines.entry(i).key == mimeType;
  };
  // A new line goes after the group's last line that is not blank.
  bool present = false;
  std::size_t insertAt = group->first;
  for (std::size_t i = group->first; i < group->end; ++i) {
    present = present || ours(i);
    if (lines.line(i).find_first_not_of(" \t\r\n") != std::string_view::npos) insertAt = i + 1;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines.line(i);
    if (!present && i == insertAt) out += value + "\n";
    if (ours(i)) {
      out += value;
      out += line.substr(std::min(line.size(), line.find_last_not_of("\r\n") + 1));
      continue;
    }
    out += line;
    if (!present && i + 1 == insertAt && line.back() != '\n') out += '\n';
  }
  if (!present && insertAt == lines.size()) out += value + "\n";
  return out;
}

SetDefaultResult setDefaultApplication(const XdgPlaces& places, std::string_view mimeType,
                                       std::string_view id, const HasProgram& hasProgram) {
  const std::optional<DesktopApp> current = defaultApplication(places, mimeType, hasProgram);
  if (current && current->id == id) return {SetDefault::Unchanged, {}};
  if (std::string error = ensureConfigHome(places.configHome); !error.empty())
    return {SetDefault::Failed, error};
  std::vector<std::string> targets;
  for (const std::string& desktop : places.desktops) {
    const std::string list = places.configHome + "/" + desktop + "-" + std::string(kListName);
    const std::optional<std::string> text = readKeyFile(list);
    if (text && keyFileValue(*text, kDefaults, mimeType)) targets.push_back(list);
  }
  targets.push_back(places.configHome + "/" + std::string(kListName));
  for (const std::string& target : targets)
    if (std::string error = writeDefault(target, mimeType, id); !error.empty())
      return {SetDefault::Failed, error};
  return {SetDefault::Written, {}};
}

}  // namespace lh
