// The command line itself, run as a program: options, --set checks, size limits, fit notes,
// --json records and --skip-existing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "tests/support/cli_run.h"
#include "tests/tools/tool_fixtures.h"

namespace lh {
namespace {

using test::CliRun;
using test::sampleDesign;
using test::shellQuote;

class CliOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    test::writeDst(sampleDesign(300, 200, 2), in / "d1.dst");
    test::writeDst(sampleDesign(300, 200), in / "-dash.dst");
    test::writeDst(sampleDesign(600, 200), in / "wide.dst");
  }

  // Runs loomhall-cli with `args` (quoted already) in the input folder, without stored
  // settings; stdout and stderr apart.
  CliRun cli(const std::string& args) const { return test::runCli(args, home.path(), in.path()); }

  test::ScratchDir in, out, home;
};

TEST_F(CliOptions, ArgumentTable) {
  struct Case {
    std::string args;
    int status;
    std::string stderrPart;  // a fragment stderr holds ("" for none asked)
    std::string stdoutPart;
  };
  const Case cases[] = {
      // "--" ends the options, "--to=exp" is "--to exp".
      {"convert --to=exp d1.dst", 0, "", "d1.exp\n"},
      {"convert --to exp -- -dash.dst", 0, "", "-dash.exp\n"},
      {"convert -j2 --to jef d1.dst", 0, "", "d1.jef\n"},
      {"convert --to exp -dash.dst", 2, "Try 'loomhall-cli convert --help'", ""},
      {"convert --to", 2, "--to", ""},
      {"convert --to pec d1.dst", 2, "cannot write 'pec'", ""},
      {"info --bogus d1.dst", 2, "--bogus", ""},
      // Every --set is checked against the settings the tools read.
      {"convert --to sew --set Conversion/sewshpct=abc d1.dst", 2, "needs a whole number, not 'abc'", ""},
      {"convert --set 'Settings/Tools selected=999' d1.dst", 2, "Settings/Tools selected takes 0 to 9", ""},
      {"convert --to jef --set Conversion/jefshpct=101 d1.dst", 2, "takes 0 to 100", ""},
      {"convert --to jef --set Conversion/jefr=2 d1.dst", 2, "takes 0 to 1", ""},
      {"convert --to jef --set Nowhere/jefw=100 d1.dst", 2, "no section 'Nowhere'", ""},
      {"convert --to jef --set Conversion/jefwidth=100 d1.dst", 2, "no tool reads 'Conversion/jefwidth'", ""},
      {"convert --to jef --set 'Settings/Last File=x' d1.dst", 2, "no tool reads", ""},
      {"convert --to vp3 --set Conversion/vp3w=150 d1.dst", 0, "", "d1.vp3\n"},
      // Picture sizes agree with render --size; the preview's own limit is a warning.
      {"preview --set 'Settings/BMP Size=4000' d1.dst", 0, "BMP Size=4000 is outside 32 to 1024; 1024 is used", "d1.bmp\n"},
      {"preview --set 'Settings/BMP Size=4001' d1.dst", 2, "takes 16 to 4000", ""},
      {"render --size 4001 d1.dst x.png", 2, "4000", ""},
      {"render --size=64 d1.dst x.png", 0, "", "x.png\n"},
      {"dump d1.dst", 2, "needs --json", ""},
      {"reduce --to dst d1.dst", 2, "--needles", ""},
      {"match", 2, "COLOUR", ""},
  };
  for (const Case& c : cases) {
    const CliRun r = cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.stderrPart), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_NE(r.out.find(c.stdoutPart), std::string::npos) << c.args << "\n" << r.out;
  }
}

TEST_F(CliOptions, EveryCommandHasHelp) {
  for (const char* command :
       {"charts", "match", "info", "dump", "render", "convert", "sort", "baste", "recover", "notes", "preview", "reduce"}) {
    const CliRun r = cli(std::string(command) + " --help");
    EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
    EXPECT_NE(r.out.find("Usage: loomhall-cli " + std::string(command)), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "") << command;
  }
  EXPECT_NE(cli("convert --help").out.find("--skip-existing"), std::string::npos);
}

TEST_F(CliOptions, TooLargeNamesTheLimit) {
  // A sparse file one byte over the loader's 64 MiB.
  test::writeAll(in / "huge.dst", "");
  ASSERT_EQ(::truncate((in / "huge.dst").c_str(), (64 << 20) + 1), 0);
  const CliRun info = cli("info huge.dst");
  EXPECT_EQ(info.status, 1);
  EXPECT_NE(info.err.find("huge.dst: too large: design files over 64 MiB are not read"), std::string::npos) << info.err;
  const CliRun convert = cli("convert --to exp huge.dst");
  EXPECT_EQ(convert.status, 1);
  EXPECT_NE(convert.err.find("over 64 MiB"), std::string::npos) << convert.err;
}

// The hoop of EXP set to 30 x 80 mm with turning on: the 60 x 20 mm design is turned.
const std::string kTurningHoop =
    "--set Conversion/expw=30 --set Conversion/exph=80 --set Conversion/expr=1 --set Conversion/expboth=0 ";
