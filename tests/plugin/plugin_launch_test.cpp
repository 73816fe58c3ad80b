// The installed plug-in list, the plug-in commands' decisions, carrying them out against the
// running state, the card writer's list file, and the running state under two threads.
#include "plugin/plugin_launch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <latch>
#include <thread>

#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

using Values = std::map<std::string, std::string>;
using Paths = std::vector<std::string>;

std::vector<std::string> namesOf(const PluginList& list) {
  std::vector<std::string> out;
  for (const PluginEntry& e : list.entries()) out.push_back(e.name);
  return out;
}

TEST(PluginList, SortsByNameWithoutCaseAndNumbersTheCommands) {
  const PluginList list(Values{{"zeta", "/z"}, {"Alpha", "/a"}, {"beta", "/b"}, {"ALPHA2", "/a2"}});
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "zeta"}));
  for (std::size_t k = 0; k < list.entries().size(); ++k)
    EXPECT_EQ(list.entries()[k].command, kFirstPluginCommand + static_cast<int>(k));
  EXPECT_EQ(list.byCommand(32003)->name, "beta");
  EXPECT_EQ(list.byCommand(32000), nullptr);
  EXPECT_EQ(list.byCommand(32005), nullptr);
}

TEST(PluginList, OnlyTheFirstHundredGetCommands) {
  Values values;
  for (int i = 0; i < 101; ++i) values["Tool " + std::string(i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i)] = "/t";
  const PluginList list(values);
  ASSERT_EQ(list.entries().size(), 101u);
  EXPECT_EQ(list.entries()[99].command, 32100);
  EXPECT_EQ(list.entries()[100].command, std::nullopt);
  EXPECT_EQ(list.byCommand(32100)->name, "Tool 099");
  EXPECT_EQ(list.byCommand(32101), nullptr);
}

TEST(PluginList, LeadingDigitIsRemovedAndMarksProgramsThatRunOnTheirOwn) {
  const struct {
    std::string value;
    std::string program;
    bool onItsOwn;
  } cases[] = {
      {"1/opt/tools/custom", "/opt/tools/custom", true},
      {"9/opt/x", "/opt/x", true},
      {"0/opt/tools/custom", "/opt/tools/custom", false},
      {"/opt/tools/custom", "/opt/tools/custom", false},
      {"1", "", true},
      {"", "", false},
  };
  for (const auto& c : cases) {
    const PluginEntry e{"T", c.value, 32001};
    EXPECT_EQ(e.program(), c.program) << c.value;
    EXPECT_EQ(e.runsOnItsOwn(), c.onItsOwn) << c.value;
  }
}

TEST(PluginList, FindsSequencerCardWriterAndTitleSuffix) {
  const PluginList list(Values{{"Loomhall Huetide", "/opt/Colours/TINCTOR"},
                               {"A colour tool", "/opt/old-tinctor/run"},
                               {"Loomhall Cardspan", "/opt/cards/Cardspan"},
                               {"Loomhall Cardspan II", "0/opt/cards2/Cardspan2"}});
  EXPECT_EQ(list.sequencer()->name, "A colour tool");  // the first in list order, any case
  EXPECT_EQ(list.titleSuffix(), "Plus");
  EXPECT_EQ(list.cardWriter()->name, "Loomhall Cardspan II");
  EXPECT_TRUE(list.hasNewerCardWriter());

  // Entries without a program count as missing.
  const PluginList older(Values{{"Loomhall Huetide", "0"}, {"Loomhall Cardspan II", ""},
                                {"Loomhall Cardspan", "1/opt/cards/Cardspan"}});
  EXPECT_EQ(older.sequencer(), nullptr);
  EXPECT_EQ(older.titleSuffix(), "");
  EXPECT_EQ(older.cardWriter()->name, "Loomhall Cardspan");
  EXPECT_FALSE(older.hasNewerCardWriter());
  EXPECT_EQ(PluginList().cardWriter(), nullptr);
}

LaunchPlan startPlan(std::string program, std::string argument, bool entersRun) {
  return {LaunchKind::Start, {}, std::move(program), std::move(argument), entersRun, std::nullopt};
}
LaunchPlan refusePlan(Refusal r) { return {LaunchKind::Refuse, r, {}, {}, false, std::nullopt}; }

