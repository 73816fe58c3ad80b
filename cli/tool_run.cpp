#include "cli/tool_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <set>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unordered_map>

#include "catalog/cataloguing.h"
#include "cli/catalog_session.h"
#include "cli/command_line.h"
#include "cli/interrupt_flag.h"
#include "cli/design_io.h"
#include "cli/run_records.h"
#include "files/regular_file.h"
#include "formats/format_table.h"
#include "platform/qt_drives.h"
#include "platform/qt_settings_store.h"
#include "tools/needle_reduction.h"
#include "tools/setting_keys.h"
#include "tools/tool_runner.h"
#include "zip/zip_archive.h"

namespace lh::cli {

namespace {

namespace fs = std::filesystem;

// Each member becomes one item. A name that several members share designates none of them:
// it is reported (and added to `unusable`) instead of converting one of them several times.
void addMembers(const std::string& archive, const std::vector<std::string>& viewed, std::vector<std::string>& out,
                std::vector<UnusableInput>& unusable) {
  const std::vector<std::string> members = ZipArchive::listMembers(archive);
  std::unordered_map<std::string_view, int> uses;
  for (const std::string& m : members) ++uses[m];
  for (const std::string& m : members) {
    if (m.empty() || m.back() == '/' || !isViewed(m, viewed)) continue;
    int& n = uses[m];
    if (n == 1) {
      out.push_back(makeZipPath(archive, m));
    } else if (n > 1) {
      const std::string path = makeZipPath(archive, m);
      unusable.push_back({path, std::to_string(n) + " members have this name; none of them is read"});
      std::fprintf(stderr, "loomhall-cli: %s: %s\n", path.c_str(), unusable.back().reason.c_str());
      n = 0;  // reported once
    }
  }
}

// A walk over folders: each folder is read once (by device and inode), so links that loop
// end; links to folders are followed only when asked; Ctrl-C ends the walk.
class FolderWalk {
 public:
  FolderWalk(bool recursive, bool followLinks, const std::vector<std::string>& viewed, std::vector<std::string>& out,
             std::vector<UnusableInput>& unusable)
      : recursive_(recursive), followLinks_(followLinks), viewed_(viewed), out_(out), unusable_(unusable) {}

  // Adds the viewed files of `folder` and the viewed members of its archives, in name order;
  // false when the walk was stopped.
  bool add(const fs::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !seen_.insert({st.st_dev, st.st_ino}).second) return true;
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (interrupted()) return false;
      entries.push_back(*it);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const auto& e : entries) {
      if (interrupted()) return false;
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
      addMembers(path, viewed_, out_, unusable_);
    } else if (isViewed(path, viewed_)) {
      out_.push_back(path);
    }
    return true;
  }

  const bool recursive_, followLinks_;
  const std::vector<std::string>& viewed_;
  std::vector<std::string>& out_;
  std::vector<UnusableInput>& unusable_;
  std::set<std::pair<dev_t, ino_t>> seen_;
};

