#include "desktop/thumbnail.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

struct PngSize {
  int width = 0, height = 0;
  bool seeThrough = false;  // has a tRNS chunk
};

// The IHDR size of a PNG file image, and whether it has a transparency table.
PngSize pngSize(const std::vector<std::uint8_t>& png) {
  PngSize s;
  if (png.size() < 33 || std::string(png.begin() + 12, png.begin() + 16) != "IHDR") return s;
  auto be32 = [&](std::size_t at) { return int(png[at]) << 24 | int(png[at + 1]) << 16 | int(png[at + 2]) << 8 | int(png[at + 3]); };
  s.width = be32(16);
  s.height = be32(20);
  s.seeThrough = std::string(png.begin(), png.end()).find("tRNS") != std::string::npos;
  return s;
}

// `s` as one single-quoted shell word.
std::string quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string sample(const std::string& name) { return std::string(LH_SAMPLES_DIR) + "/" + name; }

int runThumbnailer(const std::string& args) {
  const std::string cmd = quoted(LH_THUMBNAILER) + " " + args + " 2>/dev/null";
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ThumbnailSize, ParsesDigitsInRange) {
  EXPECT_EQ(parseThumbnailSize("128"), 128);
  EXPECT_EQ(parseThumbnailSize("16"), kMinThumbnailSize);
  EXPECT_EQ(parseThumbnailSize("2048"), kMaxThumbnailSize);
  for (const char* bad : {"", "15", "2049", "0", "-128", "+128", " 128", "128px", "12.5", "99999999999999"})
    EXPECT_FALSE(parseThumbnailSize(bad)) << '"' << bad << '"';
}

TEST(ThumbnailSize, LongerSideTakesTheSize) {
  EmbDesign wide;
  wide.minX = -500, wide.maxX = 500, wide.minY = -100, wide.maxY = 100;
  EmbDesign tall;
  tall.minX = -100, tall.maxX = 100, tall.minY = -500, tall.maxY = 500;
  EmbDesign point;  // one stitch at the centre
  // The drawn part is 116 pixels for 1000 units; the shorter side draws 23 of them plus the
  // renderer's 6-pixel margins and a pixel of rounding.
  EXPECT_EQ(thumbnailSize(wide, 128).width, 128);
  EXPECT_EQ(thumbnailSize(wide, 128).height, 37);
  EXPECT_EQ(thumbnailSize(tall, 128).width, 37);
  EXPECT_EQ(thumbnailSize(tall, 128).height, 128);
  EXPECT_EQ(thumbnailSize(point, 128).width, 128);
  EXPECT_EQ(thumbnailSize(point, 128).height, 128);
  // A line: the margins alone on the short side.
  wide.minY = wide.maxY = 0;
  EXPECT_EQ(thumbnailSize(wide, 64).height, 13);
}

// A hostile file of a million stitches across the whole design is drawn smaller, so that its
// drawing stays within the budget; real designs keep the size asked for.
TEST(ThumbnailSize, DrawingBudget) {
  EmbDesign hostile;
  hostile.stitches.reserve(1'000'000);
  for (int i = 0; i < 500'000; ++i) {
    hostile.stitches.emplace_back(120, 120);
    hostile.stitches.emplace_back(-120, -120);
  }
  hostile.minX = hostile.minY = -60;
  hostile.maxX = hostile.maxY = 60;
  const int size = affordableSize(hostile, 1024);
  EXPECT_LT(size, 1024);
  EXPECT_GE(size, kMinThumbnailSize);
  // Each stitch crosses the drawn square's side once.
  EXPECT_LE(std::int64_t{size - 12} * 1'000'000 + 1'000'000, kMaxDrawingSteps);
  EXPECT_GT(std::int64_t{size + 1 - 12} * 1'000'000 + 1'000'000, kMaxDrawingSteps);

  // Jumps are not drawn, so they cost nothing.
  for (Stitch& s : hostile.stitches) s = Stitch(s.dx, s.dy, true);
  EXPECT_EQ(affordableSize(hostile, 1024), 1024);

  DesignCodec codec;
  EmbDesign flower;
  codec.busyCount.fetch_add(1);
  ASSERT_EQ(codec.loadDesign(&flower, sample("flower.pes")), LoadResult::Ok);
  EXPECT_EQ(affordableSize(flower, kMaxThumbnailSize), kMaxThumbnailSize);
}

