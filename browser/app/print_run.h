#pragma once
// File > Print... and Print Preview: a run that locks the browser while the catalog prints.
// The options dialog comes first, then the platform's print dialog (or the preview); the
// listed designs, or the selected ones, are printed with the catalog painter and the page
// orientation is stored as "Settings"/"Landscape".
#include <QWidget>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "browser/core/file_list.h"
#include "design/settings.h"
#include "plugin/run_state.h"
#include "print/qt/catalog_painter.h"

class QPrintDialog;
class QPrintPreviewDialog;
class QPrinter;

namespace lh {

class PrintOptionsDialog;

// The items to print, in list order: every listed item, or the selected ones. `category`
// gives the catalog category (own name, path) an item was listed from, empty names for a
// folder's items; it may be empty.
using CategoryOf = std::function<std::pair<std::string, std::string>(const FileItem&)>;
std::vector<print::PrintItem> printItems(const FileList& list, bool selectedOnly, const CategoryOf& category = {});

class CatalogPrintRun {
 public:
  CatalogPrintRun(QWidget* window, RunState& run, SettingsStore& store);

  // Prints (or previews) the catalog of `list`. Does nothing while another run is active;
  // cancelling either dialog, or nothing to print, ends the run. Returns the pages drawn.
  int start(const FileList& list, bool preview, const CategoryOf& category = {});

  // In place of exec() of each dialog (tests answer them). The print dialog's hook may set
  // the printer up (a PDF file, say) before it accepts.
  std::function<int(PrintOptionsDialog&)> runOptions;
  std::function<int(QPrintDialog&, QPrinter&)> runPrintDialog;
  std::function<int(QPrintPreviewDialog&)> runPreview;

 private:
  int draw(QPrinter& printer, const print::PrintOptions& options, const std::vector<print::PrintItem>& items);

  QWidget* window_;
  RunState& run_;
  SettingsStore& store_;
};

}  // namespace lh
