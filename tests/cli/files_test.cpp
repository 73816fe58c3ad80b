// Batch runs against what file systems and users do to them: folders that link back into
// themselves, FIFOs named like designs, runs that are killed or interrupted. Each case runs
// the program as a child process with a time limit: a child that has not ended by then is
// killed and the test fails.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "formats/dst.h"
#include "tests/support/cli_run.h"
#include "tests/support/design_builder.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::makeDesign;
using test::st;

// loomhall-cli running as a child, stdout on a pipe, stderr in a file.
class Child {
 public:
  Child(const std::vector<std::string>& args, const std::string& errFile) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], STDOUT_FILENO);
      const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err, STDERR_FILENO);
      ::close(fds[0]);
      std::vector<char*> argv{const_cast<char*>(LH_CLI)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(LH_CLI, argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~Child() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  // Reads stdout until it holds `lines` lines or ends; false when the time ran out first.
  bool readLines(std::size_t lines, Clock::time_point deadline) {
    while (count('\n') < lines) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char buf[4096];
      const ssize_t n = ::read(out_, buf, sizeof buf);
      if (n <= 0) return true;  // the end of the output
      out.append(buf, static_cast<std::size_t>(n));
    }
    return true;
  }
  // Reads all output and waits for the end; false (the child killed) when it did not end
  // within `seconds`.
  bool finish(int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    if (!readLines(static_cast<std::size_t>(-1), deadline)) return false;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() > deadline) return false;
      ::usleep(10000);
    }
    ended_ = true;
    return true;
  }
  int exitCode() const { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }
  std::vector<std::string> outputLines() const {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t nl; (nl = out.find('\n', at)) != std::string::npos; at = nl + 1) lines.push_back(out.substr(at, nl - at));
    return lines;
  }

  std::string out;
  int status = 0;

 private:
  std::size_t count(char c) const { return static_cast<std::size_t>(std::count(out.begin(), out.end(), c)); }
  pid_t pid_ = -1;
  int out_ = -1;
  bool ended_ = false;
};

class CliFiles : public ::testing::Test {
 protected:
  // A small DST design at `path` (folders made as needed).
  void design(const fs::path& path, int size = 100) {
    fs::create_directories(path.parent_path());
    DesignCodec codec;
    EmbDesign d = makeDesign({st(size, 0), st(0, size), st(-size, 0), st(0, -size)});
    const auto image = writeDst(codec, d);
    ASSERT_TRUE(image);
    dir.write(fs::relative(path, dir.path()).string(), *image);
  }
  // `count` designs in `folder`, named so that name order is input order.
  void designs(const fs::path& folder, int count) {
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "d%05d.dst", i);
      design(folder / name, 50 + i % 40);
    }
  }
  std::string errors() const { return test::readText(err); }
  // Entries of `folder` that are hidden stage files.
  static std::vector<std::string> stageFiles(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder))
      if (e.path().filename().string().starts_with(".lh-")) found.push_back(e.path().filename().string());
    return found;
  }
  // Plain files of `folder`, as full paths, sorted.
  static std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder)) found.push_back(e.path().string());
    std::sort(found.begin(), found.end());
    return found;
  }

  test::TempDir dir;
  std::string err = dir.file("stderr.txt");
};

TEST_F(CliFiles, LinksThatLoopAreWalkedOnce) {
  const fs::path in = dir.path() / "in", other = dir.path() / "other";
  design(in / "a.dst");
  design(in / "sub" / "b.dst");
  design(other / "c.dst");
  fs::create_directory_symlink("..", in / "sub" / "up");
  fs::create_directory_symlink(".", in / "self");
  fs::create_directory_symlink(other, in / "sub" / "elsewhere");
  fs::create_directory_symlink(in, other / "back");

  struct Case {
    std::vector<std::string> flags;
    std::set<std::string> written;
  } cases[] = {
      {{"-r"}, {"a.exp", "b.exp"}},
      // With -L the link out of the tree is followed, and every folder is still read once.
      {{"-r", "-L"}, {"a.exp", "b.exp", "c.exp"}},
  };
  for (const Case& c : cases) {
    const fs::path out = dir.path() / ("out" + std::to_string(c.flags.size()));
    std::vector<std::string> args{"convert", "--defaults", "--to", "exp", "-j", "2", "--out", out.string()};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    args.push_back(in.string());
    Child run(args, err);
    ASSERT_TRUE(run.finish(30)) << "the walk did not end";
    EXPECT_EQ(run.exitCode(), 0) << errors();
    std::set<std::string> written;
    for (const std::string& f : filesIn(out)) written.insert(fs::path(f).filename().string());
    EXPECT_EQ(written, c.written) << "each design once: " << run.out;
  }
}

