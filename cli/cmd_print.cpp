// loomhall-cli print [OPTIONS] --pdf OUT.pdf INPUT...: a printed catalog of designs as a PDF,
// drawn by the same page code as the browser's printing, without a display or a printer.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/design_io.h"
#include "cli/tool_run.h"
#include "design/attribute_list.h"
#include "files/save_file.h"
#include "platform/qt_settings_store.h"
#include "print/print_settings.h"
#include "print/qt/catalog_painter.h"

namespace lh::cli {

namespace {

constexpr std::string_view kDefaultTitle = "Loomhall Atelier";
constexpr int kPdfResolution = 300;

struct PrintFlags {
  std::string mode;
  std::optional<int> rows, columns;
  std::optional<std::string> title;
  bool landscape = false;
  bool defaults = false;
  bool recursive = false;
  bool followLinks = false;
  std::vector<std::string> sets;
  std::string pdf;
  std::vector<std::string> inputs;
};

// A flag with its "--no-" opposite; `set` is left alone when neither is given.
void addSwitch(CLI::App& app, const std::string& name, std::optional<bool>& set, const std::string& help) {
  app.add_flag_function("--" + name + ",!--no-" + name,
                        [&set](std::int64_t count) { set = count > 0; }, help);
}

// The --set names the command takes: the Print numbers and what decides the viewed types.
std::vector<KnownSetting> printKnownSettings() {
  std::vector<KnownSetting> known(knownSettings().begin(), knownSettings().end());
  for (const SettingKey& k : print::printNumberSettings())
    known.push_back({std::string(k.section), std::string(k.key), k.min, k.max, k.flag});
  return known;
}

std::vector<print::PrintItem> printItems(const std::vector<std::string>& paths) {
  std::vector<print::PrintItem> items;
  for (const std::string& p : paths) items.push_back({parseItemText(p), {}, {}});
  return items;
}

// The catalog as PDF bytes; empty when nothing could be drawn.
QByteArray printToPdf(DesignCodec& codec, const print::PrintOptions& options, const std::vector<std::string>& paths,
                      bool landscape, int& pages) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfResolution);
    writer.setTitle(QString::fromStdString(options.title));
    writer.setCreator(QStringLiteral("loomhall-cli"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    print::CatalogPainter catalog(codec, options, printItems(paths), std::time(nullptr));
    pages = print::printCatalog(writer, catalog);
  }
  return pages > 0 ? bytes : QByteArray();
}

}  // namespace

int runPrint(Args args) {
  PrintFlags f;
  std::optional<bool> bestUse, contents, date, pageNumbers, sewingInfo, colorInfo, jumps;
  CommandLine line("print", "Prints a catalog of designs into a PDF file; an existing OUT.pdf is never replaced.");
  CLI::App& app = line.app;
  app.add_option("--mode", f.mode, "thumbnails (a grid per page), full (one design per page at its real size) or "
                                   "contents (the table of contents only)")
      ->check(CLI::IsMember({"thumbnails", "full", "contents"}));
  app.add_option("--rows", f.rows, "rows of thumbnails per page")->check(CLI::Range(print::kRows.min, print::kRows.max));
  app.add_option("--columns", f.columns, "columns of thumbnails per page")
      ->check(CLI::Range(print::kColumns.min, print::kColumns.max));
  addSwitch(app, "best-use", bestUse, "swap rows and columns to suit the page orientation");
  addSwitch(app, "contents", contents, "append the table of contents");
  addSwitch(app, "date", date, "the \"Printed\" line with the date and time");
  addSwitch(app, "page-numbers", pageNumbers, "page numbers");
  addSwitch(app, "sewing-info", sewingInfo, "size, stitches and colours of each design");
  addSwitch(app, "colour-info", colorInfo, "the thread colours of each design");
  addSwitch(app, "jumps", jumps, "draw jump stitches");
  app.add_flag("--landscape", f.landscape, "print on landscape pages (A4)");
  app.add_option("--title", f.title, "printed at the top of every page");
  app.add_flag("--defaults", f.defaults, "ignore the stored settings");
  app.add_option("--set", f.sets, "override a stored setting, e.g. --set Print/Rows=4");
  app.add_flag("-r", f.recursive, "look into sub-folders of folder inputs");
  app.add_flag("-L", f.followLinks, "with -r, follow symbolic links to folders too");
  app.add_option("--pdf", f.pdf, "the PDF file to write")->required();
  app.add_option("INPUT", f.inputs, "designs, zip archives or folders")->required();
  if (const auto status = line.parse(args)) return *status;
  if (!equalsNoCase(extensionOf(f.pdf), "pdf")) return usageError("print: --pdf needs a name ending in .pdf");

  CliCodec cli;
  MemorySettings& settings = cli.settings;
  if (!f.defaults) QtSettingsStore("Loomhall").copyTo(settings);
  if (!applySets(f.sets, printKnownSettings(), settings)) return Usage;
  print::PrintOptions o = print::loadPrintOptions(settings, kDefaultTitle);
  if (!f.mode.empty())
    o.mode = f.mode == "full" ? print::PrintMode::FullSize
             : f.mode == "contents" ? print::PrintMode::Contents : print::PrintMode::Thumbnails;
  if (f.rows) o.rows = *f.rows;
  if (f.columns) o.columns = *f.columns;
  if (f.title) o.title = *f.title;
  for (auto [flag, value] : {std::pair{&bestUse, &o.bestUse}, {&contents, &o.contents}, {&date, &o.date},
                             {&pageNumbers, &o.pageNumbers}, {&sewingInfo, &o.sewingInfo},
                             {&colorInfo, &o.colorInfo}, {&jumps, &o.jumps}})
    if (*flag) *value = **flag;

  std::vector<UnusableInput> unusable;
  const std::vector<std::string> paths = expandInputs(f.inputs, {f.recursive, f.followLinks}, settings, unusable);
  if (paths.empty()) {
    std::fprintf(stderr, "loomhall-cli: print: no design to print\n");
    return Failed;
  }

  // The page code needs Qt's GUI module for fonts; without a display it draws offscreen.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "loomhall-cli";
  static char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);

  int pages = 0;
  const QByteArray pdf = printToPdf(cli.codec, o, paths, f.landscape, pages);
  if (pdf.isEmpty()) {
    std::fprintf(stderr, "loomhall-cli: print: nothing to print\n");
    return Failed;
  }
  const auto saved = saveUnique(f.pdf, std::span(reinterpret_cast<const std::uint8_t*>(pdf.constData()),
                                                 static_cast<std::size_t>(pdf.size())));
  if (!saved) {
    std::fprintf(stderr, "loomhall-cli: %s: could not be written\n", f.pdf.c_str());
    return Failed;
  }
  std::printf("%s\n", saved->c_str());
  std::fprintf(stderr, "%d designs on %d pages\n", static_cast<int>(paths.size()), pages);
  return unusable.empty() ? Ok : Failed;
}

}  // namespace lh::cli
