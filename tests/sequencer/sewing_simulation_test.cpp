#include "sequencer/sewing_simulation.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::st;

TEST(SewingSimulation, SpeedGivesIntervalsAndSteps) {
  struct Case {
    int speed, startInterval, runningInterval, steps;
  };
  const Case cases[] = {
      {500, 0, 100, 1},    // d = 0: no wait, one stitch a tick
      {1000, 1, 100, 62},  // the fastest: 1 ms and (1000 - 499) / 8 stitches
      {1, 332, 332, 1},    // the slowest
      {501, 0, 100, 1},    // above 500 the step count still rounds up to 1
      {750, 1, 100, 31},  {200, 200, 200, 1}, {0, 332, 332, 1},  // clamped to 1
      {5000, 1, 100, 62},                                        // clamped to 1000
  };
  for (const Case& c : cases) {
    SewingSimulation sim;
    sim.setSpeed(c.speed);
    EXPECT_EQ(sim.startInterval(), c.startInterval) << c.speed;
    EXPECT_EQ(sim.runningInterval(), c.runningInterval) << c.speed;
    EXPECT_EQ(sim.steps(), c.steps) << c.speed;
  }
}

TEST(SewingSimulation, SewRunsToTheEndAndShowsTheWholeDesignAgain) {
  SewingSimulation sim;
  sim.setStitchCount(130);
  sim.setSpeed(1000);
  sim.sew();
  EXPECT_TRUE(sim.timerRunning());
  EXPECT_EQ(sim.interval(), 1);
  std::vector<std::int64_t> positions{sim.position()};
  while (sim.timerRunning()) {
    sim.tick();
    positions.push_back(sim.position());
  }
  EXPECT_EQ(positions, (std::vector<std::int64_t>{1, 63, 125, 130, 0}));
  EXPECT_TRUE(sim.showsWholeDesign());
  EXPECT_FALSE(sim.isPaused());
  sim.sew();  // a new run starts from the first stitch
  EXPECT_EQ(sim.position(), 1);
}

TEST(SewingSimulation, UnsewTakesStitchesBackToTheStart) {
  SewingSimulation sim;
  sim.setStitchCount(3);
  sim.unsew();
  EXPECT_TRUE(sim.isUnsewing());
  EXPECT_EQ(sim.position(), 3);
  EXPECT_EQ(sim.scrollThumb(), sim.scrollRange());
  sim.tick();
  EXPECT_EQ(sim.position(), 2);
  sim.tick();
  EXPECT_EQ(sim.position(), 1);
  sim.tick();  // would reach 0: the simulation ends
  EXPECT_FALSE(sim.timerRunning());
  EXPECT_FALSE(sim.isUnsewing());
  EXPECT_EQ(sim.position(), 0);
}

TEST(SewingSimulation, StopPausesThenEnds) {
  SewingSimulation sim;
  sim.setStitchCount(100);
  sim.sew();
  sim.sew();  // ignored while the timer runs
  for (int i = 0; i < 9; ++i) sim.tick();
  ASSERT_EQ(sim.position(), 10);

  sim.stop();
  EXPECT_FALSE(sim.timerRunning());
  EXPECT_TRUE(sim.isPaused());
  EXPECT_EQ(sim.position(), 10);
  EXPECT_FALSE(sim.showsWholeDesign());
  sim.tick();  // no timer, no move
  EXPECT_EQ(sim.position(), 10);

  sim.stop();
  EXPECT_FALSE(sim.isPaused());
  EXPECT_TRUE(sim.showsWholeDesign());
  EXPECT_FALSE(sim.active());
}

TEST(SewingSimulation, SewAfterPauseGoesOnAndStopAtTheFirstStitchDoesNotPause) {
  SewingSimulation sim;
  sim.setStitchCount(100);
  sim.sew();
  sim.tick();
  sim.tick();
  sim.stop();
  sim.sew();
  EXPECT_EQ(sim.position(), 3);
  EXPECT_FALSE(sim.isPaused());

  SewingSimulation fresh;
  fresh.setStitchCount(100);
  fresh.sew();
  fresh.stop();  // position 1: nothing to pause at
  EXPECT_FALSE(fresh.isPaused());
  EXPECT_FALSE(fresh.timerRunning());
}

TEST(SewingSimulation, SpeedSliderRestartsOnlyARunningTimer) {
  SewingSimulation sim;
  sim.setStitchCount(100);
  sim.setSpeed(1000);
  EXPECT_EQ(sim.interval(), 0);
  sim.sew();
  EXPECT_EQ(sim.interval(), 1);
  sim.setSpeed(100);  // d = -266
  EXPECT_EQ(sim.interval(), 266);
  sim.setSpeed(900);
  EXPECT_EQ(sim.interval(), 100);
}

