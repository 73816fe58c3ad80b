#pragma once
// Draws the pages of a printed catalog with QPainter on a paged device (a QPrinter, or a
// QPdfWriter for files): each design is loaded for its page or cell and released after it.
#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>
#include <ctime>
#include <string>
#include <vector>

#include "catalog/file_item.h"
#include "formats/design_codec.h"
#include "print/print_layout.h"
#include "print/print_settings.h"
#include "render/palette_manager.h"

namespace lh::print {

// One design to print, with the catalog category it was listed from (empty names when it
// was listed from a folder).
struct PrintItem {
  FileItem item;
  std::string categoryName;  // the category's own name
  std::string categoryPath;  // the category's path
};

// The tree node a printed item came from, and what its table-of-contents line says.
PrintedDesign printedDesign(const PrintItem& item);

class CatalogPainter {
 public:
  CatalogPainter(DesignCodec& codec, PrintOptions options, std::vector<PrintItem> items, std::time_t when);

  // Measures the page and the fonts on `device` and counts the pages.
  void begin(QPagedPaintDevice& device);
  const PagePlan& plan() const { return plan_; }
  const PageMeasures& measures() const { return page_; }
  bool landscape() const { return page_.landscape(); }
  // Draws page n (from 1) of the plan.
  void drawPage(QPainter& painter, int n);

 private:
  void drawThumbnailPage(QPainter& painter, int n);
  void drawCell(QPainter& painter, const Rect& cell, const PrintItem& item);
  void drawFullSizePage(QPainter& painter, int n);
  void drawContentsPage(QPainter& painter, int k);
  void drawText(QPainter& painter, const QFont& font, int x, int y, int width, const std::string& text,
                bool cut = true) const;
  int lineY(int line) const { return line * page_.lineHeight; }

  DesignCodec& codec_;
  PrintOptions options_;
  std::vector<PrintItem> items_;
  std::vector<ContentsGroup> groups_;
  std::string printed_;
  PageMeasures page_;
  Grid grid_;
  int lines_ = 1;
  PagePlan plan_;
  QFont base_, bold_, big_, small_;
  PaletteManager palette_;  // the print palette, apart from the screen's
};

// Draws every page of `painter`'s plan on `device` (begin() is called first). Returns the
// pages drawn; 0 when the device could not be painted on.
int printCatalog(QPagedPaintDevice& device, CatalogPainter& painter);

}  // namespace lh::print
