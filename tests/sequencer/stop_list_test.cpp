#include "sequencer/stop_list.h"

#include <gtest/gtest.h>

#include "sequencer/sequence_edits.h"
#include "tests/sequencer/sequencer_fixtures.h"

namespace lh {
namespace {

using test::blocksDesign;
using test::colorChange;
using test::jump;
using test::needlePositions;
using test::st;

TEST(BuildStops, CutsAtColourChangesAndKeepsWhereEachBlockStarts) {
  // The second colour change carries a move: it becomes a jump opening the third stop.
  EmbDesign d = test::makeDesign({jump(10, 0), st(1, 1), st(1, 1), colorChange(), st(5, 0),
                                  colorChange(30, -4), st(1, 0)});
  const std::vector<ColorStop> stops = buildStops(d);
  ASSERT_EQ(stops.size(), 3u);
  EXPECT_EQ(stops[0].size(), 3u);
  EXPECT_EQ(stops[1].size(), 1u);
  EXPECT_EQ((std::pair{stops[1].startX, stops[1].startY}), (std::pair<std::int64_t, std::int64_t>{12, 2}));
  ASSERT_EQ(stops[2].size(), 2u);
  EXPECT_EQ(stops[2].records()[0], Stitch::withFlags(Jump, 30, -4));
  EXPECT_EQ((std::pair{stops[2].startX, stops[2].startY}), (std::pair<std::int64_t, std::int64_t>{17, 2}));
  for (std::size_t i = 0; i < stops.size(); ++i) {
    EXPECT_EQ(stops[i].thread.stitchCount, static_cast<int>(stops[i].size()));
    EXPECT_EQ(stops[i].thread.stopIndex, static_cast<int>(i));
    for (const Stitch& s : stops[i].records()) EXPECT_FALSE(s.isColorChange());
  }
}

TEST(BuildStops, BoundsLeaveOutThreeRecordsAtEachEnd) {
  // Positions after each record: x = 100, 101, ..., the outer three on each side are far off.
  EmbDesign d = test::makeDesign({jump(100, 0), st(-500, 0), st(500, 0), st(1, 7), st(1, -3), st(1, 0),
                                  st(900, 0), st(-900, 0), st(0, 40)});
  const ColorStop stop = buildStops(d).front();
  EXPECT_EQ(stop.bounds, (StopBounds{101, 4, 103, 7}));
  // A block of six or fewer records is measured whole.
  const ColorStop small = buildStops(test::makeDesign({st(3, 0), st(0, -2)})).front();
  EXPECT_EQ(small.bounds, (StopBounds{3, -2, 3, 0}));
}

TEST(BuildStops, KeepsEveryRecordWhateverTheThreadCount) {
  struct Case {
    const char* name;
    std::size_t threads;
    std::size_t blocks;
  };
  const Case cases[] = {
      {"more blocks than threads", 2, 5},
      {"more threads than blocks", 6, 3},
      {"no threads", 0, 3},
      {"beyond 500 blocks", 620, 620},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint32_t> colors(c.threads, 0x123456);
    EmbDesign d = blocksDesign(colors, std::vector<int>(c.blocks, 4));
    const std::vector<ColorStop> stops = buildStops(d);
    EXPECT_EQ(stops.size(), std::max(c.threads, c.blocks));
    EmbDesign saved;
    rebuildDesign(stops, RebuildMode::ForSaving, saved);
    EXPECT_EQ(needlePositions(saved), needlePositions(d));
    EXPECT_EQ(saved.threads.size(), saved.colorChangeCount() + 1);
  }
}

TEST(RebuildDesign, MergesEqualColoursOnSaveOnlyWhenTheLaterStopDoesNotKeepIt) {
  struct Case {
    const char* name;
    std::uint32_t secondColor;
    bool keepStop;
    std::size_t savedThreads;
  };
  const Case cases[] = {
      {"equal colour, stop kept (default)", 0xAA, true, 2},
      {"equal colour, stop cleared", 0xAA, false, 1},
      {"other colour, stop cleared", 0xBB, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmbDesign d = blocksDesign({0xAA, c.secondColor});
    std::vector<ColorStop> stops = buildStops(d);
    stops[1].thread.keepStop = c.keepStop;
    EmbDesign saved;
    rebuildDesign(stops, RebuildMode::ForSaving, saved);
    EXPECT_EQ(saved.threads.size(), c.savedThreads);
    EXPECT_EQ(saved.colorChangeCount(), c.savedThreads - 1);
    EXPECT_EQ(needlePositions(saved), needlePositions(d));
    // The preview never merges.
    EmbDesign shown;
    rebuildDesign(stops, RebuildMode::IncludedOnly, shown);
    EXPECT_EQ(shown.threads.size(), 2u);
  }
}

TEST(RebuildDesign, ARemovedStopLeavesItsStitchesOutAndTheNextBlockJumpsToItsStart) {
  EmbDesign d = blocksDesign({0x01, 0x02, 0x03}, {5, 5, 5});
  std::vector<ColorStop> stops = buildStops(d);
  stops[1].thread.removed = true;
  stops[1].thread.included = false;
  EmbDesign saved;
  rebuildDesign(stops, RebuildMode::ForSaving, saved);
  ASSERT_EQ(saved.threads.size(), 2u);
  EXPECT_EQ(saved.threads[1].displayName, "t2");
  // Block 0's five stitches after its opening jump, then the change, then a jump over the
  // removed block from the end of block 0 to the start of block 2, then block 2 itself.
  const std::size_t change = 6;
  ASSERT_TRUE(saved.stitches[change].isColorChange());
  const Stitch& over = saved.stitches[change + 1];
  EXPECT_TRUE(over.isJump());
  EXPECT_EQ(over.dx, stops[2].startX - stops[0].endX);
  EXPECT_EQ(over.dy, stops[2].startY - stops[0].endY);
  std::vector<test::Position> expected;
  for (std::size_t i : {0u, 2u}) {
    auto p = needlePositions(stops[i]);
    expected.insert(expected.end(), p.begin(), p.end());
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(needlePositions(saved), expected);
}

TEST(RebuildDesign, AnEmptyFirstStopStillOwnsTheFirstColourChange) {
  // Without the opening change the second stop's stitches would be sewn in the first
  // (empty) stop's thread.
  EmbDesign d = blocksDesign({0x01, 0x02, 0x03}, {6, 6});
  std::vector<ColorStop> stops = buildStops(d);
  moveStop(stops, 2, 0);
  EmbDesign shown;
  std::vector<BlockSpan> spans;
  rebuildDesign(stops, RebuildMode::AllStops, shown, &spans);
  EXPECT_EQ(shown.threads.size(), shown.colorChangeCount() + 1);
  EXPECT_TRUE(shown.stitches.front().isColorChange());
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[0].first, spans[0].end);
  EXPECT_EQ(spans[1].first, 1u);
}

TEST(RebuildDesign, ALongWayBackIsSplitIntoJumpsThatFitARecord) {
  EmbDesign d = blocksDesign({0x01, 0x02}, {3, 3});
  std::vector<ColorStop> stops = buildStops(d);
  stops[1] = makeStop(stops[1].thread, 70000, -40000, {st(1, 1)});
  EmbDesign shown;
  rebuildDesign(stops, RebuildMode::AllStops, shown);
  const Bounds64 b = measureBounds(shown.stitches);
  EXPECT_EQ((std::pair{b.endX, b.endY}), (std::pair<std::int64_t, std::int64_t>{70001, -39999}));
}

TEST(StopRows, TextAndJoinMarks) {
  EmbDesign d = blocksDesign({0x10, 0x10, 0x20, 0x30}, {4, 5, 6, 7});
  d.threads[2].displayName = "Rayon 1";
  d.threads[3].displayName = "RAYON 1";
  std::vector<ColorStop> stops = buildStops(d);
  EXPECT_EQ(stopRows(stops)[1].text, "2: t1,  6 st");  // the opening jump counts
  for (const StopRow& row : stopRows(stops)) EXPECT_FALSE(row.joinedAfter || row.joinedBefore);

  stops[1].thread.keepStop = false;  // same colour as the row above
  stops[3].thread.keepStop = false;  // same name as the row above, ignoring case
  const std::vector<StopRow> rows = stopRows(stops);
  EXPECT_TRUE(rows[0].joinedAfter && rows[1].joinedBefore);
  EXPECT_FALSE(rows[1].joinedAfter || rows[2].joinedBefore);
  EXPECT_TRUE(rows[2].joinedAfter && rows[3].joinedBefore);
  EXPECT_FALSE(rows[1].keptBefore);
  EXPECT_FALSE(rows[0].keptAfter);
  EXPECT_TRUE(rows[1].keptAfter);
}

}  // namespace
}  // namespace lh