TEST(SewingSimulation, ScrollBarRangeAndThumb) {
  SewingSimulation sim;
  sim.setStitchCount(25000);
  EXPECT_EQ(sim.scrollRange(), 10000);
  sim.dragTo(5000);
  EXPECT_EQ(sim.position(), 12500);
  EXPECT_EQ(sim.scrollThumb(), 5000);
  EXPECT_TRUE(sim.isPaused());
  sim.dragTo(10000);
  EXPECT_EQ(sim.position(), 25000);
  sim.dragTo(0);  // position 0 becomes 1, which is not a pause
  EXPECT_EQ(sim.position(), 1);
  EXPECT_FALSE(sim.isPaused());

  SewingSimulation small;
  small.setStitchCount(50);
  EXPECT_EQ(small.scrollRange(), 50);
  SewingSimulation empty;
  EXPECT_EQ(empty.scrollRange(), 0);
  EXPECT_EQ(empty.scrollThumb(), 0);
}

TEST(SewingSimulation, LineMovesStayInsideAndPauseARunningSimulation) {
  SewingSimulation sim;
  sim.setStitchCount(4);
  sim.lineLeft();
  EXPECT_EQ(sim.position(), 1);
  sim.sew();
  sim.tick();
  sim.lineRight();
  EXPECT_FALSE(sim.timerRunning());
  EXPECT_TRUE(sim.isPaused());
  EXPECT_EQ(sim.position(), 3);
  sim.lineRight();
  sim.lineRight();
  EXPECT_EQ(sim.position(), 4);
}

TEST(SewingSimulation, PageMovesGoFromColorChangeToColorChange) {
  const std::vector<Stitch> records{st(1, 0), st(1, 0), colorChange(), colorChange(),
                                    st(1, 0), st(1, 0), colorChange(), st(1, 0)};
  SewingSimulation sim;
  sim.setStitchCount(static_cast<std::int64_t>(records.size()));
  sim.lineRight();
  ASSERT_EQ(sim.position(), 1);
  std::vector<std::int64_t> right;
  for (int i = 0; i < 3; ++i) {
    sim.pageRight(records);
    right.push_back(sim.position());
  }
  // The run of two colour changes counts as one place; past the last one the end is reached.
  EXPECT_EQ(right, (std::vector<std::int64_t>{3, 7, 8}));
  sim.dragTo(7);
  std::vector<std::int64_t> left;
  for (int i = 0; i < 3; ++i) {
    sim.pageLeft(records);
    left.push_back(sim.position());
  }
  EXPECT_EQ(left, (std::vector<std::int64_t>{4, 1, 1}));
}

TEST(SewingSimulation, StatusTexts) {
  const std::vector<Stitch> records{st(10, 20), jump(5, -5), colorChange(), st(-3, 0)};
  struct Case {
    std::int64_t position;
    const char* stitch;
    const char* color;
    const char* needle;
  };
  const Case cases[] = {
      {0, "St: 0", "Col: 1", "x:0.0 y:0.0 "},   {1, "St: 1", "Col: 1", "x:1.0 y:2.0 "},
      {2, "St: 2", "Col: 1", "x:1.5 y:1.5 JS"}, {3, "St: 3", "Col: 2", "x:1.5 y:1.5 CS"},
      {4, "St: 4", "Col: 2", "x:1.2 y:1.5 "},
  };
  for (const Case& c : cases) {
    const SimulationStatus s = simulationStatus(records, c.position);
    EXPECT_EQ(s.stitch, c.stitch);
    EXPECT_EQ(s.color, c.color) << c.position;
    EXPECT_EQ(s.needle, c.needle) << c.position;
  }
  // A kept walk going forwards and back gives the same texts as a fresh one.
  NeedleWalk walk;
  for (std::int64_t p : {1, 3, 4, 2, 0, 4}) {
    const SimulationStatus kept = simulationStatus(records, p, walk);
    EXPECT_EQ(kept.needle, simulationStatus(records, p).needle) << p;
    EXPECT_EQ(kept.color, simulationStatus(records, p).color) << p;
  }
  const SimulationStatus none = simulationStatus({}, 3);
  EXPECT_TRUE(none.stitch.empty() && none.color.empty() && none.needle.empty());
}

}  // namespace
}  // namespace lh
