#include "tools/tool_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <stdexcept>

#include "tests/tools/tool_fixtures.h"
#include "formats/format_table.h"
#include "tools/needle_reduction.h"

namespace lh {
namespace {

using test::sampleDesign;

using enum ToolCommandId;

class Runner : public ::testing::Test {
 protected:
  Runner() {
    settings.setInt("Settings", "Tools selected", FormatDst);
    run.workspace = false;
  }
  // n DST designs named d1.dst ... in the scratch folder.
  std::vector<std::string> designs(int n, int colors = 1) {
    std::vector<std::string> paths;
    for (int i = 1; i <= n; ++i) {
      paths.push_back(dir / ("d" + std::to_string(i) + ".dst"));
      test::writeDst(sampleDesign(100 * i, 100, colors), paths.back());
    }
    return paths;
  }
  RunResult go(ToolCommandId id, const std::vector<std::string>& items, int jobs = 1) {
    return runTool(id, items, settings, run, callbacks, jobs);
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
  const RunResult r = go(ConvertToExp, items);
  EXPECT_EQ(r.report, "Preferred file type: EXP\r\n2 files were created.\r\n");
  EXPECT_EQ(r.processed, 2);
  EXPECT_EQ(r.failed, 0);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], std::make_pair(items[2], dir / "d2.exp"));
}

TEST_F(Runner, ReportTexts) {
  struct Case {
    const char* name;
    ToolCommandId command;
    int designs;
    bool keep;
    const char* report;
  };
  const Case cases[] = {
      {"nothing selected", ConvertToDst, 0, false, "Please select a design to work on.\r\n"},
      {"nothing changed", ConvertToDst, 2, false, "No work completed.\r\n"},
      {"nothing to sort", ColorSort, 1, true, "No work completed.\r\n"},
      {"one file", ConvertToExp, 1, false, "Preferred file type: EXP\r\n1 file was created.\r\n"},
      {"tool format", AutoBaste, 1, false, "Preferred file type: DST\r\n1 file was created.\r\n"},
      {"kept formats", AutoBaste, 1, true, "Keeping same file types.\r\n1 file was created.\r\n"},
      {"notes", DesignNotes, 1, false, "Preferred file type: TXT\r\n1 file was created.\r\n"},
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
  EXPECT_EQ(go(ConvertToExp, designs(1)).report, "");
}

TEST_F(Runner, StopAfterTheSecondOfFive) {
  const std::vector<std::string> items = designs(5);
  int asked = 0;
  callbacks.stopRequested = [&] { return ++asked == 3; };
  const RunResult r = go(ConvertToExp, items);
  EXPECT_TRUE(r.halted);
  EXPECT_EQ(r.processed, 2);
  EXPECT_EQ(r.report, "Operation halted by the user.\r\nLast file created: " + dir / "d2.exp" +
                          "\r\nPreferred file type: EXP\r\n2 files were created.\r\n");
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"d1.dst", "d1.exp", "d2.dst", "d2.exp", "d3.dst", "d4.dst", "d5.dst"}));
}

TEST_F(Runner, StopInAParallelRunSavesEverythingPrepared) {
  const std::vector<std::string> items = designs(8);
  std::atomic<int> asked{0};
  callbacks.stopRequested = [&] { return ++asked > 3; };
  const RunResult r = go(ConvertToExp, items, 2);
  EXPECT_TRUE(r.halted);
  // The threads took the three largest designs (the last three); those are saved, in input
  // order, and no temporary file is left behind.
  EXPECT_EQ(r.created, (std::vector<std::string>{dir / "d6.exp", dir / "d7.exp", dir / "d8.exp"}));
  EXPECT_EQ(r.haltedAt, 0u);
  EXPECT_EQ(r.notHandled, 5u);
  EXPECT_EQ(dir.files().size(), items.size() + r.created.size());
  EXPECT_NE(r.report.find("Operation halted by the user.\r\nLast file created: " + dir / "d8.exp"), std::string::npos);
}

TEST_F(Runner, FewDesignsWaitForSavingAtOnce) {
  // The first design is the smallest, so the threads take it last; until it is saved every
  // design prepared waits, holding its staged file open. Only so many may wait: then the
  // first design is taken.
  std::vector<std::string> items;
  for (int i = 0; i < 90; ++i) {
    items.push_back(dir / ("w" + std::to_string(i) + ".dst"));
    test::writeDst(sampleDesign(i == 0 ? 100 : 200, 100, 1), items.back());
  }
  std::atomic<int> started{0};
  int before = 0;
  callbacks.load = [&](DesignCodec& codec, EmbDesign& design, const std::string& item) {
    const int n = ++started;
    if (item == items[0]) before = n - 1;
    codec.busyCount.fetch_add(1);
    return codec.loadDesign(&design, item);
  };
  const RunResult r = go(ConvertToExp, items, 2);
  EXPECT_EQ(r.created.size(), items.size());
  EXPECT_LE(before, 64 + 1) << "designs prepared before the one the saving waited for";
}

