#include "tools/format_code.h"

#include <gtest/gtest.h>

namespace lh {
namespace {

TEST(FormatCode, SourceCodesRelabelTheExtension) {
  struct Case {
    const char* path;
    int code;
    const char* relabelled;
  };
  const Case cases[] = {
      {"/d/rose.pes", FormatPes, "/d/rose.pes"},     {"/d/ROSE.PEC", FormatPes, "/d/ROSE.PES"},
      {"/d/rose.phb", FormatPes, "/d/rose.PES"},     {"/d/rose.Art", FormatPes, "/d/rose.PES"},
      {"/d/rose.emb", FormatPes, "/d/rose.PES"},     {"/d/rose.shv", FormatVip, "/d/rose.VIP"},
      {"/d/rose.jan", FormatJef, "/d/rose.JEF"},     {"/d/rose.jef+", FormatJef, "/d/rose.jef+"},
      {"/d/rose.Vp3", FormatVp3, "/d/rose.Vp3"},     {"/d/rose.exp", FormatExp, "/d/rose.exp"},
      {"/d/rose.emd", FormatEmd, "/d/rose.emd"},     {"/d/rose.txt", FormatTxt, "/d/rose.txt"},
      {"/d/rose.bmp", FormatBmp, "/d/rose.bmp"},     {"/d/rose.zip", FormatNone, "/d/rose.zip"},
      {"/d.x/rose", FormatNone, "/d.x/rose"},        {"Zip:/a/b.zip:in/rose.phc", FormatPes, "Zip:/a/b.zip:in/rose.PES"},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    EXPECT_EQ(sourceFormatCode(path), c.code) << c.path;
    EXPECT_EQ(path, c.relabelled) << c.path;
  }
}

TEST(FormatCode, HoopAndOpenLookups) {
  struct Case {
    const char* ext;
    int hoop;
    int open;
  };
  const Case cases[] = {
      {"pes", 0, 0},   {"phc", 10, 10}, {"phd", 10, 10}, {"jef+", 2, 2}, {"jan", 2, 21}, {"art", 7, 19},
      {"emb", 7, 20},  {"exp", 7, 7},   {"pec", 11, 11}, {"shv", 13, 13}, {"TXT", 17, 17}, {"bmp", 16, 16},
      {"zip", -1, -1},
  };
  for (const Case& c : cases) {
    const std::string path = std::string("/x/a.") + c.ext;
    EXPECT_EQ(hoopFormatCode(path), c.hoop) << c.ext;
    EXPECT_EQ(openFormatCode(path), c.open) << c.ext;
  }
}

TEST(FormatCode, ExtensionsAndNames) {
  EXPECT_EQ(replaceExtension("/a/rose.pes", "dst"), "/a/rose.dst");
  EXPECT_EQ(replaceExtension("/a/rose", "dst"), "/a/rose.dst");
  EXPECT_EQ(replaceExtension("/a/rose.", "dst"), "/a/rose.dst");
  EXPECT_EQ(replaceExtension("/a.b/rose", "dst"), "/a.b/rose.dst");
  EXPECT_EQ(formatExtension(FormatVp3), ".vp3");
  EXPECT_EQ(formatExtension(FormatTxt), ".txt");
  EXPECT_EQ(formatExtension(FormatPhc), "");
  EXPECT_EQ(formatName(FormatXxx), "XXX");
  EXPECT_EQ(formatName(-1), "");
  EXPECT_EQ(formatCodeOfName("exp"), FormatExp);
  EXPECT_EQ(formatCodeOfName(".BMP"), FormatBmp);
  EXPECT_EQ(formatCodeOfName("pec"), FormatNone);
}

}  // namespace
}  // namespace lh
