#include "tools/tool_runner.h"

#include <gtest/gtest.h>

#include <atomic>

#include "tests/tools/tool_fixtures.h"
#include "formats/format_table.h"
#include "tools/needle_reduction.h"

namespace lh {
namespace {

using test::sampleDesign;

const ToolCommand& command(int id) {
  const ToolCommand* c = findToolCommand(id);
  EXPECT_NE(c, nullptr) << id;
  return *c;
}
constexpr int kToDst = 32792, kToExp = 32835, kSort = 32795, kBaste = 32794, kNotes = 32796, kReduce = 32852;

class Runner : public ::testing::Test {
 protected:
  Runner() {
    settings.setInt("Settings", "Tools selected", FormatDst);
    run.workspace = false;
  }
  // n DST designs named d1.dst ... in the scratch folder.
  std::vector<std::string> designs(int n, int colours = 1) {
    std::vector<std::string> paths;
    for (int i = 1; i <= n; ++i) {
      paths.push_back(dir / ("d" + std::to_string(i) + ".dst"));
      test::writeDst(sampleDesign(100 * i, 100, colours), paths.back());
    }
    return paths;
  }
  RunResult go(int id, const std::vector<std::string>& items, int jobs = 1) {
    return runTool(command(id), items, settings, run, callbacks, jobs);
  }

  test::ScratchDir dir;
  MemorySettings settings;
  RunSettings run;
  RunCallbacks callbacks;
};

TEST_F(Runner, ConvertSkipsCompanionFiles) {
  std::vector<std::string> items = designs(2);
  items.insert(items.begin() + 1, dir / "picture.BMP");
  test::writeAll(items[1], "BM not really");
  std::vector<std::pair<std::string, std::string>> seen;
  callbacks.fileCreated = [&](const std::string& s, const std::string& c) { seen.emplace_back(s, c); };
  const RunResult r = go(kToExp, items);
  EXPECT_EQ(r.report, "Preferred file type: EXP\r\n2 files were created.\r\n");
  EXPECT_EQ(r.processed, 2);
  EXPECT_EQ(r.failed, 0);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], std::make_pair(items[2], dir / "d2.exp"));
}

TEST_F(Runner, ReportTexts) {
  struct Case {
    const char* name;
    int command;
    int designs;
    bool keep;
    const char* report;
  };
  const Case cases[] = {
      {"nothing selected", kToDst, 0, false, "Please select a design to work on.\r\n"},
      {"nothing changed", kToDst, 2, false, "No work completed.\r\n"},
      {"nothing to sort", kSort, 1, true, "No work completed.\r\n"},
      {"one file", kToExp, 1, false, "Preferred file type: EXP\r\n1 file was created.\r\n"},
      {"tool format", kBaste, 1, false, "Preferred file type: DST\r\n1 file was created.\r\n"},
      {"kept formats", kBaste, 1, true, "Keeping same file types.\r\n1 file was created.\r\n"},
      {"notes", kNotes, 1, false, "Preferred file type: TXT\r\n1 file was created.\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScratchDir own;
    settings.setInt("Settings", "Tools keep", c.keep);
    std::vector<std::string> items;
    for (int i = 0; i < c.designs; ++i) {
      items.push_back(own / ("x" + std::to_string(i) + ".dst"));
      test::writeDst(sampleDesign(300, 200), items.back());
    }
    EXPECT_EQ(go(c.command, items).report, c.report);
  }
}

TEST_F(Runner, ToolsReportOffLeavesOnlyTheRunLines) {
  run.toolsReport = false;
  EXPECT_EQ(go(kToExp, designs(1)).report, "");
}

TEST_F(Runner, StopAfterTheSecondOfFive) {
  const std::vector<std::string> items = designs(5);
  int asked = 0;
  callbacks.stopRequested = [&] { return ++asked == 3; };
  const RunResult r = go(kToExp, items);
  EXPECT_TRUE(r.halted);
  EXPECT_EQ(r.processed, 2);
  EXPECT_EQ(r.report, "Operation halted by the user.\r\nLast file created: " + dir / "d2.exp" +
                          "\r\nPreferred file type: EXP\r\n2 files were created.\r\n");
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"d1.dst", "d1.exp", "d2.dst", "d2.exp", "d3.dst", "d4.dst", "d5.dst"}));
}

TEST_F(Runner, StopInAParallelRunSavesAPrefix) {
  const std::vector<std::string> items = designs(8);
  std::atomic<int> asked{0};
  callbacks.stopRequested = [&] { return ++asked > 3; };
  const RunResult r = go(kToExp, items, 2);
  EXPECT_TRUE(r.halted);
  // Whatever was prepared, only designs before the first one not prepared are saved, in
  // order, and no temporary file is left behind.
  ASSERT_LE(r.created.size(), 3u);
  for (std::size_t i = 0; i < r.created.size(); ++i) EXPECT_EQ(r.created[i], dir / ("d" + std::to_string(i + 1) + ".exp"));
  EXPECT_EQ(dir.files().size(), items.size() + r.created.size());
  EXPECT_NE(r.report.find("Operation halted by the user.\r\nLast file created: "), std::string::npos);
}

