#include "cli/tool_run.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unordered_map>

#include "cli/design_io.h"
#include "formats/format_table.h"
#include "platform/qt_settings_store.h"
#include "tools/needle_reduction.h"
#include "tools/tool_runner.h"
#include "zip/zip_archive.h"

namespace lh::cli {

namespace {

namespace fs = std::filesystem;

std::atomic<bool> gStop{false};

// The first Ctrl-C asks the run to stop after the designs in hand; a second one ends the
// program as usual.
void onInterrupt(int) {
  gStop.store(true);
  std::signal(SIGINT, SIG_DFL);
}

// A whole decimal number in [min, max].
bool parseNumber(std::string_view text, int min, int max, int& value) {
  if (text.empty() || text.size() > 9) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < min || v > max) return false;
  value = v;
  return true;
}

bool isViewed(std::string_view path, const std::vector<std::string>& viewed) {
  const std::string_view ext = extensionOf(path);
  return std::any_of(viewed.begin(), viewed.end(), [&](const std::string& t) { return equalsNoCase(ext, t); });
}

// Each member becomes one item. A name that several members share designates none of them:
// it is reported (and counted in `repeated`) instead of converting one of them several times.
void addMembers(const std::string& archive, const std::vector<std::string>& viewed, std::vector<std::string>& out,
                int& repeated) {
  const std::vector<std::string> members = ZipArchive::listMembers(archive);
  std::unordered_map<std::string_view, int> uses;
  for (const std::string& m : members) ++uses[m];
  for (const std::string& m : members) {
    if (m.empty() || m.back() == '/' || !isViewed(m, viewed)) continue;
    int& n = uses[m];
    if (n == 1) {
      out.push_back(makeZipPath(archive, m));
    } else if (n > 1) {
      std::fprintf(stderr, "loomhall-cli: %s: %d members have this name; none of them is read\n",
                   makeZipPath(archive, m).c_str(), n);
      ++repeated;
      n = 0;  // reported once
    }
  }
}

void addFolder(const fs::path& folder, bool recursive, const std::vector<std::string>& viewed,
               std::vector<std::string>& out, int& repeated) {
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) entries.push_back(e);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  for (const auto& e : entries) {
    const std::string path = e.path().string();
    if (e.is_directory(ec)) {
      if (recursive) addFolder(e.path(), recursive, viewed, out, repeated);
    } else if (equalsNoCase(extensionOf(path), "zip")) {
      addMembers(path, viewed, out, repeated);
    } else if (e.is_regular_file(ec) && isViewed(path, viewed)) {
      out.push_back(path);
    }
  }
}

std::string withLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

}  // namespace

ToolCommandId convertCommandFor(std::optional<int> to) {
  if (!to) return ToolCommandId::ConvertToToolFormat;
  if (*to == FormatTxt) return ToolCommandId::DesignNotes;
  if (*to == FormatBmp) return ToolCommandId::PreviewBitmap;
  return conversionTo(*to).value_or(ToolCommandId::ConvertToToolFormat);
}

std::string targetTypeNames() {
  std::string names;
  for (int code = 0; code <= FormatTxt; ++code) {
    const std::string ext = formatExtension(code);
    if (ext.empty()) continue;
    if (!names.empty()) names += ' ';
    names += ext.substr(1);
  }
  return names;
}

bool parseToolOptions(std::string_view command, Args args, bool needles, ToolOptions& o) {
  const std::string name(command);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* what) -> const std::string* {
      if (i + 1 >= args.size()) {
        usageError(name + ": " + a + " needs " + what);
        return nullptr;
      }
      return &args[++i];
    };
    if (a == "--to") {
      const std::string* v = value("a type");
      if (!v) return false;
      const int code = formatCodeOfName(*v);
      if (!isConversionTarget(code)) {
        usageError(name + ": cannot write '" + *v + "'; types: " + targetTypeNames());
        return false;
      }
      o.to = code;
    } else if (a == "--keep") {
      o.keep = true;
    } else if (a == "--force") {
      o.force = true;
    } else if (a == "--out") {
      const std::string* v = value("a folder");
      if (!v) return false;
      o.out = *v;
    } else if (a == "-j" || a.starts_with("-j")) {
      const std::string* v = a == "-j" ? value("a number") : &a;
      if (!v) return false;
      const std::string_view digits = a == "-j" ? std::string_view(*v) : std::string_view(a).substr(2);
      if (!parseNumber(digits, 1, 256, o.jobs)) {
        usageError(name + ": -j needs a number from 1 to 256");
        return false;
      }
    } else if (a == "-r" || a == "--recursive") {
      o.recursive = true;
    } else if (a == "--defaults") {
      o.defaults = true;
    } else if (a == "--set") {
      const std::string* v = value("Section/key=value");
      if (!v) return false;
      o.sets.push_back(*v);
    } else if (needles && a == "--needles") {
      const std::string* v = value("a number");
      if (!v) return false;
      if (!parseNumber(*v, 1, 100, o.needles)) {
        usageError(name + ": --needles needs a number from 1 to 100");
        return false;
      }
    } else if (a.size() > 1 && a.front() == '-') {
      usageError(name + ": unknown option '" + a + "'");
      return false;
    } else {
      o.inputs.push_back(a);
    }
  }
  if (needles && o.needles == 0) {
    usageError(name + " needs --needles N");
    return false;
  }
  if (o.inputs.empty()) {
    usageError(name + " needs at least one INPUT");
    return false;
  }
  return true;
}

