#include "cli/tool_run.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <csignal>
#include <set>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unordered_map>

#include "cli/design_io.h"
#include "files/regular_file.h"
#include "formats/format_table.h"
#include "platform/qt_settings_store.h"
#include "tools/needle_reduction.h"
#include "tools/tool_runner.h"
#include "zip/zip_archive.h"

namespace lh::cli {

namespace {

namespace fs = std::filesystem;

volatile std::sig_atomic_t gStop = 0;

// Ctrl-C asks the run to stop after the designs in hand; a second one asks the same again.
// The handler only sets the flag: all output happens in the normal flow, so no line is cut
// and every file published is listed.
void onInterrupt(int) { gStop = 1; }

bool stopRequested() { return gStop != 0; }

// Installs onInterrupt for SIGINT while it lives. SA_RESTART: a write or read interrupted by
// Ctrl-C goes on.
class InterruptFlag {
 public:
  InterruptFlag() {
    gStop = 0;
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, &previous_);
  }
  ~InterruptFlag() { ::sigaction(SIGINT, &previous_, nullptr); }
  InterruptFlag(const InterruptFlag&) = delete;
  InterruptFlag& operator=(const InterruptFlag&) = delete;

 private:
  struct sigaction previous_ {};
};

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

// A walk over folders: each folder is read once (by device and inode), so links that loop
// end; links to folders are followed only when asked; Ctrl-C ends the walk.
class FolderWalk {
 public:
  FolderWalk(bool recursive, bool followLinks, const std::vector<std::string>& viewed, std::vector<std::string>& out,
             int& repeated)
      : recursive_(recursive), followLinks_(followLinks), viewed_(viewed), out_(out), repeated_(repeated) {}

  // Adds the viewed files of `folder` and the viewed members of its archives, in name order;
  // false when the walk was stopped.
  bool add(const fs::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !seen_.insert({st.st_dev, st.st_ino}).second) return true;
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (stopRequested()) return false;
      entries.push_back(*it);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const auto& e : entries) {
      if (stopRequested()) return false;
      if (!addEntry(e)) return false;
    }
    return true;
  }

 private:
  bool addEntry(const fs::directory_entry& e) {
    std::error_code ec;
    const std::string path = e.path().string();
    if (e.is_directory(ec)) {
      if (!recursive_ || (e.is_symlink(ec) && !followLinks_)) return true;
      return add(e.path());
    }
    // Only regular files: a FIFO or device named like a design or archive would block.
    if (!e.is_regular_file(ec)) return true;
    if (equalsNoCase(extensionOf(path), "zip")) {
      addMembers(path, viewed_, out_, repeated_);
    } else if (isViewed(path, viewed_)) {
      out_.push_back(path);
    }
    return true;
  }

  const bool recursive_, followLinks_;
  const std::vector<std::string>& viewed_;
  std::vector<std::string>& out_;
  int& repeated_;
  std::set<std::pair<dev_t, ino_t>> seen_;
};

void complain(const std::string& path, std::string_view what) {
  std::fprintf(stderr, "loomhall-cli: %s: %.*s\n", path.c_str(), static_cast<int>(what.size()), what.data());
}

// The name of a format code for messages ("HUS"), conversion target or not.
std::string typeName(int code) {
  const FormatInfo* f = code >= 0 ? findFormat(static_cast<FormatCode>(code)) : nullptr;
  if (f == nullptr) return "the target format";
  std::string name(f->type);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

std::string millimetres(std::int64_t tenths) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(tenths) / 10.0);
  return text;
}

}  // namespace

