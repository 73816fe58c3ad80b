#include "tools/auto_baste.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::st;

const HoopRect kLargeHoop{-5000, -5000, 5000, 5000};

// A w x h design (0.1 mm) of `colours` blocks.
EmbDesign box(int w, int h, int colors = 1) {
  EmbDesign d = test::makeDesign({st(0, 0), st(w, 0), st(0, h)});
  d.threads.clear();
  for (int c = 0; c < colors; ++c) {
    if (c) {
      d.stitches.push_back(colorChange());
      d.stitches.push_back(st(-w / colors, 0));
    }
    d.threads.push_back(test::thread(0x000011u * static_cast<unsigned>(c + 1)));
  }
  d.path = "/d/rose.pes";
  return d;
}

struct Outline {
  std::size_t records = 0;  // outline records (the baste colour block)
  int longest = 0;          // longest side move
  int ticks = 0;            // moves perpendicular to a side and back
  int tickLength = 0;
  Point end;                // outline end relative to its first corner
};

Outline examine(const EmbDesign& d) {
  Outline o;
  int x = 0, y = 0;
  for (std::size_t i = 1; i < d.stitches.size() && !d.stitches[i].isColorChange(); ++i) {
    const Stitch& s = d.stitches[i];
    ++o.records;
    x += s.dx;
    y += s.dy;
    if (i >= 4 && i + 1 < d.stitches.size() && !s.isZeroMove() && d.stitches[i + 1].dx == -s.dx &&
        d.stitches[i + 1].dy == -s.dy) {
      ++o.ticks;
      o.tickLength = std::abs(s.dx) + std::abs(s.dy);
      ++i;
      ++o.records;
      continue;
    }
    if (i > 3) o.longest = std::max(o.longest, std::abs(s.dx) + std::abs(s.dy));
    EXPECT_TRUE(s.dx == 0 || s.dy == 0) << "record " << i;
  }
  o.end = {x, y};
  return o;
}

