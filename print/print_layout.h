#pragma once
// The page arithmetic of a printed catalog: how many pages, which design or table-of-contents
// lines go on each, and where everything on a page stands. Everything is in device units
// (printer pixels) of one page; the drawing code measures the page and its fonts once and
// hands the figures in.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lh::print {

// What a catalog prints.
enum class PrintMode : int {
  Thumbnails = 0,  // a grid of designs per page
  FullSize = 1,    // one design per page at its real size
  Contents = 2,    // the table of contents only
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width; }
  int bottom() const { return y + height; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Line {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  friend bool operator==(const Line&, const Line&) = default;
};

// The page and its fonts, measured on the device.
struct PageMeasures {
  int width = 0;               // page width in pixels
  int height = 0;              // page height in pixels
  double pixelsPerMmX = 0.0;   // device resolution
  double pixelsPerMmY = 0.0;
  int lineHeight = 0;          // base font: text height + external leading
  int smallLineHeight = 0;     // small font: text height + external leading
  int boldLineHeight = 0;      // base bold font: text height + external leading
  int charWidth = 0;           // average character width of the base font

  bool landscape() const { return width > height; }
};

// Text heights of the fonts for a page `pageHeightMm` tall: 1/80 of its height for the base
// fonts, 1/88 for the small one, in pixels at `pixelsPerInchY`.
int baseTextHeight(double pixelsPerInchY, double pageHeightMm);
int smallTextHeight(double pixelsPerInchY, double pageHeightMm);

// Lines of the base font a page holds for its running texts: height / line height - 14, at
// least 1 (a page too small for its fonts still counts one line per page).
int linesPerPage(const PageMeasures& page);
// 15 mm at the side.
int sideMargin(const PageMeasures& page);

struct Grid {
  int rows = 0;
  int columns = 0;
  int perPage() const { return rows * columns; }
  friend bool operator==(const Grid&, const Grid&) = default;
};
// The grid a page gets: with `bestUse` a landscape page has at least as many columns as rows
// and a portrait page at least as many rows as columns (the two numbers swap). Rows and
// columns below 1 count as 1.
Grid pageGrid(int rows, int columns, bool bestUse, bool landscape);

// One printed design, in printed order: the tree node (folder, archive or catalog category)
// it was listed from, and the location its table-of-contents line names.
struct PrintedDesign {
  std::string groupKey;       // designs of one node share it
  std::string groupLocation;  // the category's path, else the folder of the design
};

// A run of consecutive designs from one node, and the position of its first design
// (counted from 1 in the printed sequence).
struct ContentsGroup {
  std::string location;
  int firstPosition = 0;
};
std::vector<ContentsGroup> contentsGroups(const std::vector<PrintedDesign>& designs);

// The pages of a catalog: design pages first, then the table of contents.
struct PagePlan {
  int designPages = 0;
  int contentsPages = 0;
  int total() const { return designPages + contentsPages; }
  friend bool operator==(const PagePlan&, const PagePlan&) = default;
};
PagePlan planPages(PrintMode mode, int designs, int perPage, bool contents, int groups, int linesPerPage);

// The design page on which the design at `position` (from 1) is printed.
int pageOfDesign(int position, int perPage);
// The page a table-of-contents line gives for the design at `position`: its grid page, or
// its own page when every design has a page of its own.
int contentsPageOf(PrintMode mode, int position, int perPage);

// Thumbnail pages: the cells of the grid, filled row by row. The grid starts 5 line heights
// from the top; a cell is (page width - 2 margins) / columns wide and (page height - 10 line
// heights) / rows high.
std::vector<Rect> cellRects(const PageMeasures& page, const Grid& grid);
// The designs (positions from 0) on design page `page` (from 1).
struct DesignRange {
  int first = 0;
  int count = 0;
};
DesignRange designsOnPage(int page, int perPage, int designs);

// Height of a corner mark's vertical stroke: 3 small lines and one bold line.
int cornerMarkLength(const PageMeasures& page);
// The marks of one cell: down and right from its top-left corner; on a landscape page also
// from the middle of the bottom edge to the bottom-right corner and up from it.
std::vector<Line> cornerMarks(const Rect& cell, int markLength, bool landscape);
// The cell less one character width at each side, a quarter line at the top and a line at
// the bottom.
Rect innerArea(const Rect& cell, const PageMeasures& page);

// The largest square at the top-left of `area`, its side made even.
Rect pictureSquare(const Rect& area);

// The colour list of a cell, in columns of rows one small line high.
struct ColorColumns {
  int rowsPerColumn = 0;
  int columns = 0;        // columns in use
  int shown = 0;          // blocks shown
  bool withNames = false; // all blocks fit in the first column
  int columnStep = 0;     // 3 character widths
};
// `blocks` colour blocks from `top` down to `bottom`, in a cell `cellWidth` wide: as many
// columns as needed up to half the cell's width / 3 character widths.
ColorColumns colorColumns(int blocks, int top, int bottom, int cellWidth, const PageMeasures& page);

// A full-size page.
struct FullSizePlacement {
  bool turned = false;  // a quarter turn before drawing
  Rect picture;         // where the design is drawn, at its real size
  Rect printable;       // the page less the margins and 3 lines at the top and bottom
  int listTop = 0;      // top of the picture area: 7 lines and a bold line
};
// Placement of a design `width` x `height` (0.1 mm, before any turn).
FullSizePlacement placeFullSize(std::int64_t width, std::int64_t height, const PageMeasures& page, bool colorInfo);
// The marks over a picture: from the middle of each side inwards a tenth of the picture's
// width or height, and a cross at the centre (its arms as long).
std::vector<Line> alignmentMarks(const Rect& picture);
// The colour list of a full-size page: rows of one small line from `top` to `bottom`, at most
// two columns.
struct FullSizeList {
  int rowsPerColumn = 0;
  int shown = 0;
  int secondColumnX = 0;  // offset of the second column from the list's left edge
};
FullSizeList fullSizeList(int blocks, int top, int bottom, int listWidth, const PageMeasures& page);

// Table of contents page `k` (from 1): the groups it lists (indexes from 0).
DesignRange groupsOnContentsPage(int k, int linesPerPage, int groups);

}  // namespace lh::print
