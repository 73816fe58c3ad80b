// Tool commands on zip archives, run as a program over archives the test builds: member
// names in different case or repeated, one archive write per run, archives the user may not
// write, colons in "Zip:" paths and member names, --out that is no folder, and Ctrl-C.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/cli_run.h"
#include "tests/support/file_events.h"
#include "tests/tools/tool_fixtures.h"
#include "tests/zip/raw_zip.h"
#include "zip/zip_archive.h"

extern char** environ;

namespace lh {
namespace {

using test::CliRun;
using test::sampleDesign;
using test::shellQuote;

class CliArchives : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 2; ++i) test::writeDst(sampleDesign(300 * i, 200, 2), in / ("d" + std::to_string(i) + ".dst"));
    small = test::readAll(in / "d1.dst");
    large = test::readAll(in / "d2.dst");
  }
  // Runs loomhall-cli in the scratch folder `in`, settings isolated.
  CliRun cli(const std::string& args) { return test::runCli(args, home.path(), in.path()); }
  std::string archiveOf(const std::vector<test::RawMember>& members, const std::string& name = "set.zip") {
    const auto image = test::buildZip(members);
    test::writeAll(in / name, std::string(image.begin(), image.end()));
    return in / name;
  }
  test::ScratchDir in, out, home;
  std::vector<std::uint8_t> small, large;
};

TEST_F(CliArchives, EachMemberIsReadUnderItsOwnName) {
  const std::string archive =
      archiveOf({{"Rose.dst", small}, {"rose.dst", large}, {"tulip.dst", small}, {"tulip.dst", large}});
  const CliRun r = cli("convert --to exp --out " + shellQuote(out.path()) + " " + shellQuote(archive));
  EXPECT_EQ(r.status, 1);  // the repeated name
  EXPECT_NE(r.err.find(makeZipPath(archive, "tulip.dst") + ": 2 members have this name"), std::string::npos) << r.err;
  EXPECT_EQ(out.files(), (std::vector<std::string>{"Rose.exp", "rose.exp"}));
  EXPECT_NE(test::readAll(out / "Rose.exp"), test::readAll(out / "rose.exp"));

  // info shows the member named, as the plain file of the same design does.
  auto sizeText = [](const std::string& line) { return line.substr(line.find('\t')); };
  const CliRun member = cli("info " + shellQuote(makeZipPath(archive, "rose.dst")));
  const CliRun plain = cli("info " + shellQuote(in / "d2.dst"));
  ASSERT_EQ(member.status, 0);
  EXPECT_EQ(sizeText(member.out), sizeText(plain.out));
  const CliRun repeated = cli("info " + shellQuote(makeZipPath(archive, "TULIP.dst")));
  EXPECT_EQ(repeated.status, 1);
  EXPECT_NE(repeated.err.find("2 members have this name"), std::string::npos) << repeated.err;
}