TEST(DesignThumbnail, SamplesAtMostTheSizeAndSeeThrough) {
  DesignCodec codec;
  struct Case {
    const char* file;
    int size;
    bool wide;
  } cases[] = {{"flower.pes", 128, false}, {"letters.pes", 127, true}, {"spiral.dst", 256, true}};
  for (const Case& c : cases) {
    auto made = designThumbnail(codec, sample(c.file), c.size);
    ASSERT_TRUE(std::holds_alternative<std::vector<std::uint8_t>>(made)) << c.file;
    const PngSize s = pngSize(std::get<std::vector<std::uint8_t>>(made));
    EXPECT_EQ(c.wide ? s.width : s.height, c.size) << c.file;  // odd sizes too
    EXPECT_LE(c.wide ? s.height : s.width, c.size) << c.file;
    EXPECT_GT(c.wide ? s.height : s.width, c.size / 4) << c.file;
    EXPECT_TRUE(s.seeThrough) << c.file;
  }
}

TEST(DesignThumbnail, RefusesWhatIsNoDesign) {
  test::TempDir dir;
  dir.write("notes.txt", {'h', 'i', '\n'});
  dir.write("empty.pes", {});
  dir.write("noise.pes", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  DesignCodec codec;
  for (const std::string& path :
       {dir.file("notes.txt"), dir.file("empty.pes"), dir.file("noise.pes"), dir.file("missing.dst"),
        std::string(LH_TEST_DATA_DIR) + "/loading/bomb-64mib.zip", std::string(LH_TEST_DATA_DIR) + "/loading/not-a-bitmap.bmp",
        "Zip:" + sample("more-samples.zip") + ":flower.pes"})
    EXPECT_TRUE(std::holds_alternative<ThumbnailFailure>(designThumbnail(codec, path, 128))) << path;
}

// The program as a file manager runs it: a PNG at OUTPUT, or nothing at all and a failure.
TEST(Thumbnailer, WritesThePictureOrNothing) {
  test::TempDir dir;
  const std::string out = dir.file("out.png");
  ASSERT_EQ(runThumbnailer("-s 96 " + quoted(sample("quilt.pes")) + " " + quoted(out)), 0);
  const PngSize s = pngSize(dir.read("out.png"));
  EXPECT_EQ(std::max(s.width, s.height), 96);

  // A failure leaves the folder as it was: no picture, no staged file, an old OUTPUT intact.
  dir.write("noise.dst", {0xFF, 0xFF});
  const std::string bad[] = {std::string(LH_TEST_DATA_DIR) + "/loading/hostile-names.zip",
                             std::string(LH_TEST_DATA_DIR) + "/loading/utf16-cut.txt", dir.file("noise.dst"),
                             dir.file("nothing-here.pes")};
  for (const std::string& input : bad) {
    EXPECT_EQ(runThumbnailer("-s 128 " + quoted(input) + " " + quoted(dir.file("new.png"))), 1)
        << input;
    EXPECT_EQ(runThumbnailer("-s 128 " + quoted(input) + " " + quoted(out)), 1) << input;
  }
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"noise.dst", "out.png"}));
  EXPECT_EQ(pngSize(dir.read("out.png")).height, s.height);
}

TEST(Thumbnailer, UsageErrorsWriteNothing) {
  test::TempDir dir;
  const std::string in = quoted(sample("flower.pes"));
  const std::string out = quoted(dir.file("out.png"));
  for (const std::string& args : {"-s 0 " + in + " " + out, "-s 15 " + in + " " + out, "-s big " + in + " " + out,
                                  "-s " + in + " " + out, in + " " + out, "-s 128 " + in, "-s 128 -q " + in + " " + out,
                                  "-s 128 " + in + " " + out + " extra"})
    EXPECT_EQ(runThumbnailer(args), 2) << args;
  EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
}  // namespace lh