TEST(PlanPluginRun, DecidesFromEntrySelectionAndRun) {
  const PluginList list(Values{{"Huetide", "/opt/tinctor"}, {"Custom", "1/opt/custom"},
                               {"Loomhall Cardspan", "/opt/c/Cardspan"}});
  const PluginEntry* sequencer = list.byName("Huetide");
  const PluginEntry* custom = list.byName("Custom");
  const Paths none;
  const Paths one{"/d/rose.pes"};
  const RunSnapshot idle;
  const RunSnapshot pluginRun{true, true};
  const RunSnapshot toolRun{true, false};
  const struct {
    const char* what;
    const PluginEntry* entry;
    const Paths& selected;
    RunSnapshot run;
    LaunchPlan expected;
  } cases[] = {
      {"no entry", nullptr, one, idle, {}},
      {"nothing selected", sequencer, none, idle, refusePlan(kNoFileSelected)},
      {"nothing selected in a run", sequencer, none, pluginRun, refusePlan(kNoFileSelected)},
      {"idle", sequencer, one, idle, startPlan("/opt/tinctor", "1", true)},
      {"plug-in run active", sequencer, one, pluginRun, refusePlan(kToolInOperation)},
      {"tool run active", sequencer, one, toolRun, {}},
      {"on its own, nothing selected", custom, none, pluginRun, startPlan("/opt/custom", "1", false)},
      {"card writer entry", list.byName("Loomhall Cardspan"), none, idle, startPlan("/opt/c/Cardspan", "1", false)},
  };
  for (const auto& c : cases) EXPECT_EQ(planPluginRun(list, c.entry, c.selected, c.run), c.expected) << c.what;
  EXPECT_EQ(planSequencer(list, one, idle), startPlan("/opt/tinctor", "1", true));
  EXPECT_EQ(planSequencer(PluginList(), one, idle), LaunchPlan{});
}

TEST(PlanCardWriter, NewerWriterGetsTheListFile) {
  const Paths selected{"/d/rose.pes", "Zip:/d/more.zip:tulip.dst"};
  LaunchPlan newer = startPlan("/opt/c2/Cardspan2", "filelist.tmp", false);
  newer.fileList = "/d/rose.pes\nZip:/d/more.zip:tulip.dst\n";
  EXPECT_EQ(planCardWriter(PluginList(Values{{"Loomhall Cardspan II", "1/opt/c2/Cardspan2"},
                                             {"Loomhall Cardspan", "/opt/c/Cardspan"}}),
                           selected),
            newer);
  EXPECT_EQ(planCardWriter(PluginList(Values{{"Loomhall Cardspan", "1/opt/c/Cardspan"}}), selected),
            startPlan("/opt/c/Cardspan", "1", false));
  EXPECT_EQ(planCardWriter(PluginList(), selected), LaunchPlan{});
}

TEST(CardWriterList, OneLinePerPathAndLineBreaksLeftOut) {
  EXPECT_EQ(cardWriterListText(Paths{"/a b/rose.pes", "/odd\nname.pes", "/c/tulip.dst"}),
            "/a b/rose.pes\n/c/tulip.dst\n");
  EXPECT_EQ(cardWriterListText(Paths{}), "");
}

TEST(CardWriterList, ReplacesTheListOrFallsBackToAnotherFolder) {
  test::TempDir dir;
  const std::string program = dir.path().string();
  ASSERT_EQ(writeCardWriterList(program, "", "/old.pes\n"), "filelist.tmp");
  ASSERT_EQ(writeCardWriterList(program, "", "/new.pes\n"), "filelist.tmp");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"filelist.tmp"}));
  const auto bytes = dir.read("filelist.tmp");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "/new.pes\n");

  std::filesystem::create_directory(dir.file("fallback"));
  const std::string missing = dir.file("no such folder");
  EXPECT_EQ(writeCardWriterList(missing, dir.file("fallback"), "/x.pes\n"), dir.file("fallback/filelist.tmp"));
  EXPECT_EQ(writeCardWriterList(missing, "", "/x.pes\n"), std::nullopt);
}

// Starts nothing: records the starts and lets the test end the watched processes.
class FakeStarter final : public ProcessStarter {
 public:
  struct Start {
    std::string program;
    std::string argument;
    ExitHandler onExit;
  };
  std::optional<std::int64_t> start(const std::string& program, const std::string& argument,
                                    ExitHandler onExit) override {
    if (fails) return std::nullopt;
    starts.push_back({program, argument, std::move(onExit)});
    return 100 + static_cast<std::int64_t>(starts.size());
  }
  std::string programFolder(const std::string&) const override { return folder; }
  void exit(std::size_t k) { starts[k].onExit({101 + static_cast<std::int64_t>(k), 0, false}); }

  bool fails = false;
  std::string folder = "/nonexistent";
  std::vector<Start> starts;
};

TEST(CarryOut, PluginRunEndsWhenItsProcessDies) {
  RunState state;
  FakeStarter starter;
  int ended = 0;
  const LaunchOutcome out =
      carryOut(startPlan("/opt/tinctor", "1", true), state, starter, "", [&](const ProcessExit&) { ++ended; });
  EXPECT_EQ(out, (LaunchOutcome{std::nullopt, 101, true}));
  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].argument, "1");
  EXPECT_TRUE(state.pluginRunning());
  starter.exit(0);
  EXPECT_FALSE(state.toolRunning());
  EXPECT_EQ(ended, 1);
}

TEST(CarryOut, AnEarlierProcessDyingLeavesALaterRunAlone) {
  RunState state;
  FakeStarter starter;
  int ended = 0;
  auto count = [&](const ProcessExit&) { ++ended; };
  carryOut(startPlan("/opt/tinctor", "1", true), state, starter, "", count);
  state.stopRun();
  carryOut(startPlan("/opt/tinctor", "1", true), state, starter, "", count);
  starter.exit(0);
  EXPECT_TRUE(state.pluginRunning());
  EXPECT_EQ(ended, 0);
}

