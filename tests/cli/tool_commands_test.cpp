// The tool commands of loomhall-cli, run as a program over files made by the test.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/support/cli_run.h"
#include "tests/support/process_guards.h"
#include "tests/tools/tool_fixtures.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

using test::CliRun;
using test::sampleDesign;
using test::shellQuote;

// Runs loomhall-cli with `args` (already quoted), settings isolated in a scratch folder.
CliRun cli(const std::string& args, const std::string& home) { return test::runCli(args, home); }

class CliTools : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 3; ++i) test::writeDst(sampleDesign(300 * i, 200, 2), in / ("d" + std::to_string(i) + ".dst"));
    test::writeAll(in / "notes.txt", "not a design");
  }
  test::ScratchDir in, out, home;
};

TEST_F(CliTools, ConvertAFolderInParallel) {
  const CliRun r = cli("convert --to exp -j 2 " + shellQuote(in.path()), home.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, in / "d1.exp\n" + in / "d2.exp\n" + in / "d3.exp\nPreferred file type: EXP\n3 files were created.\n");
  // Again: never overwritten.
  const CliRun again = cli("convert --to exp -j 2 " + shellQuote(in / "d1.dst"), home.path());
  EXPECT_EQ(again.out, in / "d1(2).exp\nPreferred file type: EXP\n1 file was created.\n");
}

TEST_F(CliTools, TooBigFailsTheRun) {
  test::writeDst(sampleDesign(3100, 200), in / "wide.dst");
  const CliRun r = cli("convert --to jef --out " + shellQuote(out.path()) + " --set Conversion/jefr=0 " + shellQuote(in / "wide.dst"),
                    home.path());
  EXPECT_EQ(r.status, 1);
  // The line names the design that failed, not the file it would have become.
  EXPECT_EQ(r.out, in / "wide.dst is too big for the new format.\nNo work completed.\n");
}

TEST_F(CliTools, OutputFolderTakesCopiesAndArchiveMembers) {
  const std::string archive = in / "set.zip";
  ASSERT_TRUE(ZipArchive::writeMember(archive, "inner/rose.dst", test::readAll(in / "d1.dst")));
  const CliRun r = cli("convert --to dst --out " + shellQuote(out.path()) + " " + shellQuote(archive) + " " + shellQuote(in / "d2.dst"), home.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(out.files(), (std::vector<std::string>{"d2.dst", "rose.dst"}));
}

TEST_F(CliTools, ToolsWriteTheToolFormat) {
  struct Case {
    const char* args;
    const char* file;
  };
  const Case cases[] = {
      {"baste --to exp", "d1+Baste.exp"},
      {"baste --keep", "d1+Baste.dst"},
      {"baste --set 'Settings/Tools selected=7'", "d1+Baste.exp"},
      {"notes", "d1.txt"},
      {"preview --set 'Settings/BMP Size=100'", "d1.bmp"},
      {"reduce --needles 1 --to dst", "d1 Reduced.dst"},
  };
  for (const Case& c : cases) {
    test::ScratchDir own;
    const CliRun r = cli(std::string(c.args) + " --out " + shellQuote(own.path()) + " " + shellQuote(in / "d1.dst"), home.path());
    EXPECT_EQ(r.status, 0) << c.args;
    EXPECT_EQ(own.files(), std::vector<std::string>{c.file}) << c.args;
  }
}

TEST_F(CliTools, UsageErrors) {
  for (const char* args : {"convert --to pec x.pes", "convert --to", "reduce x.pes", "sort -j 0 x.pes", "sort",
                           "baste --set nokey x.pes", "sort --to txt x.pes"})
    EXPECT_EQ(cli(args, home.path()).status, 2) << args;
  EXPECT_EQ(cli("sort " + shellQuote(in / "missing.dst"), home.path()).status, 1);
}

// Workers save side by side; every file they create honours the user's umask (the program
// inherits the test's).
TEST_F(CliTools, ParallelConversionHonoursTheUmask) {
  for (int i = 4; i <= 24; ++i) test::writeDst(sampleDesign(100 + 20 * i, 200), in / ("d" + std::to_string(i) + ".dst"));
  test::ScopedUmask mask(027);
  const CliRun r = cli("convert --to dst --force -j 8 --out " + shellQuote(out.path()) + " " + shellQuote(in.path()), home.path());
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(out.files().size(), 24u);
  for (const std::string& name : out.files()) {
    struct stat st {};
    ASSERT_EQ(::stat((out / name).c_str(), &st), 0) << name;
    EXPECT_EQ(st.st_mode & 07777, 0640u) << name;
  }
}

}  // namespace
}  // namespace lh