// The name of a format code for messages ("HUS"), conversion target or not.
std::string typeName(int code) {
  const FormatInfo* f = code >= 0 ? findFormat(static_cast<FormatCode>(code)) : nullptr;
  return f != nullptr ? upperName(*f) : "the target format";
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
    case FailureCause::NoColors:
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

std::string withLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

void setToolFormat(MemorySettings& settings, std::optional<int> to, bool keep) {
  if (to) {
    settings.setInt(kToolsSelected.section, kToolsSelected.key, *to);
    settings.setInt(kToolsKeep.section, kToolsKeep.key, 0);
  }
  if (keep) settings.setInt(kToolsKeep.section, kToolsKeep.key, 1);
}

std::optional<int> makeOutFolder(const std::string& out) {
  std::error_code ec;
  // Designs are written as plain files there: an archive member path or a file is no folder.
  if (isZipPath(out) || (fs::exists(out, ec) && !fs::is_directory(out, ec)))
    return usageError("--out needs a folder, not '" + out + "'");
  fs::create_directories(out, ec);
  if (fs::is_directory(out, ec)) return std::nullopt;
  std::fprintf(stderr, "loomhall-cli: %s: cannot make the output folder\n", out.c_str());
  return Failed;
}

std::optional<int> followCatalog(const ToolOptions& o, const SettingsStore& settings, CatalogFollowing& following) {
  if (!o.catalog && o.catalogFile.empty()) return std::nullopt;
  CatalogSession& session = following.session.emplace();
  if (const auto status = session.open(o.catalogFile)) return status;
  if (const std::string refusal = session.saveRefusal(); !refusal.empty()) {
    complain(session.path, refusal);
    return Failed;
  }
  following.drives.emplace(QtDrives());
  following.follower.emplace(session.catalog, *following.drives, readSetting(settings, kWorkspaceDirectory));
  return std::nullopt;
}

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

std::optional<int> parseToolOptions(std::string_view command, std::string_view description, Args args,
                                    bool needles, ToolOptions& o) {
  CommandLine line(command, description);
  CLI::App& app = line.app;
  std::string to;
  const std::string types = targetTypeNames();
  app.add_option("--to", to, "target type: " + types + " (tools: the design type they write)")
      ->check([&types](const std::string& v) {
        return isConversionTarget(formatCodeOfName(v)) ? std::string() : "cannot write '" + v + "'; types: " + types;
      });
  app.add_flag("--keep", o.keep, "the tools keep each design's own format (\"Tools keep\")");
  app.add_flag("--force", o.force, "write also designs whose format does not change");
  app.add_option("--out", o.out, "write into DIR (created when missing); archive members become plain files")
      ->type_name("DIR");
  app.add_option("-j,--jobs", o.jobs, "designs handled in parallel (default: one per core)")
      ->check(CLI::Range(1, 256))
      ->type_name("N");
  app.add_flag("-r,--recursive", o.recursive, "look into sub-folders of folder inputs");
  app.add_flag("-L", o.followLinks, "with -r, also follow symbolic links to folders");
  app.add_option("--set", o.sets, "override one stored setting for this run (repeatable)")
      ->type_name("S/key=V")
      ->allow_extra_args(false);
  app.add_flag("--defaults", o.defaults, "ignore the stored preferences");
  app.add_flag("--no-shrink", o.noShrink, "refuse a design that would have to be shrunk to fit");
  app.add_flag("--no-turn", o.noTurn, "refuse a design that would have to be turned to fit");
  app.add_flag("--skip-existing", o.skipExisting, "leave a design alone when its output name exists");
  app.add_flag("--catalog", o.catalog,
               "list each new file after its source in every category of the stored catalog that lists it");
  app.add_option("--catalog-file", o.catalogFile, "the same in the catalog file PATH (*.QY)")->type_name("PATH");
  app.add_flag("--json", o.json, "one JSON record per input on stdout (the report goes to stderr)");
  if (needles)
    app.add_option("--needles", o.needles, "at most N distinct colours")->check(CLI::Range(1, 100))->required()
        ->type_name("N");
  app.add_option("INPUT", o.inputs, "design files, \"Zip:ARCHIVE:MEMBER\" paths, zip archives or folders")
      ->required();
  if (const auto status = line.parse(args)) return status;
  if (!to.empty()) o.to = formatCodeOfName(to);
  return std::nullopt;
}

std::vector<std::string> expandInputs(const std::vector<std::string>& inputs, const WalkOptions& walk,
                                      const SettingsStore& settings, std::vector<UnusableInput>& unusable) {
  const std::vector<std::string> viewed = viewedTypes(settings);
  std::vector<std::string> items;
  FolderWalk folders(walk.recursive, walk.followLinks, viewed, items, unusable);
  for (const std::string& input : inputs) {
    if (interrupted()) break;
    if (isZipPath(input)) {
      items.push_back(input);
      continue;
    }
    std::error_code ec;
    const fs::file_status st = fs::status(input, ec);
    if (ec || !fs::exists(st)) {
      unusable.push_back({input, "no such file or folder"});
      std::fprintf(stderr, "loomhall-cli: %s: %s\n", input.c_str(), unusable.back().reason.c_str());
    } else if (fs::is_directory(st)) {
      const std::size_t before = items.size();
      if (!folders.add(input)) break;
      if (items.size() == before) {
        unusable.push_back({input, walk.recursive ? "no designs in this folder or below" : "no designs in this folder"});
        complain(input, unusable.back().reason);
      }
    } else if (!fs::is_regular_file(st)) {
      unusable.push_back({input, std::string(openCheckText(OpenCheck::NotRegular))});
      std::fprintf(stderr, "loomhall-cli: %s: %s\n", input.c_str(), unusable.back().reason.c_str());
    } else if (equalsNoCase(extensionOf(input), "zip")) {
      std::size_t designs = 0;
      const std::string what = describeArchive(input, viewed, designs);
      if (designs == 0) {
        unusable.push_back({input, what});
        complain(input, what);
      }
      addMembers(input, viewed, items, unusable);
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
  const bool toolFormat = o.to && command.target < 0 && command.tool != Tool::Conversion;
  if (toolFormat && !isDesignFormat(*o.to)) return usageError("--to of a tool needs a design type (pes ... vp3)");
  setToolFormat(settings, toolFormat ? o.to : std::nullopt, o.keep);

  RunSettings run = RunSettings::fromSettings(settings);
  run.workspace = !o.out.empty();
  run.directory = o.out;
  run.force = o.force;
  if (run.workspace)
    if (const auto status = makeOutFolder(o.out)) return *status;

  CatalogFollowing following;
  if (const auto status = followCatalog(o, settings, following)) return *status;

  const InterruptFlag interrupt;
  std::vector<UnusableInput> unusable;
  const std::vector<std::string> items = expandInputs(o.inputs, {o.recursive, o.followLinks}, settings, unusable);
  if (interrupted()) {
    std::fprintf(stderr, "loomhall-cli: halted by the user while looking for designs; nothing was written\n");
    return Failed;
  }
  run.skipExisting = o.skipExisting;
  const bool progress = ::isatty(STDERR_FILENO) != 0;
  std::size_t handled = 0;
  // With --json stdout carries the records only: one per input, in input order.
  auto printRecord = [](const nlohmann::ordered_json& record) {
    const std::string line = record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::printf("%s\n", line.c_str());
  };
  if (o.json)
    for (const UnusableInput& u : unusable) printRecord(unusableRecord(u.input, u.reason));

  RunCallbacks callbacks;
  callbacks.stopRequested = interrupted;
  callbacks.status = [&](std::string_view item) {
    ++handled;
    if (progress)
      std::fprintf(stderr, "\r\033[K[%zu/%zu] %.*s", handled, items.size(), static_cast<int>(item.size()), item.data());
  };
  callbacks.fileCreated = [&](const std::string& source, const std::string& created) {
    if (following.follower) following.follower->fileCreated(source, created);
    if (progress) std::fprintf(stderr, "\r\033[K");
    if (!o.json) std::printf("%s\n", created.c_str());
  };
  callbacks.message = [&](std::string_view text, std::string_view caption) {
    if (progress) std::fprintf(stderr, "\r\033[K");
    std::fprintf(stderr, "loomhall-cli: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
  };
  callbacks.loadFailed = [&](const std::string& item, LoadResult result) {
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
  callbacks.designDone = [&](const DesignOutcome& outcome) {
    if (progress) std::fprintf(stderr, "\r\033[K");
    if (const auto note = fitNote(outcome)) std::fprintf(stderr, "%s\n", note->c_str());
    if (outcome.result == DesignResult::Skipped)
      std::fprintf(stderr, "%s: skipped, %s exists\n", outcome.source.c_str(), outcome.existing.c_str());
    if (o.json) printRecord(outcomeRecord(outcome, settings));
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
  std::fputs(withLf(result.report).c_str(), o.json ? stderr : stdout);
  std::fflush(stdout);
  if (result.halted)
    std::fprintf(stderr, "loomhall-cli: halted by the user at %s: %zu of %zu designs were not handled\n",
                 items[result.haltedAt].c_str(), result.notHandled, items.size());
  if (!result.flushed) std::fprintf(stderr, "loomhall-cli: the new files could not all be flushed to disk\n");
  const bool catalogSaved = !following.follower || following.follower->insertions() == 0 || following.session->save();
  // A run that found nothing to work on ("Please select a design to work on.") has failed too.
  return result.failed > 0 || !unusable.empty() || result.halted || !result.flushed || result.nothingToDo ||
                 !catalogSaved
             ? Failed
             : Ok;
}

}  // namespace lh::cli