// A 58 x 80 mm hoop without turning, shrinking by up to 10 %: the 60 mm design is shrunk.
const std::string kShrinkingHoop =
    "--set Conversion/expw=58 --set Conversion/exph=80 --set Conversion/expr=0 --set Conversion/expboth=0 "
    "--set Conversion/expsh=1 --set Conversion/expshpct=10 ";

TEST_F(CliOptions, FitNotesAndTheirRefusals) {
  const CliRun turned = cli("convert --to exp " + kTurningHoop + "--out " + shellQuote(out.path()) + " wide.dst d1.dst");
  EXPECT_EQ(turned.status, 0) << turned.err;
  EXPECT_EQ(turned.err, "wide.dst: turned a quarter turn to fit the 30 x 80 mm hoop\n");

  const CliRun shrunk = cli("convert --to exp " + kShrinkingHoop + "--out " + shellQuote(out.path()) + " wide.dst");
  EXPECT_EQ(shrunk.status, 0) << shrunk.err;
  EXPECT_EQ(shrunk.err, "wide.dst: shrunk by 3.3 % to fit the 58 x 80 mm hoop\n");

  const CliRun split = cli("convert --to exp --set Conversion/expsc=1 --set Conversion/expnc=1 --out " +
                           shellQuote(out.path()) + " d1.dst");
  EXPECT_EQ(split.status, 0) << split.err;
  EXPECT_EQ(split.err, "d1.dst: split into 2 files\n");

  // The shortcuts refuse instead.
  const CliRun noTurn = cli("convert --to exp --no-turn " + kTurningHoop + "--out " + shellQuote(out.path()) + " wide.dst");
  EXPECT_EQ(noTurn.status, 1);
  EXPECT_NE(noTurn.out.find("wide.dst is too big for the new format."), std::string::npos) << noTurn.out;
  const CliRun noShrink = cli("convert --to exp --no-shrink " + kShrinkingHoop + "--out " + shellQuote(out.path()) + " wide.dst");
  EXPECT_EQ(noShrink.status, 1);
  EXPECT_NE(noShrink.out.find("wide.dst is too big for the new format."), std::string::npos) << noShrink.out;
  EXPECT_EQ(noShrink.err.find("shrunk"), std::string::npos) << noShrink.err;
}

TEST_F(CliOptions, JsonRecordsPerInput) {
  test::writeAll(in / "broken.dst", "not a design");
  const CliRun r =
      cli("convert --json --to exp " + kTurningHoop + "--out " + shellQuote(out.path()) + " wide.dst broken.dst d1.dst none.dst");
  EXPECT_EQ(r.status, 1);
  std::vector<nlohmann::json> records;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) records.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(records.size(), 4u) << r.out;
  std::map<std::string, nlohmann::json> bySource;
  for (const auto& j : records) bySource[j["source"].get<std::string>()] = j;
  const auto& wide = bySource["wide.dst"];
  EXPECT_EQ(wide["outputs"], nlohmann::json::array({out / "wide.exp"}));
  EXPECT_EQ(wide["turned"], true);
  EXPECT_EQ(wide["shrunk"], 0.0);
  EXPECT_EQ(wide["split"], false);
  EXPECT_EQ(wide["result"], "written");
  EXPECT_TRUE(wide["reason"].is_null());
  EXPECT_EQ(bySource["d1.dst"]["turned"], false);
  EXPECT_EQ(bySource["d1.dst"]["result"], "written");
  const auto& broken = bySource["broken.dst"];
  EXPECT_EQ(broken["result"], "failed");
  EXPECT_EQ(broken["outputs"], nlohmann::json::array());
  EXPECT_FALSE(broken["reason"].get<std::string>().empty());
  EXPECT_EQ(bySource["none.dst"]["result"], "failed");
  EXPECT_EQ(bySource["none.dst"]["reason"], "no such file or folder");
  // The designs' records come in input order; the report goes to stderr.
  EXPECT_EQ(records[1]["source"], "wide.dst");
  EXPECT_EQ(records[3]["source"], "d1.dst");
  EXPECT_NE(r.err.find("files were created."), std::string::npos) << r.err;

  // Too big: the reason names the hoop.
  const CliRun big = cli("convert --json --to exp --no-turn " + kTurningHoop + "--out " + shellQuote(out.path()) + " wide.dst");
  EXPECT_EQ(nlohmann::json::parse(big.out)["reason"].get<std::string>().rfind("too big for the 30 x 80 mm hoop", 0), 0u)
      << big.out;
}

TEST_F(CliOptions, SkipExistingLeavesConvertedInputsAlone) {
  ASSERT_EQ(cli("convert --to exp d1.dst").status, 0);
  const CliRun skipped = cli("convert --to exp --skip-existing d1.dst wide.dst");
  EXPECT_EQ(skipped.status, 0) << skipped.err;
  EXPECT_EQ(skipped.out, "wide.exp\nPreferred file type: EXP\n1 file was created.\n");
  EXPECT_NE(skipped.err.find("d1.dst: skipped, d1.exp exists"), std::string::npos) << skipped.err;
  // The default never overwrites: a second name.
  EXPECT_EQ(cli("convert --to exp d1.dst").out.substr(0, 10), "d1(2).exp\n");
  EXPECT_EQ(test::readAll(in / "d1(3).exp").size(), 0u);
}

}  // namespace
}  // namespace lh
