// `loomhall-cli host` and a plug-in as two processes on a private bus: the plug-in walks the
// three designs served, asks for the colours and the charts, hands a design back with a new
// colour and ends; the host saves it beside its source and exits.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "formats/design_codec.h"
#include "plugin/payload.h"
#include "tests/support/cli_run.h"
#include "tests/tools/tool_fixtures.h"

extern char** environ;

namespace lh {
namespace {

namespace fs = std::filesystem;

// Waits for `pid` up to `seconds`; its exit status, or -1 when it had to be killed.
int waitFor(pid_t pid, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts `argv` with standard output into `out` and standard error into `err`.
pid_t start(std::vector<std::string> args, const std::string& out, const std::string& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Three sample designs in a scratch folder, a private bus and settings of the test's own.
class HostCommand : public ::testing::Test {
 protected:
  HostCommand() {
    for (const char* name : {"spiral.dst", "flower.pes", "letters.pes"})
      fs::copy_file(std::string(LH_SAMPLES_DIR) + "/" + name, dir / name);
    fs::create_directories(dir / "config/Quenby");
    ::setenv("LOOMHALL_BUS", bus.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir / "config").c_str(), 1);
    ::unsetenv("PLUGIN_CLIENT_COLOUR");
  }

  pid_t startHost(std::vector<std::string> options) {
    std::vector<std::string> args{LH_CLI, "host", "--defaults"};
    args.insert(args.end(), options.begin(), options.end());
    for (const char* name : {"spiral.dst", "flower.pes", "letters.pes"}) args.push_back(dir / name);
    return start(args, dir / "host.out", dir / "host.err");
  }

  // The design handed back: saved beside its source, in the tool format, with the new colour.
  void expectSaved() {
    const std::string saved = dir / "flower(2).pes";
    EXPECT_EQ(test::readText(dir / "host.out"),
              saved + "\nLoomhall Tools keep same file types.\n1 file was created.\n");
    DesignCodec codec;
    EmbDesign d;
    codec.busyCount.fetch_add(1);
    ASSERT_EQ(codec.loadDesign(&d, saved), LoadResult::Ok);
    ASSERT_FALSE(d.threads.empty());
    EXPECT_EQ(d.threads[0].rgb, 0x563412u);
  }

  test::ScratchDir dir;
  const std::string bus = dir / "bus";
};

TEST_F(HostCommand, ServesAPluginAndSavesTheDesignItHandsBack) {
  const pid_t host = startHost({});
  ASSERT_GT(host, 0);
  // The host serves the bus once its socket is there.
  for (int i = 0; i < 1000 && !fs::exists(bus); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(fs::exists(bus)) << test::readText(dir / "host.err");

  const pid_t client = start({LH_PLUGIN_CLIENT, "1"}, dir / "client.out", dir / "client.err");
  ASSERT_GT(client, 0);
  EXPECT_EQ(waitFor(client, 60), 0) << test::readText(dir / "client.err");
  EXPECT_EQ(waitFor(host, 60), 0) << test::readText(dir / "host.err");

  // The colours of the current file's format, and its charts, each behind its header.
  EmbDesign palette, charts;
  readDesignPayload(*writeColorArrayPayload(dir / "flower.pes"), palette, PayloadSide::Plugin);
  readDesignPayload(*writeThreadColorArrayPayload(dir / "flower.pes"), charts, PayloadSide::Plugin);
  std::size_t headers = 0;
  for (const ChartGroup& g : chartGroups(charts.threads)) headers += g.hasHeader ? 1 : 0;
  ASSERT_GT(headers, 0u);
  EXPECT_EQ(test::readText(dir / "client.out"),
            "file spiral.dst\nfile flower.pes\nfile letters.pes\nfile flower.pes\ncolors " +
                std::to_string(palette.threads.size()) + "\ncharts " + std::to_string(headers) + "\nsaved\n");
  expectSaved();
}

TEST_F(HostCommand, LaunchesAnInstalledPlugin) {
  test::writeAll(dir / "config/Quenby/Loomhall Tools.conf",
                 std::string("[General]\nTest Client=") + LH_PLUGIN_CLIENT + "\n");
  EXPECT_EQ(waitFor(startHost({"--launch", "Test Client"}), 60), 0) << test::readText(dir / "host.err");
  expectSaved();

  EXPECT_EQ(waitFor(startHost({"--launch", "Nobody"}), 60), 1);
  EXPECT_NE(test::readText(dir / "host.err").find("no plug-in named 'Nobody'"), std::string::npos);
}

}  // namespace
}  // namespace lh