std::string failureReason(ConversionStatus status, const ConversionFailure& f) {
  const std::string type = typeName(f.target);
  switch (f.cause) {
    case FailureCause::TooBig:
      return "too big for the " + std::to_string(f.hoopWidth) + " x " + std::to_string(f.hoopHeight) +
             " mm hoop of " + type + " (the design is " + millimetres(f.width) + " x " + millimetres(f.height) +
             " mm)";
    case FailureCause::NoWriter:
      return type + " files cannot be written";
    case FailureCause::NotADesign:
      return "could not be converted: not a design type";
    case FailureCause::NoRecords:
      return "could not be converted: the design has no stitches";
    case FailureCause::NoColours:
      return "could not be converted: " + type + " needs colour information the design does not have";
    case FailureCause::TooManyRecords:
      return "could not be converted: " + type + " files hold at most " + std::to_string(f.limit) + " stitches";
    case FailureCause::WriterRefused:
      return "could not be converted: the " + type + " writer could not encode the design";
    case FailureCause::NotSaved:
      return "could not save " + f.path;
    case FailureCause::None:
      break;
  }
  return status == ConversionStatus::NotSaved ? "could not be saved" : "could not be converted";
}

namespace {

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
    } else if (a == "-L") {
      o.followLinks = true;
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

std::vector<std::string> expandInputs(const std::vector<std::string>& inputs, const WalkOptions& walk,
                                      const SettingsStore& settings, int& missing) {
  const std::vector<std::string> viewed = viewedTypes(settings);
  std::vector<std::string> items;
  FolderWalk folders(walk.recursive, walk.followLinks, viewed, items, missing);
  for (const std::string& input : inputs) {
    if (stopRequested()) break;
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
      const std::size_t before = items.size();
      if (!folders.add(input)) break;
      if (items.size() == before) {
        complain(input, walk.recursive ? "no designs in this folder or below" : "no designs in this folder");
        ++missing;
      }
    } else if (!fs::is_regular_file(st)) {
      std::fprintf(stderr, "loomhall-cli: %s: %s\n", input.c_str(), std::string(openCheckText(OpenCheck::NotRegular)).c_str());
      ++missing;
    } else if (equalsNoCase(extensionOf(input), "zip")) {
      std::size_t designs = 0;
      const std::string what = describeArchive(input, viewed, designs);
      if (designs == 0) {
        complain(input, what);
        ++missing;
      }
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

  const InterruptFlag interrupt;
  int missing = 0;
  const std::vector<std::string> items = expandInputs(o.inputs, {o.recursive, o.followLinks}, settings, missing);
  if (stopRequested()) {
    std::fprintf(stderr, "loomhall-cli: halted by the user while looking for designs; nothing was written\n");
    return Failed;
  }
  const bool progress = ::isatty(STDERR_FILENO) != 0;
  std::size_t handled = 0;

  RunCallbacks callbacks;
  callbacks.stopRequested = stopRequested;
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
    complainLoadFailed(item, result, settings);
  };
  callbacks.conversionFailed = [&](const std::string& item, ConversionStatus status, const ConversionFailure& why) {
    if (progress) std::fprintf(stderr, "\r\033[K");
    complain(item, failureReason(status, why));
  };
  callbacks.note = [&](const std::string& item, std::string_view note) {
    if (progress) std::fprintf(stderr, "\r\033[K");
    complain(item, note);
  };
  callbacks.reduce = [&](EmbDesign& design) {
    if (reduceNeedles(design, o.needles) > 0) return true;
    std::fprintf(stderr, "loomhall-cli: %s uses %d needles or fewer; nothing was written.\n", design.path.c_str(),
                 o.needles);
    return false;
  };

  int jobs = o.jobs;
  if (jobs <= 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const RunResult result = runTool(id, items, settings, run, callbacks, jobs);
  if (progress) std::fprintf(stderr, "\r\033[K");
  std::fflush(stdout);
  std::fputs(withLf(result.report).c_str(), stdout);
  std::fflush(stdout);
  if (result.halted)
    std::fprintf(stderr, "loomhall-cli: halted by the user at %s: %zu of %zu designs were not handled\n",
                 items[result.haltedAt].c_str(), result.notHandled, items.size());
  if (!result.flushed) std::fprintf(stderr, "loomhall-cli: the new files could not all be flushed to disk\n");
  // A run that found nothing to work on ("Please select a design to work on.") has failed too.
  return result.failed > 0 || missing > 0 || result.halted || !result.flushed || result.nothingToDo ? Failed : Ok;
}

}  // namespace lh::cli
