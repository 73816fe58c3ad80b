#include "print/print_layout.h"

#include <algorithm>
#include <cmath>

namespace lh::print {

namespace {

constexpr double kInchesPerMm = 0.03937008;

int atLeastOne(int v) { return std::max(v, 1); }

int ceilDiv(int a, int b) { return b <= 0 ? 0 : (a + b - 1) / b; }

}  // namespace

int baseTextHeight(double pixelsPerInchY, double pageHeightMm) {
  return static_cast<int>(pixelsPerInchY * pageHeightMm * kInchesPerMm * 0.0125);
}

int smallTextHeight(double pixelsPerInchY, double pageHeightMm) {
  return static_cast<int>(pixelsPerInchY * pageHeightMm * kInchesPerMm / 88.0);
}

int linesPerPage(const PageMeasures& page) {
  if (page.lineHeight <= 0) return 1;
  return atLeastOne(page.height / page.lineHeight - 14);
}

int sideMargin(const PageMeasures& page) { return static_cast<int>(15.0 * page.pixelsPerMmX); }

Grid pageGrid(int rows, int columns, bool bestUse, bool landscape) {
  Grid g{atLeastOne(rows), atLeastOne(columns)};
  if (bestUse && (landscape ? g.rows > g.columns : g.columns > g.rows)) std::swap(g.rows, g.columns);
  return g;
}

std::vector<ContentsGroup> contentsGroups(const std::vector<PrintedDesign>& designs) {
  std::vector<ContentsGroup> groups;
  for (std::size_t i = 0; i < designs.size(); ++i) {
    if (i > 0 && designs[i].groupKey == designs[i - 1].groupKey) continue;
    groups.push_back({designs[i].groupLocation, static_cast<int>(i) + 1});
  }
  return groups;
}

PagePlan planPages(PrintMode mode, int designs, int perPage, bool contents, int groups, int linesPerPage) {
  PagePlan plan;
  designs = std::max(designs, 0);
  if (mode == PrintMode::Thumbnails) plan.designPages = ceilDiv(designs, atLeastOne(perPage));
  if (mode == PrintMode::FullSize) plan.designPages = designs;
  if (mode == PrintMode::Contents || contents) plan.contentsPages = ceilDiv(std::max(groups, 0), atLeastOne(linesPerPage));
  return plan;
}

int pageOfDesign(int position, int perPage) { return ceilDiv(position, atLeastOne(perPage)); }

int contentsPageOf(PrintMode mode, int position, int perPage) {
  return mode == PrintMode::FullSize ? position : pageOfDesign(position, perPage);
}

std::vector<Rect> cellRects(const PageMeasures& page, const Grid& grid) {
  std::vector<Rect> cells;
  if (grid.rows <= 0 || grid.columns <= 0) return cells;
  const int margin = sideMargin(page);
  const int w = (page.width - 2 * margin) / grid.columns;
  const int h = (page.height - 10 * page.lineHeight) / grid.rows;
  const int top = 5 * page.lineHeight;
  for (int r = 0; r < grid.rows; ++r)
    for (int c = 0; c < grid.columns; ++c) cells.push_back({margin + c * w, top + r * h, w, h});
  return cells;
}

DesignRange designsOnPage(int page, int perPage, int designs) {
  perPage = atLeastOne(perPage);
  const int first = (page - 1) * perPage;
  if (page < 1 || first >= designs) return {};
  return {first, std::min(perPage, designs - first)};
}

int cornerMarkLength(const PageMeasures& page) { return 3 * page.smallLineHeight + page.boldLineHeight; }

std::vector<Line> cornerMarks(const Rect& cell, int markLength, bool landscape) {
  std::vector<Line> marks{{cell.x, cell.y, cell.x, cell.y + markLength},
                          {cell.x, cell.y, cell.x + cell.width / 2, cell.y}};
  if (landscape) {
    marks.push_back({cell.x + cell.width / 2, cell.bottom(), cell.right(), cell.bottom()});
    marks.push_back({cell.right(), cell.bottom(), cell.right(), cell.bottom() - markLength});
  }
  return marks;
}

Rect innerArea(const Rect& cell, const PageMeasures& page) {
  const int top = page.lineHeight / 4;
  return {cell.x + page.charWidth, cell.y + top, std::max(cell.width - 2 * page.charWidth, 0),
          std::max(cell.height - top - page.lineHeight, 0)};
}

Rect pictureSquare(const Rect& area) {
  int side = std::max(std::min(area.width, area.height), 0);
  side += side % 2;
  return {area.x, area.y, side, side};
}

ColorColumns colorColumns(int blocks, int top, int bottom, int cellWidth, const PageMeasures& page) {
  ColorColumns c;
  c.columnStep = 3 * page.charWidth;
  if (blocks <= 0 || page.smallLineHeight <= 0) return c;
  c.rowsPerColumn = std::max((bottom - top) / page.smallLineHeight, 0);
  if (c.rowsPerColumn == 0) return c;
  const int allowed = atLeastOne(c.columnStep > 0 ? (cellWidth / 2) / c.columnStep : 1);
  c.columns = std::min(ceilDiv(blocks, c.rowsPerColumn), allowed);
  c.shown = std::min(blocks, c.columns * c.rowsPerColumn);
  c.withNames = blocks <= c.rowsPerColumn;
  return c;
}

FullSizePlacement placeFullSize(std::int64_t width, std::int64_t height, const PageMeasures& page, bool colorInfo) {
  FullSizePlacement p;
  const int margin = sideMargin(page);
  p.printable = {margin, 3 * page.lineHeight, std::max(page.width - 2 * margin, 0),
                 std::max(page.height - 6 * page.lineHeight, 0)};
  p.listTop = 7 * page.lineHeight + page.boldLineHeight;
  std::int64_t w = std::max<std::int64_t>(width, 0) / 8 * 8;
  std::int64_t h = std::max<std::int64_t>(height, 0) / 8 * 8;
  const double pxW = static_cast<double>(w) * page.pixelsPerMmX / 10.0;
  if (w > h && pxW > 0.75 * p.printable.width) {
    p.turned = true;
    std::swap(w, h);
  }
  p.picture.width = static_cast<int>(std::min(static_cast<double>(w) * page.pixelsPerMmX / 10.0, 1e8));
  p.picture.height = static_cast<int>(std::min(static_cast<double>(h) * page.pixelsPerMmY / 10.0, 1e8));
  p.picture.y = h >= 1993 ? (page.height - p.picture.height) / 2 : p.listTop;
  p.picture.x = colorInfo ? p.printable.right() - p.picture.width : (page.width - p.picture.width) / 2;
  return p;
}

std::vector<Line> alignmentMarks(const Rect& picture) {
  const int cx = picture.x + picture.width / 2;
  const int cy = picture.y + picture.height / 2;
  const int dx = picture.width / 10;
  const int dy = picture.height / 10;
  return {{cx, picture.y, cx, picture.y + dy},
          {cx, picture.bottom(), cx, picture.bottom() - dy},
          {picture.x, cy, picture.x + dx, cy},
          {picture.right(), cy, picture.right() - dx, cy},
          {cx - dx / 2, cy, cx + dx / 2, cy},
          {cx, cy - dy / 2, cx, cy + dy / 2}};
}

FullSizeList fullSizeList(int blocks, int top, int bottom, int listWidth, const PageMeasures& page) {
  FullSizeList list;
  list.secondColumnX = listWidth / 2;
  if (blocks <= 0 || page.smallLineHeight <= 0) return list;
  list.rowsPerColumn = std::max((bottom - top) / page.smallLineHeight, 0);
  list.shown = std::min(blocks, 2 * list.rowsPerColumn);
  return list;
}

DesignRange groupsOnContentsPage(int k, int linesPerPage, int groups) {
  return designsOnPage(k, linesPerPage, groups);
}

}  // namespace lh::print