TEST_F(Runner, WorkspaceWritesCopiesIntoItsFolder) {
  test::ScratchDir temps;
  run.workspace = true;
  run.directory = temps.path();
  settings.setInt("Settings", "Tools keep", 1);
  const RunResult r = go(kSort, designs(1));
  EXPECT_EQ(r.created, std::vector<std::string>{temps / "d1 Sorted.dst"});
  EXPECT_EQ(r.report, "Keeping same file types.\r\n1 file was created.\r\n");
}

TEST_F(Runner, BasteNamesTheResult) {
  const RunResult r = go(kBaste, designs(1));
  EXPECT_EQ(r.created, std::vector<std::string>{dir / "d1+Baste.dst"});
}

TEST_F(Runner, FailuresAreCountedAndReported) {
  std::vector<std::string> items = designs(1);
  items.push_back(dir / "missing.dst");
  test::writeDst(sampleDesign(4000, 100), dir / "huge.dst");
  items.push_back(dir / "huge.dst");
  const RunResult r = go(kToExp, items);
  EXPECT_EQ(r.failed, 2);
  EXPECT_EQ(r.report, dir / "missing.exp could not be converted.\r\n" + dir / "huge.dst is too big for the new format.\r\n" +
                          "Preferred file type: EXP\r\n1 file was created.\r\n");
}

TEST_F(Runner, ReduceWorksOnTheFirstDesignOnly) {
  const std::vector<std::string> items = designs(4, 6);
  int asked = 0;
  callbacks.reduce = [&](EmbDesign& d) {
    ++asked;
    return reduceNeedles(d, 2) > 0;
  };
  const RunResult r = go(kReduce, items, 4);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(r.created, std::vector<std::string>{dir / "d1 Reduced.dst"});
  // Declined: the run ends at once without a report line.
  callbacks.reduce = [](EmbDesign&) { return false; };
  const RunResult declined = go(kReduce, items);
  EXPECT_TRUE(declined.created.empty());
  EXPECT_EQ(declined.report, "");
}

TEST_F(Runner, ParallelRunsGiveTheSameFilesAndReport) {
  // Twelve designs, some of them too big, converted twice into clashing names: every
  // number of jobs must give the same names, bytes and report.
  auto runWith = [&](int jobs) {
    test::ScratchDir own;
    std::vector<std::string> items;
    for (int i = 0; i < 12; ++i) {
      const std::string name = "p" + std::to_string(i % 5) + (i < 6 ? ".dst" : ".exp");
      items.push_back(own / name);
      if (i < 6) test::writeDst(sampleDesign(i == 3 ? 5000 : 200 + 10 * i, 150, 1 + i % 3), items.back());
    }
    for (int i = 6; i < 12; ++i) items[static_cast<std::size_t>(i)] = items[static_cast<std::size_t>(i - 6)];
    RunResult r = runTool(command(kToExp), items, settings, run, callbacks, jobs);
    std::string report = r.report;
    for (std::size_t at; (at = report.find(own.path())) != std::string::npos;) report.replace(at, own.path().size(), "@");
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    for (const std::string& f : own.files()) files.emplace_back(f, test::readAll(own / f));
    return std::make_tuple(report, files, r.failed);
  };
  const auto one = runWith(1);
  EXPECT_NE(std::get<0>(one).find("@/p3.dst is too big"), std::string::npos);
  EXPECT_EQ(std::get<2>(one), 2);
  for (int jobs : {2, 5}) EXPECT_EQ(runWith(jobs), one) << jobs << " jobs";
}

TEST(RunnerTable, CommandsAndHeadings) {
  EXPECT_EQ(toolCommands().size(), 17u);
  EXPECT_EQ(command(32855).target, FormatVp3);
  EXPECT_EQ(command(32797).suffix, " Fixed");
  // The convert-to commands show their format's menu text.
  EXPECT_EQ(command(32789).menuText, ".PES (Quenby/Brother/Bernina)");
  EXPECT_EQ(command(32855).menuText, ".VP3 (Husqvarna Viking / Pfaff");
  EXPECT_EQ(findToolCommand(kStopCommand), nullptr);
  EXPECT_EQ(reportHeading(-1, ToolFormat{FormatPcs, false}), "Preferred file type: PCS\r\n");
  EXPECT_EQ(reportHeading(FormatBmp, ToolFormat{FormatPcs, true}), "Preferred file type: BMP\r\n");
  EXPECT_EQ(reportHeading(-1, ToolFormat{FormatPcs, true}), "Keeping same file types.\r\n");
}

}  // namespace
}  // namespace lh
