#include "browser/core/desktop_entries.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "browser/core/key_file_text.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxEntryDepth = 8;

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    if (end > start) out.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

bool absolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::string folderOr(const std::optional<std::string>& value, const std::string& fallback) {
  return value && absolute(*value) ? *value : fallback;
}

std::vector<std::string> foldersOr(const std::optional<std::string>& value,
                                   std::vector<std::string> fallback) {
  std::vector<std::string> out;
  if (value)
    for (std::string& folder : split(*value, ':'))
      if (absolute(folder)) out.push_back(std::move(folder));
  return out.empty() ? fallback : out;
}

bool isTrue(const std::optional<std::string>& value) { return value && *value == "true"; }

// The file id of `file` below the applications folder `root`.
std::string fileIdOf(const fs::path& root, const fs::path& file) {
  std::string id = file.lexically_relative(root).generic_string();
  std::replace(id.begin(), id.end(), '/', '-');
  return id;
}

void addEntriesOf(const std::string& folder, std::map<std::string, DesktopApp>& found) {
  std::error_code error;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it.depth() >= kMaxEntryDepth) it.disable_recursion_pending();
    const fs::path& file = it->path();
    if (file.extension() != ".desktop" || !it->is_regular_file(error)) continue;
    const std::string id = fileIdOf(folder, file);
    if (found.count(id) != 0) continue;  // an earlier folder holds this id
    const std::optional<std::string> text = readKeyFile(file.string());
    if (!text) continue;
    std::optional<DesktopApp> app = parseDesktopEntry(*text);
    if (!app) continue;
    app->id = id;
    app->path = file.string();
    found.emplace(id, std::move(*app));
  }
}

}  // namespace

XdgPlaces XdgPlaces::from(const Getenv& getenv) {
  const std::optional<std::string> home = getenv("HOME");
  const std::string base = home && absolute(*home) ? *home : std::string();
  XdgPlaces p;
  p.configHome = folderOr(getenv("XDG_CONFIG_HOME"), base.empty() ? "" : base + "/.config");
  p.configDirs = foldersOr(getenv("XDG_CONFIG_DIRS"), {"/etc/xdg"});
  p.dataHome = folderOr(getenv("XDG_DATA_HOME"), base.empty() ? "" : base + "/.local/share");
  p.dataDirs = foldersOr(getenv("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
  if (const std::optional<std::string> desktop = getenv("XDG_CURRENT_DESKTOP"))
    for (const std::string& name : split(*desktop, ':')) p.desktops.push_back(asciiLower(name));
  return p;
}

XdgPlaces XdgPlaces::fromEnvironment() {
  return from([](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
  });
}

std::vector<std::string> XdgPlaces::applicationFolders() const {
  std::vector<std::string> out;
  if (!dataHome.empty()) out.push_back(dataHome + "/applications");
  for (const std::string& dir : dataDirs) out.push_back(dir + "/applications");
  return out;
}

std::optional<std::string> keyFileValue(std::string_view text, std::string_view group, std::string_view key) {
  const KeyFileLines lines(text);
  const std::optional<KeyFileLines::Group> g = lines.group(group);
  if (!g) return std::nullopt;
  for (std::size_t i = g->first; i < g->end; ++i) {
    const KeyFileLines::Entry entry = lines.entry(i);
    if (entry.key == key) return std::string(entry.value);
  }
  return std::nullopt;
}

std::vector<std::string> splitKeyFileList(std::string_view value) {
  std::vector<std::string> out;
  std::string item;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == ';') {
      item += ';';
      ++i;
    } else if (value[i] == ';') {
      if (!item.empty()) out.push_back(std::move(item));
      item.clear();
    } else {
      item += value[i];
    }
  }
  if (!item.empty()) out.push_back(std::move(item));
  return out;
}

std::string unescapeKeyFileValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char c = value[++i];
    out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::optional<DesktopApp> parseDesktopEntry(std::string_view text) {
  constexpr std::string_view kGroup = "Desktop Entry";
  if (!KeyFileLines(text).group(kGroup)) return std::nullopt;
  auto value = [&](std::string_view key) { return keyFileValue(text, kGroup, key); };
  DesktopApp app;
  app.name = unescapeKeyFileValue(value("Name").value_or(""));
  app.exec = unescapeKeyFileValue(value("Exec").value_or(""));
  app.tryExec = unescapeKeyFileValue(value("TryExec").value_or(""));
  app.mimeTypes = splitKeyFileList(value("MimeType").value_or(""));
  app.hidden = isTrue(value("Hidden"));
  app.noDisplay = isTrue(value("NoDisplay"));
  app.application = value("Type") == std::optional<std::string>("Application") && !app.exec.empty();
  return app;
}

std::vector<DesktopApp> installedDesktopApps(const XdgPlaces& places, const HasProgram& hasProgram) {
  std::map<std::string, DesktopApp> found;
  for (const std::string& folder : places.applicationFolders()) addEntriesOf(folder, found);
  std::vector<DesktopApp> out;
  for (auto& [id, app] : found) {
    if (app.hidden || (!app.tryExec.empty() && !hasProgram(app.tryExec))) continue;
    out.push_back(std::move(app));
  }
  return out;
}

bool programOnPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  for (const std::string& folder : split(path, ':'))
    if (::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

}  // namespace lh
