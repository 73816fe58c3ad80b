#include "formats/emd.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/design_builder.h"
#include "threads/format_palettes.h"
#include "threads/pec_palette.h"
#include "threads/thread_matching.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

using test::sewnPoints;

// An EMD image: a blank 50-byte header, then the pairs.
ByteBuffer emdFile(std::vector<std::uint8_t> pairs) {
  ByteBuffer f;
  f.reserve(50 + pairs.size());
  f.resize(50, 0);
  f.insert(f.end(), pairs.begin(), pairs.end());
  return f;
}

std::string nearestPecName(int r, int g, int b) { return std::string(pecColorName(nearestPecColor(r, g, b, false, false))); }

class TempDir {
 public:
  TempDir() : path_(std::filesystem::temp_directory_path() / ("lh-emd-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name, std::string_view content = {}) const {
    const auto p = path_ / name;
    if (!content.empty()) std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }

 private:
  std::filesystem::path path_;
};

TEST(ReadEmd, DecodesPairsAndCommands) {
  DesignCodec codec;
  struct Case {
    const char* what;
    std::vector<std::uint8_t> pairs;
    std::vector<Point> points;  // needle positions relative to the first
    std::size_t colorChanges;
  };
  const Case cases[] = {
      {"stitches", {0x0A, 0x00, 0x00, 0x0A, 0xF6, 0xF6}, {{0, 0}, {0, 10}, {-10, 0}}, 0},
      {"colour change", {0x0A, 0x00, 0x80, 0x2A, 0x00, 0x0A}, {{0, 0}, {0, 10}}, 1},
      // a jump carries the next pair; 80 90..92 are zero jumps; a jump swallows one stitch
      {"jumps", {0x01, 0x00, 0x80, 0x80, 0x14, 0x00, 0x00, 0x00, 0x80, 0x91, 0x05, 0x00, 0x05, 0x00},
       {{0, 0}, {30, 0}}, 0},
      {"80 with another byte is a move of -128", {0x01, 0x00, 0x80, 0x05}, {{0, 0}, {-128, 5}}, 0},
      {"end mark in the middle", {0x01, 0x00, 0x80, 0xFD, 0x05, 0x00}, {{0, 0}}, 0},
      {"odd last byte", {0x01, 0x00, 0x02, 0x00, 0x03}, {{0, 0}, {2, 0}}, 0},
  };
  for (const Case& c : cases) {
    EmbDesign d;
    ASSERT_EQ(readEmd(codec, d, emdFile(c.pairs)), ReadResult::Ok) << c.what;
    EXPECT_EQ(sewnPoints(d), c.points) << c.what;
    EXPECT_EQ(d.colorChangeCount(), c.colorChanges) << c.what;
    EXPECT_EQ(d.threads.size(), c.colorChanges + 1) << c.what;
  }
}

TEST(ReadEmd, PaletteColorsWithoutWrapping) {
  std::vector<std::uint8_t> pairs = {0x05, 0x05};
  for (int k = 0; k < 30; ++k) pairs.insert(pairs.end(), {0x80, 0x2A, 0x05, 0x05});
  pairs.insert(pairs.end(), {0x80, 0xFD});
  DesignCodec codec;
  EmbDesign d;
  ASSERT_EQ(readEmd(codec, d, emdFile(pairs)), ReadResult::Ok);
  ASSERT_EQ(d.threads.size(), 31u);
  EXPECT_EQ(d.threads[0].displayName, "Black");
  EXPECT_EQ(d.threads[1].displayName, "Blue");
  EXPECT_EQ(d.threads[28].displayName, "Light Brown");
  EXPECT_EQ(d.threads[29].displayName, "Light Gray");
  EXPECT_EQ(d.threads[30].displayName, "Light Gray");
  EXPECT_EQ(d.threads[30].chartCode, 30);
}

TEST(EmdColors, CompanionTextReplacesColors) {
  auto design = [](std::size_t colors) {
    EmbDesign d;
    for (std::size_t n = 0; n < colors; ++n) d.threads.push_back(husqvarnaColor(static_cast<int>(n)));
    return d;
  };
  {  // two listed, three in the design
    EmbDesign d = design(3);
    applyEmdColors(d, "2\r\n1,10,20,200\r\n2, 255 ,255,255\r\n");
    EXPECT_EQ(d.threads[0].rgb, rgbOf(10, 20, 200));
    EXPECT_EQ(d.threads[0].displayName, nearestPecName(10, 20, 200));
    EXPECT_EQ(d.threads[0].colorName, nearestPecName(10, 20, 200));
    EXPECT_EQ(d.threads[1].rgb, rgbOf(255, 255, 255));
    EXPECT_EQ(d.threads[1].displayName, "White");
    EXPECT_EQ(d.threads[2].displayName, "Light Green");  // untouched
  }
  {  // more listed than the design has; missing lines and short lines stop the list
    EmbDesign d = design(2);
    applyEmdColors(d, "5\n1,0,0,255\n2,0,255,0\n3,1,1,1\n");
    EXPECT_EQ(d.threads[0].rgb, rgbOf(0, 0, 255));
    EXPECT_EQ(d.threads[1].rgb, rgbOf(0, 255, 0));
    EmbDesign e = design(3);
    applyEmdColors(e, "3\n1,0,0,255\n2,7\n3,1,1,1\n");
    EXPECT_EQ(e.threads[0].rgb, rgbOf(0, 0, 255));
    EXPECT_EQ(e.threads[1].displayName, "Blue");
    EXPECT_EQ(e.threads[2].displayName, "Light Green");
    EmbDesign f = design(2);
    applyEmdColors(f, "2\n1,300,-5,x\n");
    EXPECT_EQ(f.threads[0].rgb, rgbOf(255, 0, 0));
    EXPECT_EQ(f.threads[1].displayName, "Blue");
  }
  EXPECT_EQ(emdColorPath("/a/b/Cake 3.emd"), "/a/b/Cake 3.col");
  EXPECT_EQ(emdColorPath("Zip:/a/x.zip:d/one.EMD"), "Zip:/a/x.zip:d/one.col");
  EXPECT_EQ(emdColorPath("/a/noext"), "");
}

// The companion is read through the codec's file access: beside a plain file, inside the
// same zip archive as a member, or not at all.
TEST(ReadEmd, CompanionFileBesideTheDesign) {
  const ByteBuffer emd = emdFile({0x05, 0x05, 0x80, 0x2A, 0x05, 0x05, 0x80, 0xFD});
  const std::string text = "2\r\n1,0,0,255\r\n2,255,0,0\r\n";
  TempDir dir;
  DesignCodec codec;

  EmbDesign plain;
  plain.path = dir.file("design.emd");
  dir.file("design.col", text);
  ASSERT_EQ(readEmd(codec, plain, emd), ReadResult::Ok);
  EXPECT_EQ(plain.threads[0].rgb, rgbOf(0, 0, 255));
  EXPECT_EQ(plain.threads[1].rgb, rgbOf(255, 0, 0));

  EmbDesign upper;
  upper.path = dir.file("OTHER.EMD");
  dir.file("OTHER.COL", "1\n1,0,255,0\n");
  ASSERT_EQ(readEmd(codec, upper, emd), ReadResult::Ok);
  EXPECT_EQ(upper.threads[0].rgb, rgbOf(0, 255, 0));

  const std::string archive = dir.file("designs.zip");
  ASSERT_TRUE(ZipArchive::writeMember(archive, "sub/z.emd", emd));
  ASSERT_TRUE(ZipArchive::writeMember(archive, "sub/z.col", ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
  EmbDesign zipped;
  zipped.path = makeZipPath(archive, "sub/z.emd");
  ASSERT_EQ(readEmd(codec, zipped, emd), ReadResult::Ok);
  EXPECT_EQ(zipped.threads[1].rgb, rgbOf(255, 0, 0));

  EmbDesign alone;
  alone.path = dir.file("alone.emd");
  ASSERT_EQ(readEmd(codec, alone, emd), ReadResult::Ok);
  EXPECT_EQ(alone.threads[0].displayName, "Black");
  EXPECT_EQ(alone.threads[1].displayName, "Blue");
}

}  // namespace
}  // namespace lh