TEST_F(CliArchives, AnInPlaceRunWritesTheArchiveOnce) {
  std::vector<test::RawMember> members;
  for (int i = 0; i < 12; ++i) members.push_back({"m" + std::to_string(i) + ".dst", i % 2 ? small : large});
  const std::string archive = archiveOf(members);
  test::PublishCounter published(in.path(), "set.zip");
  ASSERT_TRUE(published.ok());
  const CliRun r = cli("convert --to exp -j 2 " + shellQuote(archive));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(published.count(), 1);
  EXPECT_NE(r.out.find(makeZipPath(archive, "m11.exp") + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("12 files were created."), std::string::npos) << r.out;
  EXPECT_EQ(ZipArchive::listMembers(archive).size(), 24u);
}

TEST_F(CliArchives, AnArchiveWithoutWritePermissionIsLeftAlone) {
  const std::string archive = archiveOf({{"rose.dst", small}});
  ASSERT_EQ(::chmod(archive.c_str(), 0444), 0);
  const auto before = test::readAll(archive);
  const CliRun r = cli("convert --to exp " + shellQuote(archive));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write " + archive), std::string::npos) << r.err;
  EXPECT_NE(r.out.find(makeZipPath(archive, "rose.exp") + " could not be saved."), std::string::npos) << r.out;
  EXPECT_EQ(test::readAll(archive), before);
  struct stat st {};
  ASSERT_EQ(::stat(archive.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(CliArchives, ColonsInArchivePathsAndMemberNames) {
  std::filesystem::create_directories(in / "a:b");
  const std::string archive = archiveOf({{"c:d.dst", small}}, "a:b/set.zip");
  const std::string member = makeZipPath(archive, "c:d.dst");
  EXPECT_EQ(cli("info " + shellQuote(member)).status, 0);
  const CliRun r = cli("convert --to exp --out " + shellQuote(out.path()) + " " + shellQuote(member));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(out.files(), std::vector<std::string>{"c_d.exp"});
}

TEST_F(CliArchives, OutMustBeAFolder) {
  const std::string archive = archiveOf({{"rose.dst", small}});
  test::writeAll(in / "file.txt", "a file");
  for (const std::string& value : {makeZipPath(archive, "sub"), std::string("Zip:new.zip:x"), in / "file.txt"}) {
    const CliRun r = cli("convert --to exp --out " + shellQuote(value) + " " + shellQuote(archive));
    EXPECT_EQ(r.status, 2) << value;
    EXPECT_NE(r.err.find("--out needs a folder"), std::string::npos) << r.err;
  }
  EXPECT_EQ(in.files(), (std::vector<std::string>{"d1.dst", "d2.dst", "file.txt", "set.zip"}));
  EXPECT_EQ(ZipArchive::listMembers(archive).size(), 1u);
}

// Whether the process has a handler for SIGINT (so a Ctrl-C now is the program's to handle).
bool catchesInterrupt(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1)) & 1;
  return false;
}

TEST_F(CliArchives, CtrlCStopsAnInPlaceRunAndWritesWhatWasDone) {
  constexpr int kMembers = 1000;
  std::vector<test::RawMember> members;
  for (int i = 0; i < kMembers; ++i) members.push_back({"m" + std::to_string(1000 + i) + ".dst", large, true});
  const std::string archive = archiveOf(members);
  test::PublishCounter published(in.path(), "set.zip");
  const std::string outFile = home / "out.txt";
  // Spawned directly (no shell), so the handler seen below is the program's own.
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const std::string config = "XDG_CONFIG_HOME=" + home.path();
  std::vector<char*> env{const_cast<char*>(config.c_str())};
  for (char** e = environ; *e != nullptr; ++e)
    if (std::string_view(*e).rfind("XDG_CONFIG_HOME=", 0) != 0) env.push_back(*e);
  env.push_back(nullptr);
  const char* argv[] = {LH_CLI, "convert", "--to", "exp", "-j", "2", archive.c_str(), nullptr};
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, LH_CLI, &files, nullptr, const_cast<char**>(argv), env.data());
  posix_spawn_file_actions_destroy(&files);
  ASSERT_EQ(spawned, 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!catchesInterrupt(pid) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(catchesInterrupt(pid)) << "the run never set up its Ctrl-C handling";
  // Some designs into the run (converting them all takes seconds), not a measurement.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ::kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal";
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string text = test::readText(outFile);
  EXPECT_NE(text.find("Operation halted by the user."), std::string::npos) << text;
  // What was converted before the stop is in the archive, written once, and listed.
  const std::size_t listed = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  const std::size_t added = ZipArchive::listMembers(archive).size() - kMembers;
  EXPECT_LT(added, std::size_t{kMembers});
  EXPECT_GE(listed, added);
  EXPECT_EQ(published.count(), added > 0 ? 1 : 0);
  for (const std::string& m : ZipArchive::listMembers(archive)) {
    if (m.ends_with(".exp")) {
      EXPECT_NE(text.find(makeZipPath(archive, m) + "\n"), std::string::npos) << m;
    }
  }
}

}  // namespace
}  // namespace lh
