#pragma once
// The sewing simulation as a state machine: the window's timer calls tick() at interval()
// while timerRunning(), and every call says what the preview shows afterwards (the whole
// design, or the records before position()). Nothing here draws or owns a timer, so tests
// drive it call by call.
#include <cstdint>
#include <span>
#include <string>

#include "design/stitch.h"

namespace lh {

class SewingSimulation {
 public:
  static constexpr int kMinSpeed = 1;
  static constexpr int kMaxSpeed = 1000;
  static constexpr int kStartSpeed = 500;
  static constexpr int kMaxScrollRange = 10000;

  // A new design (or a rebuilt one) of `stitchCount` records: the simulation ends and the
  // position returns to 0.
  void setStitchCount(std::int64_t stitchCount);
  std::int64_t stitchCount() const { return count_; }

  // Sew and Un-Sew; nothing while the timer runs. A paused simulation goes on from its place.
  void sew();
  void unsew();
  // One timer tick: steps() records forwards, or back when un-sewing; ends at either end.
  void tick();
  // The Stop button: the first press pauses, a press while paused ends the simulation.
  void stop();
  // Ends the simulation: timer off, flags cleared, position 0, the whole design shown.
  void end();

  // The "Speed:" slider (clamped to 1 .. 1000); a running timer restarts with
  // runningInterval().
  void setSpeed(int speed);
  int speed() const { return speed_; }
  // Timer interval in ms when the simulation starts, and after the slider moved while sewing.
  int startInterval() const;
  int runningInterval() const;
  // The interval the timer currently runs with.
  int interval() const { return interval_; }
  // Records per tick.
  int steps() const;

  // The stitch scroll bar: range 0 .. min(stitch count, 10000) and the thumb for position().
  int scrollRange() const;
  int scrollThumb() const;
  // Scroll moves: one record, to the previous or next colour change, or to a dragged thumb.
  // Each pauses a running simulation and leaves the position at 1 or more.
  void lineLeft();
  void lineRight();
  void pageLeft(std::span<const Stitch> stitches);
  void pageRight(std::span<const Stitch> stitches);
  void dragTo(int thumb);
  // Puts the position at `position` (at least 1) as a scroll move does, e.g. after a colour
  // stop was inserted there.
  void moveTo(std::int64_t position);

  std::int64_t position() const { return position_; }
  bool timerRunning() const { return sewing_; }
  bool isUnsewing() const { return unsewing_; }
  bool isPaused() const { return paused_; }
  // The preview shows the whole design (no simulation position), else records 0 .. position() - 1.
  bool showsWholeDesign() const { return position_ <= 0; }
  // Whether a simulation is under way (sewing or paused); editing commands end it first.
  bool active() const { return sewing_ || paused_; }

 private:
  void startTimer();

  std::int64_t count_ = 0;
  std::int64_t position_ = 0;
  int speed_ = kStartSpeed;
  int interval_ = 0;
  bool sewing_ = false;
  bool unsewing_ = false;
  bool paused_ = false;
};

// The status bar texts for a simulation at `position` over `stitches`: "St: %i", "Col: %i"
// (the 1-based block being sewn) and "x:%2.1f y:%2.1f %s" (the needle in mm, "CS" on a colour
// change, "JS" on a jump). All three are empty for a design without records.
struct SimulationStatus {
  std::string stitch;
  std::string color;
  std::string needle;
};
SimulationStatus simulationStatus(std::span<const Stitch> stitches, std::int64_t position);

// The needle after the first `count` records, kept between calls so that a running simulation
// walks only the records it added. Start a new walk (NeedleWalk{}) whenever the design changes.
struct NeedleWalk {
  std::int64_t count = 0;
  std::int64_t x = 0, y = 0;
  int colorChanges = 0;
  void advanceTo(std::span<const Stitch> stitches, std::int64_t position);
};
SimulationStatus simulationStatus(std::span<const Stitch> stitches, std::int64_t position, NeedleWalk& walk);

}  // namespace lh