TEST(CarryOut, FailedStartShowsToolNotExecutedAndLeavesOtherRunsAlone) {
  RunState state;
  FakeStarter starter;
  starter.fails = true;
  EXPECT_EQ(carryOut(startPlan("/x", "1", true), state, starter, "").message, kToolNotExecuted);
  EXPECT_FALSE(state.toolRunning());
  // A program that runs on its own never entered the tool run that is active.
  ASSERT_FALSE(state.beginRun());
  EXPECT_EQ(carryOut(startPlan("/x", "1", false), state, starter, "").message, kToolNotExecuted);
  EXPECT_TRUE(state.toolRunning());
}

TEST(CarryOut, RunThatBeganAfterThePlanWins) {
  RunState state;
  FakeStarter starter;
  const LaunchPlan plan = startPlan("/opt/tinctor", "1", true);
  ASSERT_FALSE(state.beginPluginRun());
  EXPECT_EQ(carryOut(plan, state, starter, ""), (LaunchOutcome{kToolInOperation, std::nullopt, false}));
  state.endRun();
  ASSERT_FALSE(state.beginRun());
  EXPECT_EQ(carryOut(plan, state, starter, ""), LaunchOutcome{});
  EXPECT_TRUE(starter.starts.empty());
}

TEST(CarryOut, CardWriterGetsItsListWithoutEnteringARun) {
  test::TempDir dir;
  RunState state;
  FakeStarter starter;
  starter.folder = dir.path().string();
  LaunchPlan plan = planCardWriter(PluginList(Values{{"Loomhall Cardspan II", "/opt/Cardspan2"}}), Paths{"/d/a.pes"});
  const LaunchOutcome out = carryOut(plan, state, starter, "");
  EXPECT_EQ(out.pid, 101);
  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].argument, "filelist.tmp");
  EXPECT_FALSE(starter.starts[0].onExit);  // detached
  const auto list = dir.read("filelist.tmp");
  EXPECT_EQ(std::string(list.begin(), list.end()), "/d/a.pes\n");
  EXPECT_FALSE(state.toolRunning());

  starter.folder = dir.file("gone");  // neither folder takes the list
  EXPECT_EQ(carryOut(plan, state, starter, "").message, kToolNotExecuted);
}

TEST(RunState, StopAsksToolsAndClosesPlugins) {
  std::vector<PostedMessage> posted;
  RunState state([&](const PostedMessage& m) { posted.push_back(m); });
  EXPECT_FALSE(state.beginRun());
  EXPECT_TRUE(state.beginRun());
  EXPECT_EQ(state.preferencesRefusal(), kToolRunning);
  EXPECT_EQ(state.lockedCommandRefusal(), std::nullopt);
  EXPECT_TRUE(state.refusesLockedCommands());
  state.stopRun();
  EXPECT_TRUE(state.stopRequested());
  EXPECT_TRUE(state.toolRunning());
  EXPECT_TRUE(posted.empty());
  state.endRun();
  EXPECT_FALSE(state.stopRequested());

  EXPECT_FALSE(state.beginPluginRun());
  EXPECT_EQ(state.preferencesRefusal(), kPluginRunning);
  EXPECT_EQ(state.lockedCommandRefusal(), kPluginRunning);
  state.stopRun();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(messageName(posted[0].message), "LHPlugInStop");
  EXPECT_EQ(posted[0].wParam, 0);
  EXPECT_EQ(posted[0].lParam, 0);
  EXPECT_FALSE(state.toolRunning());
  EXPECT_FALSE(state.pluginRunning());
  EXPECT_EQ(state.preferencesRefusal(), std::nullopt);
}

// Two threads start and end runs: at most one is ever inside a run, and a stop from one
// thread reaches the other.
TEST(RunState, OneRunAtATimeAcrossThreads) {
  RunState state;
  std::latch ready(2);
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  auto work = [&](bool plugin) {
    ready.arrive_and_wait();
    for (int runs = 0; runs < 2000;) {
      if (plugin ? state.beginPluginRun() : state.beginRun()) {
        std::this_thread::yield();
        continue;
      }
      ++runs;
      if (inside.fetch_add(1) != 0) overlaps.fetch_add(1);
      std::this_thread::yield();
      if (plugin != state.pluginRunning()) overlaps.fetch_add(1);
      inside.fetch_sub(1);
      state.endRun();
    }
  };
  std::thread a(work, true);
  std::thread b(work, false);
  a.join();
  b.join();
  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_FALSE(state.toolRunning());

  ASSERT_FALSE(state.beginRun());
  std::thread stopper([&] { state.stopRun(); });
  while (!state.stopRequested()) std::this_thread::yield();
  stopper.join();
  EXPECT_TRUE(state.toolRunning());
}

}  // namespace
}  // namespace lh
