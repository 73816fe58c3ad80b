// Reading the installed plug-ins from the settings file and starting plug-in programs as
// processes: the argument, the working folder, and the end of a run when the process dies.
#include "platform/plugin_launcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <cstdlib>
#include <fstream>

#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

// Writes "<argument> <working folder>" beside itself and exits with status 3.
constexpr const char* kPluginScript =
    "#!/bin/sh\n"
    "printf '%s %s' \"$1\" \"$(pwd)\" > \"$(dirname \"$0\")/ran.txt\"\n"
    "exit 3\n";

class Launcher : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "plugin_launcher_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
    // QSettings reads XDG_CONFIG_HOME once per process: one scratch folder for the suite.
    config_ = std::make_unique<test::TempDir>();
    std::filesystem::create_directories(config_->file("Quenby"));
    ::setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
  }
  static void TearDownTestSuite() { config_.reset(); }

  void SetUp() override {
    std::filesystem::create_directories(home.file("plug ins"));
    program = home.file("plug ins/colours");
    std::ofstream(program) << kPluginScript;
    ::chmod(program.c_str(), 0755);
  }

  void install(const std::string& lines) {
    std::ofstream(config_->file("Quenby/Loomhall Tools.conf")) << "[General]\n" << lines;
  }

  std::string ran() const {
    const auto bytes = home.read("plug ins/ran.txt");
    return std::string(bytes.begin(), bytes.end());
  }

  // Lets events through until `done` holds (a guard against a hang, not a timing check).
  static bool waitFor(const std::function<bool()>& done) {
    QDeadlineTimer guard(20000);
    while (!done() && !guard.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      QThread::msleep(5);
    }
    return done();
  }

  static inline std::unique_ptr<test::TempDir> config_;
  test::TempDir home;
  std::string program;
};

TEST_F(Launcher, ReadsTheInstalledPluginsFromTheQuenbyFile) {
  install("Loomhall Huetide=/usr/bin/tinctor\nloomhall cardspan=1/opt/cards/Cardspan\nZed=0/bin/true\n");
  const PluginList list = PluginLauncher::installedPlugins();
  ASSERT_EQ(list.entries().size(), 3u);
  EXPECT_EQ(list.entries()[0].name, "loomhall cardspan");
  EXPECT_TRUE(list.entries()[0].runsOnItsOwn());
  EXPECT_EQ(list.entries()[1].program(), "/usr/bin/tinctor");
  EXPECT_EQ(list.entries()[2].command, 32003);
  EXPECT_EQ(PluginLauncher::settingsLocation(), config_->file("Quenby/Loomhall Tools.conf"));
}

TEST_F(Launcher, PluginRunStartsWithOneInItsFolderAndEndsWhenTheProcessDies) {
  install("Colours=" + program + "\n");
  const PluginList list = PluginLauncher::installedPlugins();
  RunState state;
  PluginLauncher launcher;
  std::optional<ProcessExit> exit;
  const std::vector<std::string> selected{"/d/rose.pes"};
  const LaunchOutcome out = carryOut(planPluginRun(list, list.byCommand(32001), selected, state.snapshot()), state,
                                     launcher, "", [&](const ProcessExit& e) { exit = e; });
  ASSERT_TRUE(out.pid) << (out.message ? out.message->caption : "");
  EXPECT_TRUE(out.beganRun);
  ASSERT_TRUE(waitFor([&] { return exit.has_value(); }));
  EXPECT_EQ(exit->pid, *out.pid);
  EXPECT_EQ(exit->exitCode, 3);
  EXPECT_FALSE(exit->crashed);
  EXPECT_FALSE(state.toolRunning());
  EXPECT_EQ(ran(), "1 " + home.file("plug ins"));
  EXPECT_EQ(launcher.runningCount(), 0);
}

TEST_F(Launcher, ProgramThatRunsOnItsOwnStartsDetached) {
  install("Own=1" + program + "\n");
  const PluginList list = PluginLauncher::installedPlugins();
  RunState state;
  PluginLauncher launcher;
  const LaunchOutcome out = carryOut(planPluginRun(list, list.byName("Own"), {}, state.snapshot()), state, launcher, "");
  ASSERT_TRUE(out.pid);
  EXPECT_FALSE(out.beganRun);
  EXPECT_FALSE(state.toolRunning());
  ASSERT_TRUE(waitFor([&] { return ran().size() > 2; }));
  EXPECT_EQ(ran(), "1 " + home.file("plug ins"));
}

TEST_F(Launcher, MissingProgramIsNotExecuted) {
  PluginLauncher launcher;
  RunState state;
  EXPECT_EQ(launcher.start(home.file("plug ins/none"), "1", [](const ProcessExit&) {}), std::nullopt);
  EXPECT_EQ(launcher.start("", "1", {}), std::nullopt);
  const PluginList list(std::map<std::string, std::string>{{"Gone", home.file("gone/tool")}});
  const LaunchOutcome out =
      carryOut(planPluginRun(list, list.byName("Gone"), std::vector<std::string>{"/d/a.pes"}, {}), state, launcher, "");
  EXPECT_EQ(out.message, kToolNotExecuted);
  EXPECT_FALSE(state.toolRunning());
}

}  // namespace
}  // namespace lh
