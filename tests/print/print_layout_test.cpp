#include <gtest/gtest.h>

#include "print/print_layout.h"
#include "print/print_settings.h"
#include "print/print_texts.h"

namespace lh::print {
namespace {

// A4 at 300 dpi with fonts of the usual proportions.
PageMeasures a4(bool landscape = false) {
  PageMeasures p;
  p.width = landscape ? 3508 : 2480;
  p.height = landscape ? 2480 : 3508;
  p.pixelsPerMmX = p.pixelsPerMmY = 300.0 / 25.4;
  p.lineHeight = 44;
  p.smallLineHeight = 40;
  p.boldLineHeight = 46;
  p.charWidth = 20;
  return p;
}

TEST(PrintPages, CountsDesignAndContentsPages) {
  struct Case {
    PrintMode mode;
    int designs, perPage;
    bool contents;
    int groups, lines;
    PagePlan expected;
  };
  const Case cases[] = {
      {PrintMode::Thumbnails, 7, 6, false, 1, 60, {2, 0}},   // 6 + 1
      {PrintMode::Thumbnails, 6, 6, false, 1, 60, {1, 0}},
      {PrintMode::Thumbnails, 0, 6, true, 0, 60, {0, 0}},
      {PrintMode::FullSize, 7, 6, false, 1, 60, {7, 0}},
      {PrintMode::FullSize, 7, 6, true, 2, 60, {7, 1}},
      {PrintMode::Contents, 7, 6, false, 61, 60, {0, 2}},   // the contents mode needs no flag
      {PrintMode::Thumbnails, 3000, 1, true, 3000, 59, {3000, 51}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(planPages(c.mode, c.designs, c.perPage, c.contents, c.groups, c.lines), c.expected)
        << static_cast<int>(c.mode) << " " << c.designs << " " << c.groups;
}

TEST(PrintPages, PageMeasures) {
  EXPECT_EQ(baseTextHeight(300, 297), 43);   // 1/80 of an A4 page at 300 dpi
  EXPECT_EQ(smallTextHeight(300, 297), 39);  // 1/88
  EXPECT_EQ(linesPerPage(a4()), 3508 / 44 - 14);
  PageMeasures tiny = a4();
  tiny.height = 100;  // fonts too big for the page: still one line per page, never zero
  EXPECT_EQ(linesPerPage(tiny), 1);
  tiny.lineHeight = 0;
  EXPECT_EQ(linesPerPage(tiny), 1);
}

TEST(PrintSettings, StoredValuesOutsideTheirRangeAreBroughtIn) {
  MemorySettings store;
  PrintOptions defaults = loadPrintOptions(store, "Loomhall Atelier");
  EXPECT_EQ(defaults.title, "Loomhall Atelier");
  EXPECT_EQ(defaults.rows, 3);
  EXPECT_EQ(defaults.columns, 2);
  EXPECT_TRUE(defaults.bestUse && defaults.sewingInfo && defaults.colorInfo && defaults.date && defaults.jumps);
  EXPECT_FALSE(defaults.contents || defaults.selectedOnly);
  store.setInt("Print", "Rows", 0);
  store.setInt("Print", "Columns", 500);
  store.setInt("Print", "Print", 7);
  const PrintOptions read = loadPrintOptions(store, "x");
  EXPECT_EQ(read.rows, 1);
  EXPECT_EQ(read.columns, kColumns.max);
  EXPECT_EQ(read.mode, PrintMode::Contents);
  PrintOptions changed = read;
  changed.title = "Spring";
  changed.mode = PrintMode::FullSize;
  changed.jumps = false;
  savePrintOptions(store, changed);
  const PrintOptions again = loadPrintOptions(store, "x");
  EXPECT_EQ(again.title, "Spring");
  EXPECT_EQ(again.mode, PrintMode::FullSize);
  EXPECT_FALSE(again.jumps);
}

TEST(PrintPages, BestUseSwapsToSuitTheOrientation) {
  struct Case {
    int rows, columns;
    bool bestUse, landscape;
    Grid expected;
  };
  const Case cases[] = {
      {3, 2, true, true, {2, 3}},   {3, 2, true, false, {3, 2}}, {2, 3, true, false, {3, 2}},
      {3, 2, false, true, {3, 2}},  {2, 2, true, true, {2, 2}},  {0, -1, true, false, {1, 1}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(pageGrid(c.rows, c.columns, c.bestUse, c.landscape), c.expected) << c.rows << "x" << c.columns;
}

TEST(PrintPages, CellsFillTheGridRowByRowBetweenTheMargins) {
  const PageMeasures page = a4();
  const auto cells = cellRects(page, {3, 2});
  ASSERT_EQ(cells.size(), 6u);
  const int margin = sideMargin(page);
  EXPECT_EQ(margin, 177);
  EXPECT_EQ(cells[0], (Rect{margin, 5 * 44, (2480 - 2 * margin) / 2, (3508 - 440) / 3}));
  EXPECT_EQ(cells[1].x, cells[0].right());
  EXPECT_EQ(cells[2].y, cells[0].bottom());
  EXPECT_LE(cells[5].right(), page.width - margin);
  EXPECT_LE(cells[5].bottom(), page.height - 5 * page.lineHeight);
  // The last page holds what is left.
  EXPECT_EQ(designsOnPage(2, 6, 7).first, 6);
  EXPECT_EQ(designsOnPage(2, 6, 7).count, 1);
  EXPECT_EQ(designsOnPage(3, 6, 7).count, 0);
}

TEST(PrintPages, CornerMarksFollowTheOrientation) {
  const Rect cell{100, 200, 600, 800};
  const auto portrait = cornerMarks(cell, 166, false);
  ASSERT_EQ(portrait.size(), 2u);
  EXPECT_EQ(portrait[0], (Line{100, 200, 100, 366}));
  EXPECT_EQ(portrait[1], (Line{100, 200, 400, 200}));
  const auto landscape = cornerMarks(cell, 166, true);
  ASSERT_EQ(landscape.size(), 4u);
  EXPECT_EQ(landscape[2], (Line{400, 1000, 700, 1000}));
  EXPECT_EQ(landscape[3], (Line{700, 1000, 700, 834}));
  EXPECT_EQ(cornerMarkLength(a4()), 3 * 40 + 46);
}

TEST(PrintPages, PictureSquareIsEven) {
  EXPECT_EQ(pictureSquare({10, 20, 301, 500}), (Rect{10, 20, 302, 302}));
  EXPECT_EQ(pictureSquare({10, 20, 400, 250}), (Rect{10, 20, 250, 250}));
  EXPECT_EQ(pictureSquare({0, 0, -5, 10}).width, 0);
}

TEST(PrintPages, ColourColumnsDropNamesWhenTheyOverflow) {
  const PageMeasures page = a4();  // small lines of 40, columns 60 apart
  // 10 rows fit; a cell 1000 wide allows (500 / 60) = 8 columns.
  struct Case {
    int blocks;
    ColorColumns expected;
  };
  const Case cases[] = {
      {4, {10, 1, 4, true, 60}},
      {10, {10, 1, 10, true, 60}},
      {11, {10, 2, 11, false, 60}},   // swatches only, in two columns
      {95, {10, 8, 80, false, 60}},   // blocks past the eighth column are not shown
      {0, {0, 0, 0, false, 60}},
  };
  for (const Case& c : cases) {
    const ColorColumns got = colorColumns(c.blocks, 100, 500, 1000, page);
    EXPECT_EQ(got.rowsPerColumn, c.expected.rowsPerColumn) << c.blocks;
    EXPECT_EQ(got.columns, c.expected.columns) << c.blocks;
    EXPECT_EQ(got.shown, c.expected.shown) << c.blocks;
    EXPECT_EQ(got.withNames, c.expected.withNames) << c.blocks;
  }
}

TEST(PrintPages, FullSizePlacement) {
  const PageMeasures page = a4();
  const double ppm = page.pixelsPerMmX;
  // 320 x 120 mm on a portrait page narrower than 320 mm: turned, 120 wide and 320 high,
  // centred on the page because 320 mm is over 199.3 mm.
  const auto turned = placeFullSize(3200, 1200, page, false);
  EXPECT_TRUE(turned.turned);
  EXPECT_EQ(turned.picture.width, static_cast<int>(1200 * ppm / 10));
  EXPECT_EQ(turned.picture.height, static_cast<int>(3200 * ppm / 10));
  EXPECT_EQ(turned.picture.x, (page.width - turned.picture.width) / 2);
  EXPECT_EQ(turned.picture.y, (page.height - turned.picture.height) / 2);
  // A small design: rounded down to 0.8 mm, under the texts, at the right with the colour list.
  const auto small = placeFullSize(507, 300, page, true);
  EXPECT_FALSE(small.turned);
  EXPECT_EQ(small.picture.width, static_cast<int>(504 * ppm / 10));
  EXPECT_EQ(small.picture.y, 7 * page.lineHeight + page.boldLineHeight);
  EXPECT_EQ(small.picture.right(), page.width - sideMargin(page));
  // Wider than tall but within three quarters of the printable width: not turned.
  EXPECT_FALSE(placeFullSize(1200, 1000, page, false).turned);
  // 199.9 mm rounds down to 199.2 mm and stays under the texts; 200 mm is centred.
  EXPECT_EQ(placeFullSize(1000, 1999, page, false).picture.y, small.listTop);
  EXPECT_EQ(placeFullSize(1000, 2000, page, false).picture.y, (page.height - static_cast<int>(2000 * ppm / 10)) / 2);
}

TEST(PrintPages, AlignmentMarksPointInwardsFromEachSide) {
  const auto marks = alignmentMarks({0, 0, 1000, 500});
  ASSERT_EQ(marks.size(), 6u);
  EXPECT_EQ(marks[0], (Line{500, 0, 500, 50}));
  EXPECT_EQ(marks[1], (Line{500, 500, 500, 450}));
  EXPECT_EQ(marks[2], (Line{0, 250, 100, 250}));
  EXPECT_EQ(marks[3], (Line{1000, 250, 900, 250}));
}

TEST(PrintContents, GroupsAndTheirPages) {
  const std::vector<PrintedDesign> designs{
      {"a", "/d/a/"}, {"a", "/d/a/"}, {"b", "/d/b/"}, {"b", "/d/b/"}, {"a", "/d/a/"}};
  const auto groups = contentsGroups(designs);
  ASSERT_EQ(groups.size(), 3u);  // a run that comes back is a group of its own
  EXPECT_EQ(groups[2].firstPosition, 5);
  // Two folders on page 1 of a 3 x 2 catalog.
  EXPECT_EQ(contentsLine(pageOfDesign(groups[0].firstPosition, 6), groups[0].location), "1    ... /d/a/");
  EXPECT_EQ(contentsLine(pageOfDesign(groups[1].firstPosition, 6), groups[1].location), "1    ... /d/b/");
  EXPECT_EQ(contentsLine(12345, "x"), "12345 ... x");
  EXPECT_EQ(pageOfDesign(7, 6), 2);
  EXPECT_EQ(contentsPageOf(PrintMode::Thumbnails, 7, 6), 2);
  EXPECT_EQ(contentsPageOf(PrintMode::FullSize, 7, 6), 7);  // one page per design
  EXPECT_EQ(groupsOnContentsPage(2, 60, 61).first, 60);
  EXPECT_EQ(groupsOnContentsPage(2, 60, 61).count, 1);
}

TEST(PrintContents, RomanNumeralsUpToFifty) {
  const std::pair<int, const char*> cases[] = {{1, "Page (i)"},     {4, "Page (iv)"},  {9, "Page (ix)"},
                                               {14, "Page (xiv)"},  {40, "Page (xl)"}, {49, "Page (xlix)"},
                                               {50, "Page (L)"},    {51, "Page "},     {0, "Page "}};
  for (const auto& [k, text] : cases) EXPECT_EQ(contentsFootLine(k), text) << k;
}

TEST(PrintTexts, LinesOfACell) {
  EXPECT_EQ(countsLine(1365, 5), "1361 stitches : 5 colors");
  EXPECT_EQ(pageLine(3), "Page: 3");
  const std::string printed = printedLine(0);
  EXPECT_EQ(printed.size(), std::string("Printed ").size() + 24) << printed;
  const FileItem member = parseItemText("Zip:/z/a.zip:flowers/rose.pes");
  EXPECT_EQ(cellLocation(member, ""), "flowers/");
  EXPECT_EQ(cellLocation(parseItemText("Zip:/z/a.zip:rose.pes"), ""), "/z/a.zip");
  EXPECT_EQ(cellLocation(member, "Roses"), "Roses");
  EXPECT_EQ(folderLocation(member), "Zip:/z/a.zip:flowers/");
  EXPECT_EQ(folderLocation(parseItemText("/d/x.dst")), "/d/");
  EXPECT_EQ(folderLocation(parseItemText("Zip:/z/a.zip:rose.pes")), "/z/a.zip");
}

}  // namespace
}  // namespace lh::print