bool runSettings(const ToolOptions& options, MemorySettings& settings) {
  if (!options.defaults) QtSettingsStore("Loomhall").copyTo(settings);
  for (const std::string& s : options.sets) {
    const auto slash = s.find('/');
    const auto eq = s.find('=');
    if (slash == std::string::npos || slash == 0 || eq == std::string::npos || eq < slash + 2) {
      usageError("--set needs Section/key=value, not '" + s + "'");
      return false;
    }
    settings.setString(s.substr(0, slash), s.substr(slash + 1, eq - slash - 1), s.substr(eq + 1));
  }
  return true;
}

std::vector<std::string> expandInputs(const std::vector<std::string>& inputs, bool recursive,
                                      const SettingsStore& settings, int& missing) {
  const std::vector<std::string> viewed = viewedTypes(settings);
  std::vector<std::string> items;
  for (const std::string& input : inputs) {
    if (isZipPath(input)) {
      items.push_back(input);
      continue;
    }
    std::error_code ec;
    const fs::file_status st = fs::status(input, ec);
    if (ec || !fs::exists(st)) {
      std::fprintf(stderr, "loomhall-cli: %s: no such file or folder\n", input.c_str());
      ++missing;
    } else if (fs::is_directory(st)) {
      addFolder(input, recursive, viewed, items, missing);
    } else if (equalsNoCase(extensionOf(input), "zip")) {
      addMembers(input, viewed, items, missing);
    } else {
      items.push_back(input);
    }
  }
  return items;
}

int runOverInputs(ToolCommandId id, const ToolOptions& o) {
  const ToolCommand& command = toolCommand(id);
  MemorySettings settings;
  if (!runSettings(o, settings)) return Usage;
  // The tools write the tool format: --to, else "Tools selected"; --keep keeps each
  // design's own.
  if (o.to && command.target < 0 && command.tool != Tool::Conversion) {
    if (!isDesignFormat(*o.to)) return usageError("--to of a tool needs a design type (pes ... vp3)");
    settings.setInt("Settings", "Tools selected", *o.to);
    settings.setInt("Settings", "Tools keep", 0);
  }
  if (o.keep) settings.setInt("Settings", "Tools keep", 1);

  RunSettings run = RunSettings::fromSettings(settings);
  run.workspace = !o.out.empty();
  run.directory = o.out;
  run.force = o.force;
  if (run.workspace) {
    std::error_code ec;
    // Designs are written as plain files there: an archive member path or a file is no folder.
    if (isZipPath(o.out) || (fs::exists(o.out, ec) && !fs::is_directory(o.out, ec)))
      return usageError("--out needs a folder, not '" + o.out + "'");
    fs::create_directories(o.out, ec);
    if (!fs::is_directory(o.out, ec)) {
      std::fprintf(stderr, "loomhall-cli: %s: cannot make the output folder\n", o.out.c_str());
      return Failed;
    }
  }

  int missing = 0;
  const std::vector<std::string> items = expandInputs(o.inputs, o.recursive, settings, missing);
  const bool progress = ::isatty(STDERR_FILENO) != 0;
  std::size_t handled = 0;

  RunCallbacks callbacks;
  callbacks.stopRequested = [] { return gStop.load(); };
  callbacks.status = [&](std::string_view item) {
    ++handled;
    if (progress)
      std::fprintf(stderr, "\r\033[K[%zu/%zu] %.*s", handled, items.size(), static_cast<int>(item.size()), item.data());
  };
  callbacks.fileCreated = [&](const std::string&, const std::string& created) {
    if (progress) std::fprintf(stderr, "\r\033[K");
    std::printf("%s\n", created.c_str());
  };
  callbacks.message = [&](std::string_view text, std::string_view caption) {
    if (progress) std::fprintf(stderr, "\r\033[K");
    std::fprintf(stderr, "loomhall-cli: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
  };
  callbacks.loadFailed = [&](const std::string& item, std::int32_t result) {
    if (progress) std::fprintf(stderr, "\r\033[K");
    complainLoadFailed(item, result);
  };
  callbacks.reduce = [&](EmbDesign& design) {
    if (reduceNeedles(design, o.needles) > 0) return true;
    std::fprintf(stderr, "loomhall-cli: %s uses %d needles or fewer; nothing was written.\n", design.path.c_str(),
                 o.needles);
    return false;
  };

  int jobs = o.jobs;
  if (jobs <= 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  gStop.store(false);
  const auto previous = std::signal(SIGINT, onInterrupt);
  const RunResult result = runTool(id, items, settings, run, callbacks, jobs);
  std::signal(SIGINT, previous);
  if (progress) std::fprintf(stderr, "\r\033[K");
  std::fflush(stdout);
  std::fputs(withLf(result.report).c_str(), stdout);
  return result.failed > 0 || missing > 0 || result.halted ? Failed : Ok;
}

}  // namespace lh::cli
