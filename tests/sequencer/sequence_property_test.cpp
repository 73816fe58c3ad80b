// Random designs under random command sequences: whatever the user does, the design handed
// back sews every needle position of the blocks not removed, and nothing else.
#include <gtest/gtest.h>

#include <random>

#include "sequencer/sequence_model.h"
#include "tests/sequencer/sequencer_fixtures.h"

namespace lh {
namespace {

using test::needlePositions;
using test::Position;

constexpr std::uint32_t kColors[] = {0x0000AA, 0x00BB00, 0xCC0000};
const char* const kNames[] = {"Rayon 1", "RAYON 1", "Poly 2"};

EmbDesign randomDesign(std::mt19937& rng) {
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  auto move = [&] { return std::uniform_int_distribution<int>(-60, 60)(rng); };
  EmbDesign d;
  d.stitches.push_back(Stitch(move(), move(), true));
  const int records = 1 + pick(120);
  for (int i = 0; i < records; ++i) {
    switch (pick(12)) {
      case 0: d.stitches.push_back(Stitch(0, 0, false, true)); break;
      case 1: d.stitches.push_back(Stitch(move(), move(), pick(2) == 0, true)); break;  // change with a move
      case 2: d.stitches.push_back(Stitch(move(), move(), true)); break;
      case 3: d.stitches.push_back(Stitch::withFlags(Trim, move(), move())); break;
      default: d.stitches.push_back(Stitch(move(), move())); break;
    }
  }
  // Sometimes fewer or more threads than blocks.
  const int blocks = static_cast<int>(d.colorChangeCount()) + 1;
  const int threads = std::max(0, blocks + pick(5) - 2);
  for (int t = 0; t < threads; ++t) d.threads.emplace_back(kNames[pick(3)], kColors[pick(3)], 0);
  return d;
}

void randomCommand(SequenceModel& m, std::mt19937& rng) {
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const int rows = static_cast<int>(m.stops().size());
  switch (pick(11)) {
    case 0: m.select(static_cast<std::size_t>(pick(rows + 1))); break;
    case 1:
    case 2: m.move(static_cast<MoveCommand>(pick(6))); break;
    case 3: m.toggleRemove(); break;
    case 4: m.toggleKeepStop(); break;
    case 5: pick(3) == 0 ? m.showSelected() : m.showAll(); break;
    case 6: m.colorChosen(ThreadColor(kNames[pick(3)], kColors[pick(3)], 0)); break;
    case 7: m.insertColorStop(pick(static_cast<int>(m.design().stitches.size()) + 3), pick(8) == 0); break;
    case 8:
    case 9: m.undo(); break;
    default: m.redo(); break;
  }
}

// The original's positions without those of the removed stops.
std::vector<Position> expectedSaved(const std::vector<Position>& original, const SequenceModel& m) {
  std::vector<Position> removed;
  for (const ColorStop& stop : m.stops()) {
    if (!stop.thread.removed) continue;
    const std::vector<Position> p = needlePositions(stop);
    removed.insert(removed.end(), p.begin(), p.end());
  }
  std::sort(removed.begin(), removed.end());
  std::vector<Position> out;
  std::set_difference(original.begin(), original.end(), removed.begin(), removed.end(),
                      std::back_inserter(out));
  return out;
}

TEST(SequenceProperty, EverySaveKeepsTheNeedlePositionsOfTheBlocksNotRemoved) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const EmbDesign original = randomDesign(rng);
    const std::vector<Position> positions = needlePositions(original);
    SequenceModel m;
    m.load(original);
    const int commands = std::uniform_int_distribution<int>(1, 30)(rng);
    for (int c = 0; c < commands; ++c) {
      randomCommand(m, rng);
      std::vector<Position> held;
      for (const ColorStop& stop : m.stops()) {
        const std::vector<Position> p = needlePositions(stop);
        held.insert(held.end(), p.begin(), p.end());
      }
      std::sort(held.begin(), held.end());
      ASSERT_EQ(held, positions) << "after command " << c;

      const EmbDesign saved = m.designForSaving();
      ASSERT_EQ(needlePositions(saved), expectedSaved(positions, m)) << "after command " << c;
      if (!saved.threads.empty()) {
        ASSERT_EQ(saved.threads.size(), saved.colorChangeCount() + 1);
      }
      if (m.showColors() == ShowColors::All) {
        ASSERT_EQ(needlePositions(m.design()), needlePositions(saved)) << "after command " << c;
      }
    }
  }
}

}  // namespace
}  // namespace lh