TEST_F(Runner, WorkspaceWritesCopiesIntoItsFolder) {
  test::ScratchDir temps;
  run.workspace = true;
  run.directory = temps.path();
  settings.setInt("Settings", "Tools keep", 1);
  const RunResult r = go(ColorSort, designs(1));
  EXPECT_EQ(r.created, std::vector<std::string>{temps / "d1 Sorted.dst"});
  EXPECT_EQ(r.report, "Keeping same file types.\r\n1 file was created.\r\n");
}

TEST_F(Runner, BasteNamesTheResult) {
  const RunResult r = go(AutoBaste, designs(1));
  EXPECT_EQ(r.created, std::vector<std::string>{dir / "d1+Baste.dst"});
}

TEST_F(Runner, FailuresAreCountedAndReported) {
  std::vector<std::string> items = designs(1);
  items.push_back(dir / "missing.dst");
  test::writeDst(sampleDesign(4000, 100), dir / "huge.dst");
  items.push_back(dir / "huge.dst");
  const RunResult r = go(ConvertToExp, items);
  EXPECT_EQ(r.failed, 2);
  EXPECT_EQ(r.report, dir / "missing.dst could not be converted.\r\n" + dir / "huge.dst is too big for the new format.\r\n" +
                          "Preferred file type: EXP\r\n1 file was created.\r\n");
}

TEST_F(Runner, ReduceWorksOnTheFirstDesignOnly) {
  const std::vector<std::string> items = designs(4, 6);
  int asked = 0;
  callbacks.reduce = [&](EmbDesign& d) {
    ++asked;
    return reduceNeedles(d, 2) > 0;
  };
  const RunResult r = go(ReduceColors, items, 4);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(r.created, std::vector<std::string>{dir / "d1 Reduced.dst"});
  // Declined: the run ends at once without a report line.
  callbacks.reduce = [](EmbDesign&) { return false; };
  const RunResult declined = go(ReduceColors, items);
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
    RunResult r = runTool(ConvertToExp, items, settings, run, callbacks, jobs);
    std::string report = r.report;
    for (std::size_t at; (at = report.find(own.path())) != std::string::npos;) report.replace(at, own.path().size(), "@");
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    for (const std::string& f : own.files()) files.emplace_back(f, test::readAll(own / f));
    return std::make_tuple(report, files, r.failed);
  };
  const auto one = runWith(1);
  EXPECT_NE(std::get<0>(one).find("@/p3.dst is too big"), std::string::npos);
  EXPECT_EQ(std::get<2>(one), 2);
  for (int jobs : {2, 5, 12}) EXPECT_EQ(runWith(jobs), one) << jobs << " jobs";
}

TEST_F(Runner, ADesignThatThrowsIsNotConverted) {
  // An allocation failure on a huge design, say, planted in the loading of the second one.
  const std::vector<std::string> items = designs(3);
  callbacks.load = [&](DesignCodec& codec, EmbDesign& d, const std::string& item) {
    if (item == items[1]) throw std::bad_alloc();
    codec.busyCount.fetch_add(1);
    return codec.loadDesign(&d, item);
  };
  for (int jobs : {1, 3}) {
    SCOPED_TRACE(jobs);
    test::ScratchDir out;
    run.workspace = true;
    run.directory = out.path();
    const RunResult r = go(ConvertToExp, items, jobs);
    EXPECT_EQ(r.processed, 3);
    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(r.created, (std::vector<std::string>{out / "d1.exp", out / "d3.exp"}));
    EXPECT_EQ(out.files(), (std::vector<std::string>{"d1.exp", "d3.exp"}));
    EXPECT_EQ(r.report, items[1] + " could not be converted.\r\nPreferred file type: EXP\r\n2 files were created.\r\n");
  }
  // A reduction that throws fails its design, which is the last of the run.
  callbacks.load = nullptr;
  callbacks.reduce = [](EmbDesign&) -> bool { throw std::bad_alloc(); };
  const RunResult reduced = go(ReduceColors, items);
  EXPECT_EQ(reduced.failed, 1);
  EXPECT_TRUE(reduced.created.empty());
  EXPECT_EQ(reduced.report, items[0] + " could not be converted.\r\n");
}

struct CallerFault : std::runtime_error {
  CallerFault() : std::runtime_error("caller") {}
};

