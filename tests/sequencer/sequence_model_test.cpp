#include "sequencer/sequence_model.h"

#include <gtest/gtest.h>

#include "tests/sequencer/sequencer_fixtures.h"

namespace lh {
namespace {

using test::blocksDesign;
using test::needlePositions;
using test::order;

constexpr std::uint32_t A = 0x0000AA, B = 0x00BB00, C = 0xCC0000;

SequenceModel loaded(const EmbDesign& d, std::size_t row = 0) {
  SequenceModel m;
  m.load(d);
  m.select(row);
  return m;
}

TEST(SequenceModel, LoadSelectsTheFirstRowAndFramesItsBlock) {
  SequenceModel m;
  const EditResult r = m.load(blocksDesign({A, B}));
  EXPECT_EQ(r.selection, 0u);
  EXPECT_EQ(r.frame, m.stops()[0].bounds);
  EXPECT_TRUE(r.redraw);
  EXPECT_TRUE(m.stops()[0].thread.selected);
  EXPECT_EQ(needlePositions(m.design()), needlePositions(blocksDesign({A, B})));
  EXPECT_EQ(m.rows()[1].text, "2: t1,  11 st");
}

TEST(SequenceModel, MovesAndTheirRefusals) {
  struct Case {
    const char* name;
    std::vector<std::uint32_t> colors;
    std::vector<int> lengths;  // empty: 10 each
    std::size_t row;
    MoveCommand command;
    const char* expected;  // order after the command; unchanged when refused
  };
  const Case cases[] = {
      {"First", {A, B, C}, {}, 2, MoveCommand::First, "t2 t0 t1"},
      {"First on row 0", {A, B, C}, {}, 0, MoveCommand::First, "t0 t1 t2"},
      {"Up", {A, B, C}, {}, 1, MoveCommand::Up, "t1 t0 t2"},
      {"Up on row 0", {A, B, C}, {}, 0, MoveCommand::Up, "t0 t1 t2"},
      {"Down", {A, B, C}, {}, 0, MoveCommand::Down, "t1 t0 t2"},
      {"Down on the last row", {A, B, C}, {}, 2, MoveCommand::Down, "t0 t1 t2"},
      {"Down onto a stop without stitches", {A, B, C}, {10, 10}, 1, MoveCommand::Down, "t0 t1 t2"},
      {"Last", {A, B, C}, {}, 0, MoveCommand::Last, "t1 t2 t0"},
      {"Last on the last row", {A, B, C}, {}, 2, MoveCommand::Last, "t0 t1 t2"},
      {"Prev. Match", {A, B, C, A}, {}, 3, MoveCommand::PrevMatch, "t0 t3 t1 t2"},
      {"Prev. Match skips the matching neighbour", {B, A, A}, {}, 2, MoveCommand::PrevMatch, "t0 t1 t2"},
      {"Prev. Match without a match", {A, B, C}, {}, 2, MoveCommand::PrevMatch, "t0 t1 t2"},
      {"Next Match", {A, B, C, A}, {}, 0, MoveCommand::NextMatch, "t1 t2 t0 t3"},
      {"Next Match skips the matching neighbour", {A, A, B}, {}, 0, MoveCommand::NextMatch, "t0 t1 t2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SequenceModel m = loaded(blocksDesign(c.colors, c.lengths), c.row);
    const std::string before = order(m);
    const EditResult r = m.move(c.command);
    EXPECT_EQ(order(m), c.expected);
    EXPECT_TRUE(r.stopSimulation);
    // Every move records an undo step, also one that changes nothing.
    EXPECT_EQ(m.history().size(), 1u);
    if (order(m) != before) {
      ASSERT_TRUE(r.selection.has_value());
      EXPECT_EQ(m.stops()[*r.selection].thread.stopIndex, static_cast<int>(*r.selection));
      EXPECT_TRUE(m.stops()[*r.selection].thread.selected);
      EXPECT_EQ(m.design().threads[*r.selection].displayName, m.stops()[*r.selection].thread.displayName);
    }
  }
}

TEST(SequenceModel, MovesDoNothingWhileOnlyTheSelectedColourIsShown) {
  SequenceModel m = loaded(blocksDesign({A, B, C}), 1);
  m.showSelected();
  const EditResult r = m.move(MoveCommand::Up);
  EXPECT_EQ(order(m), "t0 t1 t2");
  EXPECT_EQ(m.history().size(), 0u);
  EXPECT_FALSE(r.stopSimulation);
}

TEST(SequenceModel, ShowSelectedShowsOneBlockAndAllShowsTheRestAgain) {
  const EmbDesign d = blocksDesign({A, B, C});
  SequenceModel m = loaded(d, 1);
  EXPECT_TRUE(m.showSelected().redraw);
  ASSERT_EQ(m.design().threads.size(), 1u);
  EXPECT_EQ(m.design().threads[0].displayName, "t1");
  m.select(2);
  EXPECT_EQ(m.design().threads[0].displayName, "t2");
  m.showAll();
  EXPECT_EQ(needlePositions(m.design()), needlePositions(d));
  // The save never depends on what is shown.
  m.showSelected();
  EXPECT_EQ(needlePositions(m.designForSaving()), needlePositions(d));
}

TEST(SequenceModel, RemoveTogglesTheStopOutOfTheDesignAndBackIn) {
  const EmbDesign d = blocksDesign({A, B, C});
  SequenceModel m = loaded(d, 1);
  m.toggleRemove();
  EXPECT_TRUE(m.removeChecked());
  EXPECT_TRUE(m.rows()[1].removed);
  EXPECT_FALSE(m.rows()[1].included);
  EXPECT_EQ(m.design().threads.size(), 2u);
  EXPECT_EQ(m.designForSaving().threads.size(), 2u);
  EXPECT_EQ(m.stops().size(), 3u);  // still listed
  m.toggleRemove();
  EXPECT_FALSE(m.removeChecked());
  EXPECT_EQ(needlePositions(m.designForSaving()), needlePositions(d));
}

TEST(SequenceModel, KeepColorStopNeedsTheSameNameAboveAndDecidesTheMerge) {
  EmbDesign d = blocksDesign({A, A, A});
  d.threads[0].displayName = "Rayon 1";
  d.threads[1].displayName = "Rayon 1";
  d.threads[2].displayName = "RAYON 1";  // a name differing in case does not enable it
  SequenceModel m = loaded(d, 2);
  EXPECT_FALSE(m.keepStopEnabled());
  m.toggleKeepStop();
  EXPECT_EQ(m.history().size(), 0u);
  EXPECT_TRUE(m.stops()[2].thread.keepStop);

  m.select(1);
  EXPECT_TRUE(m.keepStopEnabled());
  EXPECT_TRUE(m.keepStopChecked());
  EXPECT_EQ(m.designForSaving().threads.size(), 3u);
  const EditResult r = m.toggleKeepStop();
  EXPECT_FALSE(r.stopSimulation);
  EXPECT_EQ(r.selection, 1u);
  EXPECT_FALSE(m.keepStopChecked());
  EXPECT_TRUE(m.rows()[0].joinedAfter);
  const EmbDesign saved = m.designForSaving();
  EXPECT_EQ(saved.threads.size(), 2u);
  EXPECT_EQ(saved.colorChangeCount(), 1u);
  EXPECT_EQ(needlePositions(saved), needlePositions(d));
}

TEST(SequenceModel, ColourChosenReplacesTheThreadButKeepsCountsAndFlags) {
  SequenceModel m = loaded(blocksDesign({A, B}), 1);
  m.toggleRemove();
  ThreadColor first("Isacord 1800", 0x112233, ChartIsacord);
  first.paletteIndex = 7;
  m.colorChosen(first);
  ThreadColor chosen("Isacord 1902", 0x2233CC, ChartIsacord);
  chosen.paletteIndex = 12;
  chosen.stitchCount = 999;
  const EditResult r = m.colorChosen(chosen);
  EXPECT_EQ(r.releasedPaletteSlot, 7);
  const StopThread& t = m.stops()[1].thread;
  EXPECT_EQ(t.displayName, "Isacord 1902");
  EXPECT_EQ(t.rgb, 0x2233CCu);
  EXPECT_EQ(t.paletteIndex, 12);
  EXPECT_EQ(t.stitchCount, 11);
  EXPECT_TRUE(t.removed);
  EXPECT_EQ(m.history().size(), 3u);
  m.toggleRemove();
  EXPECT_EQ(m.designForSaving().threads[1].rgb, 0x2233CCu);
}

TEST(SequenceModel, UndoAndRedo) {
  SequenceModel m = loaded(blocksDesign({A, B, C}), 2);
  EXPECT_TRUE(m.undo().stopSimulation);  // nothing recorded yet: only stops the simulation
  EXPECT_FALSE(m.redo().selection.has_value());

  m.move(MoveCommand::First);
  ASSERT_EQ(order(m), "t2 t0 t1");
  EditResult r = m.undo();
  EXPECT_EQ(order(m), "t0 t1 t2");
  EXPECT_EQ(r.selection, 2u);  // the stop selected when the step was recorded
  EXPECT_EQ(r.simPosition, 0);
  EXPECT_EQ(m.undo().selection, 2u);  // stays on the oldest
  EXPECT_EQ(order(m), "t0 t1 t2");
  r = m.redo();
  EXPECT_EQ(order(m), "t2 t0 t1");
  EXPECT_EQ(r.selection, 0u);
  m.redo();  // stays on the newest
  EXPECT_EQ(order(m), "t2 t0 t1");

  // A new edit after Undo discards the redo branch.
  m.undo();
  m.move(MoveCommand::Last);
  ASSERT_EQ(order(m), "t0 t1 t2");  // t2 was selected and is last already
  m.select(0);
  m.move(MoveCommand::Down);
  ASSERT_EQ(order(m), "t1 t0 t2");
  m.redo();
  EXPECT_EQ(order(m), "t1 t0 t2");
  m.undo();
  m.undo();
  m.undo();
  EXPECT_EQ(order(m), "t0 t1 t2");
  m.redo();
  m.redo();
  m.redo();
  EXPECT_EQ(order(m), "t1 t0 t2");
  EXPECT_EQ(m.history().size(), 3u);
}

TEST(SequenceModel, UndoReachesBackFiftyStatesAtMost) {
  // Every edit names the first stop's thread after the edit's number.
  SequenceModel m = loaded(blocksDesign({A, B}), 0);
  for (int edit = 1; edit <= 60; ++edit) {
    ThreadColor t("edit " + std::to_string(edit), A, 0);
    m.colorChosen(t);
  }
  for (int i = 0; i < 100; ++i) m.undo();
  EXPECT_EQ(m.history().size(), UndoHistory::kLimit);
  // The live state and 49 states before it survive: the oldest reachable is after edit 11.
  EXPECT_EQ(m.stops()[0].thread.displayName, "edit 11");
}

TEST(SequenceModel, InsertColorStop) {
  // Records: block 0 is 0..10 (jump + 10), the colour change at 11, block 1 is 12..22.
  const EmbDesign d = blocksDesign({A, B});
  struct Case {
    const char* name;
    int simPosition;
    bool running;
    bool selectedMode;
    std::optional<Notice> notice;
    const char* expected;
  };
  const Case cases[] = {
      {"simulation running", 16, true, false, std::nullopt, "t0 t1"},
      {"only the selected colour shown", 16, false, true, SequenceModel::kInsertNeedsAll, "t0 t1"},
      {"at the beginning", 1, false, false, SequenceModel::kInsertAtBeginning, "t0 t1"},
      {"on the colour change", 12, false, false, std::nullopt, "t0 t1"},
      {"one stitch after a colour change", 13, false, false, std::nullopt, "t0 t1"},
      {"beyond the design", 40, false, false, std::nullopt, "t0 t1"},
      {"inside the second block", 16, false, false, std::nullopt, "t0 t1 t1"},
      {"inside the first block", 3, false, false, std::nullopt, "t0 t0 t1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SequenceModel m = loaded(d);
    if (c.selectedMode) m.showSelected();
    const EditResult r = m.insertColorStop(c.simPosition, c.running);
    EXPECT_EQ(r.stopSimulation, c.running);
    EXPECT_EQ(r.notice, c.notice);
    EXPECT_EQ(order(m), c.expected);
    const bool inserted = m.stops().size() == 3;
    EXPECT_EQ(m.history().size(), inserted ? 1u : 0u);
    if (!inserted) continue;
    // The colour change goes in before the last simulated record, which the simulation
    // position still points at.
    std::vector<Stitch> expected = d.stitches;
    expected.insert(expected.begin() + c.simPosition - 1, Stitch::withFlags(ColorChange));
    EXPECT_EQ(m.design().stitches, expected);
    EXPECT_EQ(r.simPosition, c.simPosition + 1);
    const std::size_t newRow = c.simPosition < 12 ? 1 : 2;
    EXPECT_EQ(r.selection, newRow);
    const StopThread& t = m.stops()[newRow].thread;
    EXPECT_TRUE(t.included && t.keepStop && !t.removed);
    EXPECT_EQ(t.rgb, m.stops()[newRow - 1].thread.rgb);
    EXPECT_EQ(m.designForSaving().threads.size(), 3u);  // kept apart although equal
  }
}

TEST(SequenceModel, InsertColorStopAfterARemovedBlockCutsTheBlockShown) {
  // With block 0 removed, the working design starts with block 1; the cut belongs there.
  SequenceModel m = loaded(blocksDesign({A, B, C}), 0);
  m.toggleRemove();
  m.insertColorStop(6, false);
  EXPECT_EQ(order(m), "t0 t1 t1 t2");
  EXPECT_EQ(m.stops()[0].size(), 11u);
  EXPECT_EQ(m.stops()[1].size() + m.stops()[2].size(), 11u);
}

TEST(SequenceModel, UndoAfterInsertColorStopJoinsTheBlockAgain) {
  const EmbDesign d = blocksDesign({A, B});
  SequenceModel m = loaded(d);
  m.insertColorStop(5, false);
  ASSERT_EQ(m.stops().size(), 3u);
  m.undo();
  EXPECT_EQ(order(m), "t0 t1");
  EXPECT_EQ(m.design().stitches, d.stitches);
}

}  // namespace
}  // namespace lh
