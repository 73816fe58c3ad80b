#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "formats/dst.h"
#include "tests/support/cli_run.h"
#include "tests/support/design_builder.h"
#include "tests/zip/temp_dir.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

using test::colorChange;
using test::jump;
using test::makeDesign;
using test::st;

using test::CliRun;

// Runs loomhall-cli with the arguments; stderr is dropped.
CliRun cli(std::initializer_list<std::string> args) {
  std::string words;
  for (const std::string& a : args) words += " " + test::shellQuote(a);
  return test::runCli(words);
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DesignCodec codec;
    EmbDesign d =
        makeDesign({st(100, 0), st(0, 100), jump(200, 50), st(-100, 0), colorChange(), st(30, 30)});
    const auto image = writeDst(codec, d);
    ASSERT_TRUE(image);
    dir.write("rose.dst", *image);
    archive = dir.file("designs.zip");
    ASSERT_TRUE(ZipArchive::writeMember(archive, "flowers/rose.dst", *image));
    member = makeZipPath(archive, "flowers/rose.dst");
  }
  test::TempDir dir;
  std::string archive, member;
};

TEST_F(CliTest, DumpsJsonInTheSharedSchema) {
  const CliRun r = cli({"dump", "--json", member});
  ASSERT_EQ(r.status, 0);
  const auto j = nlohmann::ordered_json::parse(r.out);
  std::vector<std::string> keys;
  for (const auto& [k, v] : j.items()) keys.push_back(k);
  EXPECT_EQ(keys,
            (std::vector<std::string>{"path", "result", "pesVersion", "bounds", "threads", "stitches"}));
  EXPECT_EQ(j["path"], member);
  EXPECT_EQ(j["result"], 0);
  ASSERT_EQ(j["threads"].size(), 2u);
  EXPECT_EQ(j["threads"][0]["rgb"], "#000000");
  EXPECT_EQ(j["threads"][1]["rgb"], "#0000FF");
  EXPECT_EQ(j["threads"][1]["displayName"], "Blue");
  EXPECT_GT(j["threads"][0]["stitchCount"].get<int>(), 0);
  const auto& stitches = j["stitches"];
  ASSERT_FALSE(stitches.empty());
  int colorChanges = 0, width = 0;
  for (const auto& s : stitches) {
    ASSERT_EQ(s.size(), 3u);
    colorChanges += s[0].get<int>() & 1;
  }
  width = j["bounds"]["maxX"].get<int>() - j["bounds"]["minX"].get<int>();
  EXPECT_EQ(colorChanges, 1);
  EXPECT_EQ(width, 300);

  const CliRun missing = cli({"dump", "--json", dir.file("none.dst")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(nlohmann::json::parse(missing.out)["result"], -255);
  EXPECT_EQ(cli({"dump", member}).status, 2);
}

TEST_F(CliTest, RendersBmpAndPngWithoutOverwriting) {
  const CliRun bmp = cli({"render", "--size", "64", member, dir.file("rose.bmp")});
  ASSERT_EQ(bmp.status, 0);
  EXPECT_EQ(bmp.out, dir.file("rose.bmp") + "\n");
  const auto b = dir.read("rose.bmp");
  ASSERT_GT(b.size(), 54u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[18], 64);  // width

  const CliRun png =
      cli({"render", "--3d", "--jumps", "--background", "#102030", member, dir.file("rose.png")});
  ASSERT_EQ(png.status, 0);
  const auto p = dir.read("rose.png");
  ASSERT_GT(p.size(), 8u);
  EXPECT_EQ(std::string(p.begin() + 1, p.begin() + 4), "PNG");

  const CliRun again = cli({"render", member, dir.file("rose.png")});
  EXPECT_EQ(again.out, dir.file("rose(2).png") + "\n");
  EXPECT_EQ(dir.read("rose.png"), p);

  EXPECT_EQ(cli({"render", member, dir.file("rose.gif")}).status, 2);
  EXPECT_EQ(cli({"render", "--size", "5", member, dir.file("x.png")}).status, 2);
  // A file that does not load is drawn as the missing-file picture, and the run fails.
  EXPECT_EQ(cli({"render", dir.file("none.dst"), dir.file("none.png")}).status, 1);
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST_F(CliTest, InfoAndConvert) {
  const CliRun info = cli({"info", dir.file("rose.dst"), member});
  ASSERT_EQ(info.status, 0);
  // 30 x 18 mm: the jump's end counts in the bounds.
  EXPECT_EQ(firstLine(info.out).rfind(dir.file("rose.dst") + "\t3.00 cm x 1.80 cm : ", 0), 0u) << info.out;
  EXPECT_EQ(info.out.substr(info.out.find('\n') + 1).rfind(member + "\t3.00 cm x 1.80 cm : ", 0), 0u)
      << info.out;
  EXPECT_TRUE(info.out.ends_with(" Stitches\t2\n")) << info.out;
  EXPECT_EQ(cli({"info", dir.file("rose.dst"), dir.file("none.dst")}).status, 1);

  // Each run saves under a new name and names it first.
  const CliRun first = cli({"convert", "--to", "exp", dir.file("rose.dst")});
  const CliRun second = cli({"convert", "--to", "EXP", dir.file("rose.dst")});
  ASSERT_EQ(first.status, 0);
  EXPECT_EQ(firstLine(first.out), dir.file("rose.exp"));
  EXPECT_EQ(firstLine(second.out), dir.file("rose(2).exp"));
  EXPECT_NE(dir.read("rose.exp"), std::vector<std::uint8_t>{});
  // From an archive without --out: a new member of the same archive.
  const CliRun zipped = cli({"convert", "--to", "exp", member});
  EXPECT_EQ(firstLine(zipped.out), makeZipPath(archive, "flowers/rose.exp"));
  EXPECT_TRUE(ZipArchive::memberExists(archive, "flowers/rose.exp"));
  const CliRun out = cli({"convert", "--to", "dst", "--out", dir.path().string(), member});
  EXPECT_EQ(firstLine(out.out), dir.file("rose(2).dst"));
}

TEST(CliCorpus, DumpsAndRendersEveryCorpusDst) {
  const std::filesystem::path folder = std::filesystem::path(LH_CORPUS_DIR) / "dst";
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no design corpus at " << folder;
  test::TempDir dir;
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    const std::string path = e.path().string();
    const CliRun dump = cli({"dump", "--json", path});
    EXPECT_EQ(dump.status, 0) << path;
    EXPECT_FALSE(nlohmann::json::parse(dump.out)["stitches"].empty()) << path;
    EXPECT_EQ(cli({"render", "--size", "48", path, dir.file("out.png")}).status, 0) << path;
    ++n;
  }
  EXPECT_GT(n, 0);
}

}  // namespace
}  // namespace lh
