#include "sequencer/sewing_simulation.h"

#include <algorithm>
#include <cstdio>

namespace lh {

void SewingSimulation::setStitchCount(std::int64_t stitchCount) {
  count_ = std::max<std::int64_t>(0, stitchCount);
  end();
}

void SewingSimulation::end() {
  sewing_ = false;
  unsewing_ = false;
  paused_ = false;
  position_ = 0;
}

void SewingSimulation::startTimer() {
  interval_ = startInterval();
  sewing_ = true;
  paused_ = false;
}

void SewingSimulation::sew() {
  if (sewing_) return;
  unsewing_ = false;
  if (!paused_) position_ = 1;
  startTimer();
}

void SewingSimulation::unsew() {
  if (sewing_) return;
  unsewing_ = true;
  if (!paused_) position_ = count_;
  startTimer();
}

void SewingSimulation::tick() {
  if (!sewing_) return;
  const std::int64_t n = steps();
  if (unsewing_) {
    if (position_ - n <= 0) return end();
    position_ -= n;
    return;
  }
  if (position_ >= count_) return end();
  position_ = std::min(position_ + n, count_);
}

void SewingSimulation::stop() {
  sewing_ = false;
  if (paused_) return end();
  paused_ = position_ > 1;
}

void SewingSimulation::setSpeed(int speed) {
  speed_ = std::clamp(speed, kMinSpeed, kMaxSpeed);
  if (sewing_) interval_ = runningInterval();
}

int SewingSimulation::startInterval() const {
  const int d = (2 * speed_ - 1000) / 3;
  return d > 0 ? 1 : -d;
}

int SewingSimulation::runningInterval() const {
  const int d = (2 * speed_ - 1000) / 3;
  return d > 0 || -d < 100 ? 100 : -d;
}

int SewingSimulation::steps() const { return speed_ <= 500 ? 1 : std::max(1, (speed_ - 499) / 8); }

int SewingSimulation::scrollRange() const {
  return static_cast<int>(std::min<std::int64_t>(count_, kMaxScrollRange));
}

int SewingSimulation::scrollThumb() const {
  if (count_ <= 0) return 0;
  return static_cast<int>(std::clamp<std::int64_t>(position_, 0, count_) * scrollRange() / count_);
}

void SewingSimulation::moveTo(std::int64_t position) {
  if (sewing_) sewing_ = false;  // a running simulation pauses at the new place
  position_ = std::clamp<std::int64_t>(position, 1, std::max<std::int64_t>(count_, 1));
  paused_ = position_ > 1;
}

void SewingSimulation::lineLeft() { moveTo(position_ - 1); }
void SewingSimulation::lineRight() { moveTo(position_ + 1); }

// The current record is the last one sewn (position - 1). Page moves skip a run of colour
// changes at the current record, then go to the next colour change in that direction, which
// becomes the current record.
void SewingSimulation::pageLeft(std::span<const Stitch> stitches) {
  std::int64_t j = std::min<std::int64_t>(position_, static_cast<std::int64_t>(stitches.size())) - 1;
  while (j >= 0 && stitches[static_cast<std::size_t>(j)].isColorChange()) --j;
  while (j >= 0 && !stitches[static_cast<std::size_t>(j)].isColorChange()) --j;
  moveTo(j + 1);
}

void SewingSimulation::pageRight(std::span<const Stitch> stitches) {
  const auto n = static_cast<std::int64_t>(stitches.size());
  std::int64_t j = std::max<std::int64_t>(position_ - 1, 0);
  while (j < n && stitches[static_cast<std::size_t>(j)].isColorChange()) ++j;
  while (j < n && !stitches[static_cast<std::size_t>(j)].isColorChange()) ++j;
  moveTo(j + 1);
}

void SewingSimulation::dragTo(int thumb) {
  const int range = scrollRange();
  if (range <= 0) return moveTo(1);
  moveTo(count_ * std::clamp(thumb, 0, range) / range);
}

void NeedleWalk::advanceTo(std::span<const Stitch> stitches, std::int64_t position) {
  const std::int64_t p = std::clamp<std::int64_t>(position, 0, static_cast<std::int64_t>(stitches.size()));
  if (p < count) *this = NeedleWalk{};
  for (; count < p; ++count) {
    const Stitch& s = stitches[static_cast<std::size_t>(count)];
    x += s.dx;
    y += s.dy;
    if (s.isColorChange()) ++colorChanges;
  }
}

SimulationStatus simulationStatus(std::span<const Stitch> stitches, std::int64_t position) {
  NeedleWalk walk;
  return simulationStatus(stitches, position, walk);
}

SimulationStatus simulationStatus(std::span<const Stitch> stitches, std::int64_t position, NeedleWalk& walk) {
  if (stitches.empty()) return {};
  walk.advanceTo(stitches, position);
  const std::int64_t p = walk.count;
  const int block = p < 2 ? 1 : walk.colorChanges + 1;
  const char* mark = "";
  if (p > 0) {
    const Stitch& current = stitches[static_cast<std::size_t>(p - 1)];
    if (current.isColorChange())
      mark = "CS";
    else if (current.isJump())
      mark = "JS";
  }
  char buf[96];
  SimulationStatus out;
  std::snprintf(buf, sizeof buf, "St: %lld", static_cast<long long>(position));
  out.stitch = buf;
  std::snprintf(buf, sizeof buf, "Col: %i", block);
  out.color = buf;
  std::snprintf(buf, sizeof buf, "x:%2.1f y:%2.1f %s", static_cast<double>(walk.x) * 0.1,
                static_cast<double>(walk.y) * 0.1, mark);
  out.needle = buf;
  return out;
}

}  // namespace lh