TEST(AutoBaste, StepArmAndRectangle) {
  struct Case {
    const char* name;
    int w, h;
    bool cross;
    int edge;
    HoopRect hoop;
    int step, ticks, arm, outW, outH;
  };
  const Case cases[] = {
      // D = (1000 - 4) / 4 = 249 with crosshairs, so L = 60; arm = 996 / 10.
      {"100x60 crosshairs", 1000, 600, true, 1, kLargeHoop, 60, 4, 99, 1020, 620},
      {"100x60 no crosshairs", 1000, 600, false, 1, kLargeHoop, 60, 0, 0, 1020, 620},
      // D = 196 / 4 = 49: the step shrinks to 4.9 mm.
      {"20x10 crosshairs", 200, 100, true, 1, kLargeHoop, 49, 4, 19, 220, 120},
      // Edge 10 would leave a hoop the design fills: the outline hugs the design.
      {"edge 10 in a full hoop", 3000, 2000, false, 10, HoopRect{-1500, -1000, 1500, 1000}, 60, 0, 0, 3000, 2000},
      // No hoop (an empty rectangle): the edge is never applied.
      {"no hoop", 1000, 600, false, 1, HoopRect{}, 60, 0, 0, 1000, 600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmbDesign d = box(c.w, c.h);
    BasteSettings s;
    s.combine = false;
    s.cross = c.cross;
    s.edge = c.edge;
    ToolReport report;
    ASSERT_TRUE(autoBaste(d, s, c.hoop, report));
    EXPECT_TRUE(report.empty());
    ASSERT_EQ(d.threads.size(), 1u);
    EXPECT_EQ(d.colorChangeCount(), 0u);
    EXPECT_EQ(d.width(), c.outW);
    EXPECT_EQ(d.height(), c.outH);
    const Outline o = examine(d);
    EXPECT_EQ(o.longest, c.step);
    EXPECT_EQ(o.ticks, c.ticks);
    if (c.ticks) {
      EXPECT_EQ(o.tickLength, c.arm);
    }
    EXPECT_EQ(o.end, (Point{0, 0})) << "the outline ends where it began";
    EXPECT_EQ(d.stitches[1], st(0, 0));
    EXPECT_EQ(d.stitches[2], st(10, 0));
    EXPECT_EQ(d.stitches[3], st(-10, 0));
  }
}

TEST(AutoBaste, CombinedKeepsTheDesignInPlace) {
  EmbDesign d = box(1000, 600, 3);
  d.centreDesign();
  std::vector<Point> before;
  {
    int x = 0, y = 0;
    for (const Stitch& s : d.stitches) before.push_back({x += s.dx, y += s.dy});
  }
  const std::size_t records = d.stitches.size();
  ToolReport report;
  ASSERT_TRUE(autoBaste(d, BasteSettings{}, kLargeHoop, report));
  ASSERT_EQ(d.threads.size(), 4u);
  EXPECT_EQ(d.threads[0].rgb, 0u);
  EXPECT_EQ(d.threads[1].rgb, 0x11u);
  EXPECT_EQ(d.colorChangeCount(), 3u);
  // The design follows the outline's colour change with every record at its old place:
  // its first move now starts from the outline's corner (x0, y1) = (minX - 10, maxY + 10).
  std::size_t cc = 0;
  while (!d.stitches[cc].isColorChange()) ++cc;
  ASSERT_EQ(d.stitches.size() - cc - 1, records);
  int x = 0, y = 0;
  for (std::size_t i = 0; i <= cc; ++i) x += d.stitches[i].dx, y += d.stitches[i].dy;
  EXPECT_EQ((Point{x, y}), (Point{-510, 310}));  // the outline ends at its upper left corner
  int ox = x, oy = y;
  for (std::size_t i = 0; i < records; ++i) {
    ox += d.stitches[cc + 1 + i].dx;
    oy += d.stitches[cc + 1 + i].dy;
    EXPECT_EQ((Point{ox, oy}), before[i]) << i;
  }
}

TEST(AutoBaste, BasteThreadColor) {
  BasteSettings alone;
  alone.combine = false;
  ToolReport report;
  EmbDesign black = box(1000, 600);
  black.threads[0].rgb = 0;
  ASSERT_TRUE(autoBaste(black, alone, kLargeHoop, report));
  EXPECT_EQ(black.threads[0].rgb, 0xFF0000u);  // blue, to stand out from a black design

  // No threads: the baste keeps rgb 0 and, combined, no colour change is added.
  EmbDesign bare = box(1000, 600);
  bare.threads.clear();
  ASSERT_TRUE(autoBaste(bare, BasteSettings{}, kLargeHoop, report));
  EXPECT_EQ(bare.threads.size(), 1u);
  EXPECT_EQ(bare.threads[0].rgb, 0u);
  EXPECT_EQ(bare.colorChangeCount(), 0u);
}

TEST(AutoBaste, TinyDesignsAreRefused) {
  for (int size : {0, 4}) {
    EmbDesign d = box(size, size);
    const std::vector<Stitch> records = d.stitches;
    ToolReport report;
    EXPECT_FALSE(autoBaste(d, BasteSettings{}, kLargeHoop, report));
    EXPECT_EQ(report.text(), "/d/rose.pes is too small to baste.\r\n");
    EXPECT_EQ(d.stitches, records);
    EXPECT_EQ(d.threads.size(), 1u);
  }
  EmbDesign empty;
  ToolReport report;
  EXPECT_FALSE(autoBaste(empty, BasteSettings{}, kLargeHoop, report));
}

TEST(AutoBaste, SettingsAreClamped) {
  MemorySettings store;
  store.setInt("Settings", "Baste length", 500);
  store.setInt("Settings", "Baste edge", -3);
  store.setInt("Settings", "Baste cross", 0);
  const BasteSettings s = loadBasteSettings(store);
  EXPECT_EQ(s.length, 100);
  EXPECT_EQ(s.edge, 0);
  EXPECT_FALSE(s.cross);
  EXPECT_TRUE(s.combine);
}

}  // namespace
}  // namespace lh
