#include "browser/app/frame_settings.h"

#include <gtest/gtest.h>

#include "design/settings.h"

namespace lh {
namespace {

TEST(FrameSettings, StoredRectanglesKeepTheirLimits) {
  struct Case {
    int x, y, width, height;
    WindowRect saved;
  } cases[] = {
      {10, 20, 800, 600, {10, 20, 810, 620}},
      {10, 20, 50, 600, {10, 20, 110, 620}},   // narrower than 100
      {-30, -5, 800, 10, {0, 0, 800, 25}},     // off the screen's edge, lower than 25
  };
  for (const Case& c : cases) {
    EXPECT_EQ(storableRect(c.x, c.y, c.width, c.height), c.saved) << c.x << "," << c.width;
  }
}

TEST(FrameSettings, MinimisedAtCloseKeepsTheShowStateAndHiddenPreviewKeepsItsHeight) {
  MemorySettings store;
  store.setInt("Settings", "maximized", kShowMaximized);
  store.setInt("Settings", "Split2", 240);
  FrameAtClose frame;
  frame.minimized = true;
  frame.previewShown = false;
  frame.x = 5;
  frame.y = 6;
  frame.width = 700;
  frame.height = 500;
  frame.split = 310;
  frame.split2 = 99;
  frame.lastPath = "/data/designs";
  store.setString("Settings", kLastFileKey, "/data/designs/rose.pes");
  saveFrameSettings(store, frame);

  const FrameSettings s = FrameSettings::load(store, "/home/u");
  EXPECT_EQ(s.showState, kShowMaximized);
  EXPECT_EQ(s.rect, (WindowRect{5, 6, 705, 506}));
  EXPECT_EQ(s.split, 310);
  EXPECT_EQ(s.split2, 240);
  EXPECT_FALSE(s.previewShown);
  EXPECT_EQ(s.lastPath, "/data/designs");
  EXPECT_EQ(store.getString("Settings", kLastFileKey, "x"), "");
}

TEST(FrameSettings, DefaultsOfAFirstStart) {
  MemorySettings store;
  const FrameSettings s = FrameSettings::load(store, "/home/u");
  EXPECT_EQ(s.showState, kShowMaximized);
  EXPECT_FALSE(s.hasRect());
  EXPECT_EQ(s.split, 256);
  EXPECT_EQ(s.split2, 0);
  EXPECT_TRUE(s.previewShown);
  EXPECT_EQ(s.lastPath, "/home/u");
}

}  // namespace
}  // namespace lh
