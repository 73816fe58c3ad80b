#include "browser/view_core/design_cell.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "browser/view_core/view_settings.h"
#include "tests/browser/view_fixture.h"

namespace lh {
namespace {

TEST(DesignCell, ThickLinesFromTwoHundredAndFiftyPixelsWhenShaded) {
  EXPECT_FALSE(thickLinesAt(true, 249));
  EXPECT_TRUE(thickLinesAt(true, 250));
  EXPECT_FALSE(thickLinesAt(false, 250));
  EXPECT_FALSE(thickLinesAt(true, 0));

  // The rendered width is the client width rounded up to even: a 249-pixel cell renders 250.
  const struct {
    int clientWidth;
    bool shaded;
    int renderWidth;
    bool thick;
  } cases[] = {{248, true, 248, false}, {249, true, 250, true}, {250, true, 250, true}, {400, false, 400, false}};
  for (const auto& c : cases) {
    const PictureSpec spec = pictureSpec(cellGeometry(c.clientWidth, 300, 13), c.shaded, false, 0xFFFFFF);
    EXPECT_EQ(spec.width, c.renderWidth) << c.clientWidth;
    EXPECT_EQ(spec.thickLines, c.thick) << c.clientWidth;
  }
}

TEST(DesignCell, GeometryOfCaptionPictureInnerAreaAndFrame) {
  const CellGeometry g = cellGeometry(127, 128, 14);
  EXPECT_EQ(g.caption, (GridRect{0, 0, 127, 20}));
  EXPECT_EQ(g.picture, (GridRect{0, 20, 127, 108}));
  EXPECT_EQ(g.renderWidth, 128);
  EXPECT_EQ(g.renderHeight, 108);
  EXPECT_EQ(g.inner, (GridRect{4, 22, 119, 102}));
  EXPECT_EQ(g.frame, (GridRect{1, 1, 124, 125}));

  const CellGeometry tiny = cellGeometry(5, 8, 14);  // smaller than the strip: nothing negative
  EXPECT_EQ(tiny.caption.height, 8);
  EXPECT_EQ(tiny.renderHeight, 0);
  EXPECT_EQ(tiny.inner.width, 0);
}

TEST(DesignCell, CaptionsAndTmpMarks) {
  EXPECT_EQ(cellCaption(parseItemText("/home/a/rose.pes")), "rose.pes");
  EXPECT_EQ(cellCaption(parseItemText("Zip:/home/a/set.zip:designs/rose.pes")), "rose.pes(zip)");
  EXPECT_EQ(cellCaption(parseItemText("Zip:/home/a/set.zip:rose.pes\tDISK1")), "rose.pes(zip)");
  FileItem odd;  // a member name that still carries its folder
  odd.archive = "/a/set.zip";
  odd.name = "designs/rose.pes";
  EXPECT_EQ(cellCaption(odd), "rose.pes(zip)");
  EXPECT_EQ(cellCaption(FileItem{}), "");

  EXPECT_EQ(tmpMarkColor(false, true), std::nullopt);
  EXPECT_EQ(tmpMarkColor(true, false), std::optional<std::uint32_t>(0x000000));
  EXPECT_EQ(tmpMarkColor(true, true), std::optional<std::uint32_t>(rgbOf(255, 0, 0)));
}

TEST(DesignCell, PictureKindFollowsWhatTheLoadLeft) {
  test::ViewFolder folder;
  struct Case {
    std::string path;
    CellPicture picture;
  };
  const Case cases[] = {
      {folder.addDesign("rose.dst", 1), CellPicture::Design},
      {folder.addText("notes.txt", "Hoop 100 x 100"), CellPicture::Text},
      {folder.addBitmap("rose.bmp"), CellPicture::PictureFile},
      {folder.addDamaged("damaged.pes"), CellPicture::Unreadable},
      {folder.file("gone.pes"), CellPicture::Missing},
      {"Zip:" + folder.file("none.zip") + ":rose.pes", CellPicture::Missing},
  };
  for (const Case& c : cases) {
    DesignCodec codec;
    EmbDesign design;
    codec.busyCount.fetch_add(1);
    const LoadResult result = codec.loadDesign(&design, c.path);
    EXPECT_EQ(cellPictureOf(design, result), c.picture) << c.path;
    EXPECT_EQ(codec.busyCount.load(), 0);
    // Only stitches offer the colour list; the preview reads only a bitmap file again.
    EXPECT_EQ(colorListAfterSwitch(false, c.picture), c.picture == CellPicture::Design) << c.path;
    EXPECT_FALSE(colorListAfterSwitch(true, c.picture)) << c.path;
    EXPECT_EQ(previewTakeOver(c.picture) == PreviewTakeOver::ReadFile, c.picture == CellPicture::PictureFile);
  }
}

TEST(DesignCell, ColorListLinesInMetresAndYards) {
  EmbDesign d = test::makeDesign({test::st(10, 0), test::colorChange(), test::st(0, 10)}, {0x0000FF, 0x00FF00});
  d.threads[0].displayName = "Madeira 1147 Red";
  d.threads[0].stitchCount = 1200;
  d.threads[0].threadLength = 9144;  // 914.4 mm: one yard
  d.threads[1].displayName = "Green";
  d.threads[1].stitchCount = 7;
  d.threads[1].threadLength = 125000;
  const std::vector<ColorLine> metric = colorListLines(d, false);
  ASSERT_EQ(metric.size(), 2u);
  EXPECT_EQ(metric[0], (ColorLine{"1: Madeira 1147 Red,  1200 st.  0.9 m.", 0x0000FF}));
  EXPECT_EQ(metric[1], (ColorLine{"2: Green,  7 st.  12.5 m.", 0x00FF00}));
  const std::vector<ColorLine> inch = colorListLines(d, true);
  EXPECT_EQ(inch[0].text, "1: Madeira 1147 Red,  1200 st.  1.0 yd.");
  EXPECT_EQ(inch[1].text, "2: Green,  7 st.  13.7 yd.");

  d.threads[0].displayName = std::string(300, 'x');  // a long name is not cut off
  EXPECT_EQ(colorListLines(d, false)[0].text.size(), 300u + 22u);
}

TEST(DesignCell, DistanceReadOutAndMenuTexts) {
  const GridRect picture{0, 20, 200, 180};  // centre (100, 110)
  const std::string cap = "rose.pes";
  EXPECT_EQ(distanceText(cap, CellPicture::Design, false, 0.5f, picture, {150, 60, false}, false),
            "Distance From Center: 1.00 cm. x 1.00 cm.");
  EXPECT_EQ(distanceText(cap, CellPicture::Design, false, 0.5f, picture, {50, 160, false}, false),
            "Distance From Center: -1.00 cm. x -1.00 cm.");
  EXPECT_EQ(distanceText(cap, CellPicture::Design, false, 0.5f, picture, {165, 110, false}, true),
            "Distance From Center: (1/2)\" x  (0)\"");
  EXPECT_EQ(distanceText(cap, CellPicture::Design, false, 0.5f, picture, {150, 60, true}, false),
            "Select an image to view.");
  EXPECT_EQ(distanceText("", CellPicture::Empty, false, 0.5f, picture, {150, 60, false}, false),
            "Select an image to view.");
  EXPECT_EQ(distanceText(cap, CellPicture::Design, false, 0.0f, picture, {150, 60, false}, false),
            "Select an image to view.");
  EXPECT_EQ(distanceText("notes.txt", CellPicture::Text, false, 0.5f, picture, {150, 60, false}, false), "notes.txt");
  EXPECT_EQ(distanceText(cap, CellPicture::Design, true, 0.5f, picture, {150, 60, false}, false), cap);

  EXPECT_EQ(previewMenuTexts(false, true, false),
            (std::vector<std::string>{"Show jump stitches", "Turn Instant-3D Off", "Show Color List"}));
  EXPECT_EQ(previewMenuTexts(true, false, false),
            (std::vector<std::string>{"Hide jump stitches", "Turn Instant-3D On", "Show Color List"}));
  EXPECT_EQ(previewMenuTexts(true, true, true), (std::vector<std::string>{"Show Image"}));
}

TEST(DesignCell, ViewTogglesLoadAndStoreEightOrZero) {
  MemorySettings store;
  ViewToggles v = ViewToggles::load(store);
  EXPECT_FALSE(v.previewJumps);
  EXPECT_TRUE(v.preview3D);
  EXPECT_FALSE(v.thumbnails3D);
  EXPECT_EQ(v.thumbnailSize, 1);

  EXPECT_TRUE(v.togglePreviewJumps(store));
  EXPECT_FALSE(v.togglePreview3D(store));
  EXPECT_TRUE(v.toggleThumbnails3D(store));
  EXPECT_EQ(store.getInt("Settings", "PreviewJump", -1), 8);
  EXPECT_EQ(store.getInt("Settings", "Preview3D", -1), 0);
  EXPECT_EQ(store.getInt("Settings", "Thumbnail3D", -1), 8);
  v = ViewToggles::load(store);
  EXPECT_TRUE(v.previewJumps);
  EXPECT_FALSE(v.preview3D);
  EXPECT_TRUE(v.thumbnails3D);

  store.setInt("Settings", "Thumbnail3D", 1);  // only 8 turns thumbnail shading on
  store.setInt("Settings", "PreviewJump", 1);  // any other value than 0 shows jumps
  store.setInt("Settings", "Thumbnail Size", 7);
  v = ViewToggles::load(store);
  EXPECT_FALSE(v.thumbnails3D);
  EXPECT_TRUE(v.previewJumps);
  EXPECT_EQ(v.thumbnailSize, 3);
}

}  // namespace
}  // namespace lh