TEST_F(Runner, ThrowingCallbacksReachTheCallerAfterTheThreads) {
  const std::vector<std::string> items = designs(6);
  using Plant = void (*)(RunCallbacks&, std::atomic<int>&);
  const std::pair<const char*, Plant> cases[] = {
      {"stopRequested", [](RunCallbacks& c, std::atomic<int>& n) {
         c.stopRequested = [&n] { return ++n == 3 ? throw CallerFault() : false; };
       }},
      {"status", [](RunCallbacks& c, std::atomic<int>&) { c.status = [](std::string_view) { throw CallerFault(); }; }},
      {"fileCreated", [](RunCallbacks& c, std::atomic<int>& n) {
         c.fileCreated = [&n](const std::string&, const std::string&) {
           if (++n == 2) throw CallerFault();
         };
       }},
  };
  for (int jobs : {1, 4}) {
    for (const auto& [name, plant] : cases) {
      SCOPED_TRACE(std::string(name) + ", jobs " + std::to_string(jobs));
      test::ScratchDir out;
      run.workspace = true;
      run.directory = out.path();
      std::atomic<int> calls{0};
      RunCallbacks own;
      plant(own, calls);
      EXPECT_THROW(runTool(ConvertToExp, items, settings, run, own, jobs), CallerFault);
      // What was saved is a prefix of the run; nothing prepared beyond it stays behind.
      const std::vector<std::string> files = out.files();
      for (std::size_t i = 0; i < files.size(); ++i) EXPECT_EQ(files[i], "d" + std::to_string(i + 1) + ".exp");
    }
  }
}

TEST_F(Runner, StopIsAskedWithoutTheRunnersLock) {
  // A stop callback that waits for the saving thread (as one that lets the user interface
  // handle its pending events may) must not hold up the run: asked under the runner's lock,
  // it would keep the saving thread from the design it waits for. The waits are bounded so
  // that such a fault fails the test instead of hanging it.
  std::vector<std::string> items;
  for (int i = 1; i <= 3; ++i) {  // of one size, so that threads take them in input order
    items.push_back(dir / ("e" + std::to_string(i) + ".dst"));
    test::writeDst(sampleDesign(200, 100), items.back());
  }
  std::mutex m;
  std::condition_variable cv;
  int saved = 0, asked = 0;
  bool stuck = false;
  const auto waitFor = [&](std::unique_lock<std::mutex>& lock, auto ready) {
    if (!cv.wait_for(lock, std::chrono::seconds(20), ready)) stuck = true;
  };
  callbacks.stopRequested = [&] {
    std::unique_lock lock(m);
    if (++asked != 3) return false;  // the first asks start a design on each thread
    cv.notify_all();
    waitFor(lock, [&] { return saved >= 2; });
    return false;
  };
  callbacks.fileCreated = [&](const std::string&, const std::string&) {
    std::unique_lock lock(m);
    ++saved;
    cv.notify_all();
    // The saving thread goes on to the second design only while the third ask is open.
    if (saved == 1) waitFor(lock, [&] { return asked >= 3; });
  };
  const RunResult r = go(ConvertToExp, items, 2);
  EXPECT_FALSE(stuck);
  EXPECT_EQ(r.created.size(), 3u);
}

TEST(RunnerTable, MenuIdsNameTheCommands) {
  // The tools menu and its "Convert to" submenu, in order.
  const int menu[] = {32789, 32793, 32798, 32790, 32791, 32792, 32799, 32835, 32848,
                      32855, 32807, 32795, 32794, 32796, 32788, 32852, 32797};
  const std::span<const ToolCommand> commands = toolCommands();
  ASSERT_EQ(commands.size(), std::size(menu));
  for (std::size_t i = 0; i < commands.size(); ++i) {
    EXPECT_EQ(commands[i].menuId, menu[i]) << i;
    EXPECT_EQ(findToolCommand(menu[i]), &commands[i]) << menu[i];  // unique and found
    EXPECT_EQ(&toolCommand(commands[i].id), &commands[i]) << menu[i];  // named
  }
  // The convert-to commands show their format's menu text.
  EXPECT_EQ(toolCommand(ConvertToPes).menuText, ".PES (Quenby/Brother/Bernina)");
  EXPECT_EQ(toolCommand(ConvertToVp3).menuText, ".VP3 (Husqvarna Viking / Pfaff");
  EXPECT_EQ(findToolCommand(kStopCommand), nullptr);
  // Every design type has its "Convert to" command, titled by the type.
  for (int code = FormatPes; code <= FormatVp3; ++code) {
    const std::optional<ToolCommandId> id = conversionTo(code);
    ASSERT_TRUE(id) << code;
    const ToolCommand& c = toolCommand(*id);
    EXPECT_EQ(c.tool, Tool::Conversion);
    EXPECT_EQ(c.target, code);
    EXPECT_TRUE(c.menuText.starts_with("." + std::string(formatName(code)) + " ")) << c.menuText;
  }
  for (int code : {FormatTxt, FormatBmp, FormatNone}) EXPECT_FALSE(conversionTo(code)) << code;
}

TEST(RunnerTable, ReportHeadings) {
  EXPECT_EQ(reportHeading(-1, ToolFormat{FormatPcs, false}), "Preferred file type: PCS\r\n");
  EXPECT_EQ(reportHeading(FormatBmp, ToolFormat{FormatPcs, true}), "Preferred file type: BMP\r\n");
  EXPECT_EQ(reportHeading(-1, ToolFormat{FormatPcs, true}), "Keeping same file types.\r\n");
}

}  // namespace
}  // namespace lh