TEST_F(CliFiles, AFifoIsNotARegularFile) {
  const std::string pipe = dir.file("pipe.pes"), zip = dir.file("pipe.zip");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo(zip.c_str(), 0644), 0);
  design(dir.path() / "rose.dst");
  const std::vector<std::vector<std::string>> runs{
      {"info", pipe},
      {"dump", "--json", pipe},
      {"convert", "--to", "exp", pipe},
      {"info", "Zip:" + zip + ":rose.dst"},
      {"convert", "--to", "exp", zip},
  };
  for (const auto& args : runs) {
    Child run(args, err);
    ASSERT_TRUE(run.finish(10)) << args[0] << " waited on the FIFO";
    EXPECT_EQ(run.exitCode(), 1) << args[0];
    if (args.back() == pipe) {
      EXPECT_NE(errors().find(pipe + ": not a regular file"), std::string::npos) << errors();
    }
  }
  // In a folder the FIFOs are passed over, and the design beside them converted.
  Child walk({"convert", "--to", "exp", "-r", dir.path().string()}, err);
  ASSERT_TRUE(walk.finish(10)) << "the walk waited on a FIFO";
  EXPECT_EQ(walk.exitCode(), 0) << errors();
  EXPECT_EQ(walk.outputLines().front(), dir.file("rose.exp"));
}

TEST_F(CliFiles, AKilledRunLeavesNoStageFiles) {
  const fs::path in = dir.path() / "in", out = dir.path() / "out";
  designs(in, 600);
  for (int sig : {SIGKILL, SIGTERM, SIGHUP}) {
    fs::remove_all(out);
    Child run({"convert", "--defaults", "--to", "exp", "-j", "2", "--out", out.string(), in.string()}, err);
    ASSERT_TRUE(run.readLines(1, Clock::now() + std::chrono::seconds(60)));
    ::kill(run.pid(), sig);
    ASSERT_TRUE(run.finish(10));
    ASSERT_TRUE(WIFSIGNALED(run.status)) << "the run ended before the signal came";
    EXPECT_EQ(stageFiles(out), std::vector<std::string>{}) << strsignal(sig);
  }
}

TEST_F(CliFiles, CtrlCPublishesWhatIsStagedInInputOrder) {
  const fs::path in = dir.path() / "in", out = dir.path() / "out";
  designs(in, 1000);
  Child run({"convert", "--defaults", "--to", "exp", "-j", "2", "--out", out.string(), in.string()}, err);
  // stdout is a pipe, so the first lines come with the first full buffer.
  ASSERT_TRUE(run.readLines(1, Clock::now() + std::chrono::seconds(60)));
  ::kill(run.pid(), SIGINT);
  ::kill(run.pid(), SIGINT);  // a second Ctrl-C right after: the run still ends in order
  ASSERT_TRUE(run.finish(60));
  ASSERT_EQ(run.exitCode(), 1) << "the run did not end by itself";

  const std::vector<std::string> lines = run.outputLines();
  const auto halted = std::find(lines.begin(), lines.end(), "Operation halted by the user.");
  ASSERT_NE(halted, lines.end()) << "the run finished before the signal came";
  const std::vector<std::string> listed(lines.begin(), halted);
  EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end())) << "files are listed in input order";
  EXPECT_EQ(listed, filesIn(out)) << "the list is the files";
  ASSERT_FALSE(listed.empty());
  EXPECT_EQ(*(halted + 1), "Last file created: " + listed.back());
  EXPECT_NE(errors().find("halted by the user at " + in.string()), std::string::npos) << errors();
}

}  // namespace
}  // namespace lh
