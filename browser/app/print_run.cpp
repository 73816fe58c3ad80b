#include "browser/app/print_run.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <ctime>

#include "browser/app/print_options_dialog.h"
#include "formats/design_codec.h"

namespace lh {

std::vector<print::PrintItem> printItems(const FileList& list, bool selectedOnly, const CategoryOf& category) {
  std::vector<print::PrintItem> items;
  for (const FileItem& item : list.items()) {
    if (selectedOnly && !item.isSelected) continue;
    print::PrintItem p{item, {}, {}};
    if (category) std::tie(p.categoryName, p.categoryPath) = category(item);
    items.push_back(std::move(p));
  }
  return items;
}

CatalogPrintRun::CatalogPrintRun(QWidget* window, RunState& run, SettingsStore& store)
    : window_(window), run_(run), store_(store) {
  runOptions = [](PrintOptionsDialog& d) { return d.exec(); };
  runPrintDialog = [](QPrintDialog& d, QPrinter&) { return d.exec(); };
  runPreview = [](QPrintPreviewDialog& d) { return d.exec(); };
}

int CatalogPrintRun::start(const FileList& list, bool preview, const CategoryOf& category) {
  if (run_.beginRun()) return 0;
  int pages = 0;
  PrintOptionsDialog optionsDialog(store_, window_ ? window_->windowTitle() : QString(), window_);
  if (runOptions(optionsDialog) == QDialog::Accepted) {
    print::PrintOptions options = optionsDialog.options();
    std::vector<print::PrintItem> items = printItems(list, options.selectedOnly, category);
    if (!items.empty()) {
      QPrinter printer(QPrinter::HighResolution);
      printer.setFullPage(true);
      printer.setPageOrientation(readSetting(store_, print::kLandscape) ? QPageLayout::Landscape
                                                                         : QPageLayout::Portrait);
      if (preview) {
        QPrintPreviewDialog dialog(&printer, window_);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&](QPrinter* p) { pages = draw(*p, options, items); });
        runPreview(dialog);
      } else {
        QPrintDialog dialog(&printer, window_);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, true);
        if (options.selectedOnly) dialog.setPrintRange(QAbstractPrintDialog::Selection);
        if (runPrintDialog(dialog, printer) == QDialog::Accepted) {
          const bool selection = dialog.printRange() == QAbstractPrintDialog::Selection;
          if (selection != options.selectedOnly) items = printItems(list, selection, category);
          if (!items.empty()) pages = draw(printer, options, items);
        }
      }
    }
  }
  run_.endRun();
  return pages;
}

int CatalogPrintRun::draw(QPrinter& printer, const print::PrintOptions& options,
                          const std::vector<print::PrintItem>& items) {
  if (window_) window_->setEnabled(false);
  DesignCodec codec;
  print::CatalogPainter catalog(codec, options, items, std::time(nullptr));
  const int pages = print::printCatalog(printer, catalog);
  if (window_) window_->setEnabled(true);
  print::saveLandscape(store_, catalog.landscape());
  return pages;
}

}  // namespace lh
