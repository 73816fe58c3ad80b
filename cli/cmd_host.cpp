// loomhall-cli host [--launch NAME] [--out DIR] [--keep | --to TYPE] [OPTIONS] INPUT...: serves the given
// designs, as the browser serves its selection, to the plug-ins on the message bus, without a
// window, and saves the designs they hand back, until a plug-in ends or Ctrl-C.

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "catalog/cataloguing.h"
#include "cli/catalog_session.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/interrupt_flag.h"
#include "cli/tool_run.h"
#include "formats/format_table.h"
#include "platform/plugin_launcher.h"
#include "platform/qt_drives.h"
#include "plugin/bus/bus.h"
#include "plugin/plugin_host.h"

namespace lh::cli {

namespace {

namespace fs = std::filesystem;

std::optional<int> parseHostOptions(Args args, ToolOptions& o, std::string& launch) {
  CommandLine line(
      "host",
      "Serves the designs to plug-ins on the message bus as the browser's selection, and saves the "
      "designs they hand back, until a plug-in ends or Ctrl-C.");
  CLI::App& app = line.app;
  std::string to;
  app.add_option("--out", o.out, "save handed-back designs into DIR (created when missing)")
      ->type_name("DIR");
  auto* keep = app.add_flag("--keep", o.keep, "save each design in its own format (\"Tools keep\")");
  app.add_option("--to", to, "save handed-back designs as TYPE (pes sew jef hus pcs dst xxx exp vip vp3)")
      ->check([](const std::string& v) {
        return isDesignFormat(formatCodeOfName(v)) ? std::string() : "cannot save designs as '" + v + "'";
      })
      ->excludes(keep);
  app.add_flag("-r,--recursive", o.recursive, "look into sub-folders of folder inputs");
  app.add_flag("-L", o.followLinks, "with -r, also follow symbolic links to folders");
  app.add_option("--set", o.sets, "override one stored setting for this run (repeatable)")
      ->type_name("S/key=V")
      ->allow_extra_args(false);
  app.add_flag("--defaults", o.defaults, "ignore the stored preferences");
  app.add_option("--launch", launch, "start the installed plug-in NAME first (see loomhall-cli plugins)")
      ->type_name("NAME");
  app.add_flag("--catalog", o.catalog, "list each saved design after its source in the stored catalog");
  app.add_option("--catalog-file", o.catalogFile, "the same in the catalog file PATH (*.QY)")
      ->type_name("PATH");
  app.add_option("INPUT", o.inputs, "design files, \"Zip:ARCHIVE:MEMBER\" paths, zip archives or folders")
      ->required();
  if (const auto status = line.parse(args)) return status;
  if (!to.empty()) o.to = formatCodeOfName(to);
  return std::nullopt;
}

// Makes the --out folder when missing: nothing when it is there, otherwise the exit status.
// Where handed-back designs go: --out, else beside their source, and a design without a
// folder into "originalDirectory" (the platform's default when none is stored).
PluginSaving savingFor(const ToolOptions& o, const SettingsStore& settings) {
  PluginSaving saving = PluginSaving::fromSettings(settings);
  saving.run.workspace = !o.out.empty();
  saving.run.directory = o.out;
  if (saving.originalDirectory.empty())
    saving.originalDirectory = QDir::homePath().toStdString() + "/Loomhall/My Original Designs/";
  return saving;
}

// The designs as the browser's file list, every one selected. Paths are made absolute: a
// plug-in hands a design back under the path it was sent with.
FileList selectionOf(const std::vector<std::string>& items) {
  FileList files;
  for (const std::string& item : items) {
    FileItem file = parseItemText(absoluteLocation(item));
    file.isSelected = true;
    files.append(std::move(file));
  }
  return files;
}

// Starts the installed plug-in `name` as the browser's plug-in command does; a run it enters
// ends when the plug-in's process ends. False after a message on stderr.
bool launch(const std::string& name, const std::vector<std::string>& items, RunState& state,
            PluginLauncher& launcher, PluginHost& host, const std::function<void()>& runEnded) {
  const PluginList list = PluginLauncher::installedPlugins();
  const PluginEntry* entry = list.byName(name);
  if (entry == nullptr) {
    std::fprintf(stderr, "loomhall-cli: host: no plug-in named '%s' is installed (%s)\n", name.c_str(),
                 PluginLauncher::settingsLocation().c_str());
    return false;
  }
  const LaunchPlan plan = planPluginRun(list, entry, items, state.snapshot());
  const LaunchOutcome outcome = carryOut(plan, state, launcher, PluginLauncher::fallbackFolder(),
                                         [runEnded](const ProcessExit&) { runEnded(); });
  if (outcome.message) {
    const Refusal& r = *outcome.message;
    std::fprintf(stderr, "loomhall-cli: host: %.*s: %.*s\n", static_cast<int>(r.caption.size()),
                 r.caption.data(), static_cast<int>(r.text.size()), r.text.data());
    return false;
  }
  if (outcome.beganRun) host.beginRun();
  return true;
}

}  // namespace

int runHost(Args args) {
  ToolOptions o;
  std::string launchName;
  if (const auto status = parseHostOptions(args, o, launchName)) return *status;
  MemorySettings settings;
  if (!runSettings(o, settings)) return Usage;
  setToolFormat(settings, o.to, o.keep);
  if (!o.out.empty())
    if (const auto status = makeOutFolder(o.out)) return *status;
  const PluginSaving saving = savingFor(o, settings);

  CatalogFollowing following;
  if (const auto status = followCatalog(o, settings, following)) return *status;

  std::vector<UnusableInput> unusable;
  const std::vector<std::string> items =
      expandInputs(o.inputs, {o.recursive, o.followLinks}, settings, unusable);
  if (items.empty()) {
    std::fprintf(stderr, "loomhall-cli: host: no designs to serve\n");
    return Failed;
  }
  const FileList files = selectionOf(items);

  static int argc = 1;
  static char name[] = "loomhall-cli";
  static char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  Bus bus;
  if (!bus.isJoined()) {
    std::fprintf(stderr, "loomhall-cli: host: cannot join the message bus at %s\n",
                 bus.socketPath().toLocal8Bit().constData());
    return Failed;
  }
  PluginHost host(files, settings, [&bus](const BusFrame& frame) { bus.post(frame); });
  host.setSaving(saving);
  if (following.follower) host.setCatalog(&*following.follower);
  host.setFileCreated([](const std::string&, const std::string& created) {
    std::printf("%s\n", created.c_str());
    std::fflush(stdout);
  });
  RunState state([&bus](const PostedMessage& m) {
    bus.post(BusFrame{std::string(messageName(m.message)), m.wParam, m.lParam, std::nullopt});
  });
  host.setPluginEnded([&app, &state] {
    state.endRun();
    app.quit();
  });
  host.beginRun();
  QObject::connect(&bus, &Bus::frameReceived, &bus,
                   [&host](const BusFrame& frame) { host.handlePluginMessage(frame); });
  PluginLauncher launcher;
  std::vector<std::string> selected;
  for (const FileItem& file : files.items()) selected.push_back(file.location());
  if (!launchName.empty() && !launch(launchName, selected, state, launcher, host, [&app] { app.quit(); }))
    return Failed;

  const InterruptFlag interrupt({SIGINT, SIGTERM});
  QTimer watch;
  // Ctrl-C is the browser's Stop: a plug-in it started is told to close.
  QObject::connect(&watch, &QTimer::timeout, &app, [&app, &state, &watch, &launchName] {
    if (!interrupted()) return;
    watch.stop();
    state.stopRun();
    // A plug-in this host started gets a moment to close by itself (its end quits the host);
    // leaving at once would kill it before it has read the stop.
    if (launchName.empty())
      app.quit();
    else
      QTimer::singleShot(5000, &app, &QCoreApplication::quit);
  });
  watch.start(100);
  std::fprintf(stderr, "loomhall-cli: host: serving %zu designs on %s\n", items.size(),
               bus.socketPath().toLocal8Bit().constData());
  app.exec();

  std::fputs(withLf(host.runReport()).c_str(), stdout);
  std::fflush(stdout);
  const bool catalogSaved = !following.follower || following.follower->insertions() == 0 || following.session->save();
  return host.saveFailures() > 0 || !catalogSaved || !unusable.empty() ? Failed : Ok;
}

}  // namespace lh::cli
