#include "render/palette_manager.h"

#include <gtest/gtest.h>

#include "design/thread_color.h"

namespace lh {
namespace {

TEST(PaletteManager, QuantisesToStepsOfFifteen) {
  PaletteManager pal;
  const struct {
    int in, out;
  } cases[] = {{0, 0}, {7, 0}, {8, 15}, {22, 15}, {23, 30}, {105, 105}, {240, 240}, {247, 240}, {248, 255}, {255, 255}};
  for (const auto& c : cases) EXPECT_EQ(pal.quantise(c.in), c.out) << c.in;
  pal.setQuantum(0);  // switched off
  EXPECT_EQ(pal.quantise(7), 7);
  EXPECT_EQ(pal.quantise(104), 104);
}

TEST(PaletteManager, StartsWithBlackInSlotZeroOnly) {
  PaletteManager pal;
  EXPECT_EQ(pal.colourOf(0), 0u);
  EXPECT_EQ(pal.usedCount(), 1);
  EXPECT_EQ(pal.shadeMark(), 236);
  EXPECT_FALSE(pal.colourOf(1));
  EXPECT_FALSE(pal.colourOf(236));
  EXPECT_FALSE(pal.colourOf(-1));
  EXPECT_EQ(pal.shadeOut(), (std::array<std::int32_t, 4>{-1, -1, -1, -1}));
}

TEST(PaletteManager, SimilarThreadsShareOneSlot) {
  PaletteManager pal;
  const int a = pal.addColour(100, 100, 100);
  const int b = pal.addColour(104, 98, 101);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, a);
  EXPECT_EQ(pal.colourOf(a), rgbOf(105, 105, 105));
  // Black threads never reuse slot 0: the search starts at slot 1.
  EXPECT_EQ(pal.addColour(0, 0, 0), 2);
  // noSearch takes a new slot even for a colour already present; out-of-range channels clamp.
  EXPECT_EQ(pal.addColour(100, 100, 100, -1, true), 3);
  EXPECT_EQ(pal.addColour(300, -20, 255), 4);
  EXPECT_EQ(pal.colourOf(4), rgbOf(255, 0, 255));
}

TEST(PaletteManager, GivenSlotMustLieBelowShadeMark) {
  PaletteManager pal;
  EXPECT_EQ(pal.addColour(10, 20, 30, 100), 100);
  EXPECT_EQ(pal.colourOf(100), rgbOf(15, 15, 30));
  EXPECT_EQ(pal.findOrAddShade(1, 2, 3), 235);
  EXPECT_EQ(pal.addColour(10, 20, 30, 235), -1);
  EXPECT_EQ(pal.addColour(10, 20, 30, 236), -1);
  EXPECT_EQ(pal.addColour(10, 20, 30, -2), -1);
}

TEST(PaletteManager, FullPaletteRefusesColorsButShadesFallBackToNearest) {
  PaletteManager pal;
  for (int i = 1; i < PaletteManager::kSlots; ++i)
    ASSERT_EQ(pal.addColour(i % 16 * 15, i / 16 * 15, 0, -1, true, true), i);
  EXPECT_EQ(pal.addColour(1, 200, 200), -1);
  EXPECT_EQ(pal.shadeMark(), 236);
  // (14*15, 2*15, 0) is slot 46; a shade close to it gets that slot.
  EXPECT_EQ(pal.findOrAddShade(211, 28, 2, false, false), 2 * 16 + 14);
  EXPECT_EQ(pal.shadeMark(), 236);
}

TEST(PaletteManager, ShadeSlotsComeFromTheTopAndAreReleasedTogether) {
  PaletteManager pal;
  pal.addColour(200, 0, 0);
  EXPECT_EQ(pal.findOrAddShade(10, 10, 10), 235);
  EXPECT_EQ(pal.findOrAddShade(40, 40, 40), 234);
  EXPECT_EQ(pal.findOrAddShade(11, 9, 10), 235);  // quantises to an existing shade
  EXPECT_EQ(pal.findOrAddShade(200, 0, 0), 1);     // an equal thread colour is shared
  EXPECT_EQ(pal.findOrAddShade(11, 9, 10, false, false), 233);  // unquantised: a new slot
  EXPECT_EQ(pal.shadeMark(), 233);
  // Regular colours stop below the shade colours.
  for (int i = 2; i < 233; ++i) ASSERT_EQ(pal.addColour(i, 0, 0, -1, true, true), i);
  EXPECT_EQ(pal.addColour(50, 50, 50, -1, true), -1);

  pal.releaseShadeSlots();
  EXPECT_EQ(pal.shadeMark(), 236);
  EXPECT_FALSE(pal.colourOf(233));
  EXPECT_FALSE(pal.colourOf(235));
  EXPECT_TRUE(pal.colourOf(232));
  EXPECT_EQ(pal.findOrAddShade(10, 10, 10), 235);
}

TEST(PaletteManager, NearestSlotSkipsFreeSlotsAndPrefersTheLowest) {
  PaletteManager pal;
  pal.addColour(30, 30, 30, 5);
  pal.addColour(90, 90, 90, 6);
  pal.addColour(30, 30, 30, 7, true);
  EXPECT_EQ(pal.nearestSlot(40, 40, 40), 5);  // 5 and 7 tie; lower wins
  EXPECT_EQ(pal.nearestSlot(70, 70, 70), 6);
  EXPECT_EQ(pal.nearestSlot(0, 0, 0), 0);
  pal.freeSlot(5);
  EXPECT_EQ(pal.nearestSlot(40, 40, 40), 7);
}

TEST(PaletteManager, FreeingChecksTheRangeAndRefreshesOnce) {
  PaletteManager pal;
  for (int i = 0; i < 10; ++i) pal.addColour(i * 20, 0, 0, -1, false, true);
  EXPECT_EQ(pal.freeSlot(236), PaletteManager::kBadSlot);
  EXPECT_EQ(pal.freeSlot(-1), PaletteManager::kBadSlot);
  EXPECT_EQ(pal.freeSlot(3), 0);
  EXPECT_FALSE(pal.colourOf(3));

  const auto before = pal.refreshCount();
  pal.freeFrom(5);
  EXPECT_EQ(pal.refreshCount(), before + 1);
  EXPECT_TRUE(pal.colourOf(4));
  EXPECT_FALSE(pal.colourOf(5));
  pal.freeFrom(0);  // slot 0 stays black
  pal.freeFrom(236);
  EXPECT_EQ(pal.colourOf(0), 0u);
  EXPECT_EQ(pal.refreshCount(), before + 1);
  EXPECT_EQ(pal.table().size(), static_cast<std::size_t>(pal.usedCount()));
}

}  // namespace
}  // namespace lh
