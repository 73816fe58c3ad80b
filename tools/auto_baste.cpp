#include "tools/auto_baste.h"

#include <algorithm>
#include <vector>

#include "design/design_limits.h"
#include "tools/setting_keys.h"

namespace lh {

namespace {

// Emits the outline's relative records while tracking the absolute needle position.
class Outline {
 public:
  Outline(int x, int y) : x_(x), y_(y) {}
  void move(int dx, int dy) {
    records.emplace_back(dx, dy);
    x_ += dx;
    y_ += dy;
  }
  void down() { records.emplace_back(0, 0); }
  int x() const { return x_; }
  int y() const { return y_; }
  std::vector<Stitch> records;

 private:
  int x_, y_;
};

}  // namespace

BasteSettings loadBasteSettings(const SettingsStore& store) {
  BasteSettings s;
  s.length = readSetting(store, kBasteLength);
  s.combine = readSetting(store, kBasteCombine) != 0;
  s.cross = readSetting(store, kBasteCross) != 0;
  s.edge = readSetting(store, kBasteEdge);
  return s;
}

bool autoBaste(EmbDesign& design, const BasteSettings& settings, const HoopRect& hoop, ToolReport& report) {
  // Centring moves the origin only, so the step can be checked before anything changes.
  design.computeBounds();
  int d = clampToInt32(std::max(design.width(), design.height()) - 4);
  const int arm = d / 10;
  if (settings.cross) d /= 4;
  const int step = std::min(10 * settings.length, d);
  if (design.stitches.empty() || step <= 0) {
    report.addLine(design.path + " is too small to baste.");
    return false;
  }
  design.centreDesign();

  const int e = 10 * settings.edge;
  int x0 = design.minX - e, x1 = design.maxX + e;
  int y0 = design.minY - e, y1 = design.maxY + e;
  if (x0 < hoop.left || y0 < hoop.top || x1 > hoop.right || y1 > hoop.bottom) {
    // The widened outline would leave the hoop: hug the design instead.
    x0 = design.minX;
    x1 = design.maxX;
    y0 = design.minY;
    y1 = design.maxY;
  }

  std::vector<ThreadColor> oldThreads = std::move(design.threads);
  std::vector<Stitch> oldRecords = std::move(design.stitches);
  ThreadColor baste;
  if (!settings.combine && !oldThreads.empty() && oldThreads.front().rgb == 0) baste.rgb = 0xFF0000;

  // A jump from the origin to the upper left corner, a needle-down and a 1 mm tie-in.
  Outline o(x0, y1);
  o.records.push_back(Stitch(x0, y1, true));
  o.down();
  o.move(10, 0);
  o.move(-10, 0);
  // Each tick points towards the design and comes back to the side.
  auto tick = [&](int dx, int dy) {
    o.move(dx, dy);
    o.move(-dx, -dy);
    o.down();
  };
  const int midX = x0 + (x1 - x0) / 2;
  const int midY = y0 + (y1 - y0) / 2;

  // Upper side, left to right.
  if (settings.cross) {
    while (o.x() < midX - step) o.move(step, 0);
    o.move(midX - o.x(), 0);
    o.down();
    tick(0, -arm);
  }
  while (o.x() < x1 - step) o.move(step, 0);
  o.move(x1 - o.x(), 0);
  o.down();
  // Right side, downwards.
  if (settings.cross) {
    while (o.y() > midY + step) o.move(0, -step);
    o.move(0, midY - o.y());
    o.down();
    tick(-arm, 0);
  }
  while (o.y() > y0 + step) o.move(0, -step);
  o.move(0, y0 - o.y());
  o.down();
  // Lower side, right to left.
  if (settings.cross) {
    while (o.x() > midX + step) o.move(-step, 0);
    o.move(midX - o.x(), 0);
    o.down();
    tick(0, arm);
  }
  while (o.x() > x0 + step) o.move(-step, 0);
  o.move(x0 - o.x(), 0);
  o.down();
  // Left side, upwards, ending where the outline began.
  if (settings.cross) {
    while (o.y() < midY - step) o.move(0, step);
    o.move(0, midY - o.y());
    o.down();
    tick(arm, 0);
  }
  while (o.y() < y1 - step) o.move(0, step);
  o.move(0, y1 - o.y());

  design.stitches = std::move(o.records);
  design.threads.clear();
  design.threads.push_back(baste);
  if (settings.combine) {
    if (!oldThreads.empty()) design.stitches.push_back(Stitch::withFlags(ColorChange));
    if (!oldRecords.empty()) oldRecords.front().addMove(-x0, -y1);
    design.threads.insert(design.threads.end(), oldThreads.begin(), oldThreads.end());
    design.stitches.insert(design.stitches.end(), oldRecords.begin(), oldRecords.end());
  }
  design.centreDesign();
  design.computeBlockStats();
  return true;
}

}  // namespace lh
