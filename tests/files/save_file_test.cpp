#include "files/save_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "tests/support/process_guards.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

mode_t permissionsOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(NextUniqueName, FollowsTheNumberingRule) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"Rose.pes", "Rose(2).pes"},
      {"Rose(2).pes", "Rose(3).pes"},
      {"Rose(9)", "Rose(10)"},
      {"/a/b.c/Rose", "/a/b.c/Rose(2)"},
      {"dir\\rose.pes", "dir\\rose(2).pes"},
      {"Rose (copy).pes", "Rose (copy)(2).pes"},  // not a number: a new suffix, not "(1)"
      {"Rose().pes", "Rose()(2).pes"},
      {"Rose(1)(4).dst", "Rose(1)(5).dst"},
      {"a.tar.gz", "a.tar(2).gz"},
      {"Rose(9999999999).pes", "Rose(9999999999)(2).pes"},  // too long to raise safely
  };
  for (const auto& c : cases) EXPECT_EQ(nextUniqueName(c.in), c.out) << c.in;
}

TEST(FolderOf, NamesTheFolderTheTemporaryFileGoesTo) {
  EXPECT_EQ(folderOf("rose.pes"), ".");
  EXPECT_EQ(folderOf("/rose.pes"), "/");
  EXPECT_EQ(folderOf("/a/b.c/rose.pes"), "/a/b.c");
  EXPECT_EQ(folderOf("a/rose"), "a");
}

TEST(SaveUnique, NeverReplacesAndCountsUp) {
  TempDir dir;
  const Bytes a{1, 2, 3}, b{4}, c{5, 6};
  const std::string path = dir.file("Rose.dst");
  EXPECT_EQ(saveUnique(path, a), path);
  EXPECT_EQ(saveUnique(path, b), dir.file("Rose(2).dst"));
  EXPECT_EQ(saveUnique(path, c), dir.file("Rose(3).dst"));
  EXPECT_EQ(dir.read("Rose.dst"), a);
  EXPECT_EQ(dir.read("Rose(2).dst"), b);
  EXPECT_EQ(dir.read("Rose(3).dst"), c);
  // No temporary files are left behind.
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Rose(2).dst", "Rose(3).dst", "Rose.dst"}));
}

TEST(WriteNewFile, RefusesExistingFilesAndMissingFolders) {
  TempDir dir;
  const Bytes a{1}, b{2};
  EXPECT_TRUE(writeNewFile(dir.file("x.bin"), a));
  EXPECT_FALSE(writeNewFile(dir.file("x.bin"), b));
  EXPECT_EQ(dir.read("x.bin"), a);
  EXPECT_FALSE(writeNewFile(dir.file("missing/x.bin"), a));
  EXPECT_FALSE(saveUnique(dir.file("missing/x.bin"), a).has_value());
  // An empty file is still a file.
  EXPECT_TRUE(writeNewFile(dir.file("empty.bin"), {}));
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("empty.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"empty.bin", "x.bin"}));
}

// Each entry of the folder with its kind and, for files, its bytes.
std::map<std::string, std::pair<fs::file_type, Bytes>> snapshot(const TempDir& dir) {
  std::map<std::string, std::pair<fs::file_type, Bytes>> out;
  for (const std::string& name : dir.entries()) {
    const fs::file_type type = fs::symlink_status(dir.file(name)).type();
    out[name] = {type, type == fs::file_type::regular ? dir.read(name) : Bytes{}};
  }
  return out;
}

// Whatever already has the name (a file, a folder, a link, even one to nothing) keeps it.
TEST(SafeSave, NothingAtTheNameIsReplaced) {
  const Bytes ours{'o', 'u', 'r', 's'};
  const struct {
    const char* what;
    void (*make)(const TempDir&);
  } cases[] = {
      {"file", [](const TempDir& d) { d.write("rose.pes", {'m', 'i', 'n', 'e'}); }},
      {"folder", [](const TempDir& d) { fs::create_directory(d.file("rose.pes")); }},
      {"link to nothing", [](const TempDir& d) { fs::create_symlink(d.file("gone"), d.file("rose.pes")); }},
      {"link to a file",
       [](const TempDir& d) {
         d.write("mine", {'m', 'i', 'n', 'e'});
         fs::create_symlink(d.file("mine"), d.file("rose.pes"));
       }},
  };
  for (const auto& c : cases) {
    TempDir dir;
    c.make(dir);
    const std::string path = dir.file("rose.pes");
    auto before = snapshot(dir);
    EXPECT_FALSE(writeNewFile(path, ours)) << c.what;
    auto staged = StagedFile::stage(path, ours);
    ASSERT_TRUE(staged.has_value()) << c.what;
    EXPECT_FALSE(staged->publishExactly(path)) << c.what;
    EXPECT_EQ(snapshot(dir), before) << c.what << ": nothing changed, nothing left behind";

    EXPECT_EQ(saveUnique(path, ours), dir.file("rose(2).pes")) << c.what;
    before["rose(2).pes"] = {fs::file_type::regular, ours};
    EXPECT_EQ(snapshot(dir), before) << c.what;
  }
}

TEST(StagedFile, PublishesUnderTheFirstFreeName) {
  TempDir dir;
  const Bytes bytes{'d', 'a', 't', 'a'}, user{'u', 's', 'e', 'r'};
  dir.write("rose.pes", user);
  dir.write("rose(2).pes", user);
  auto staged = StagedFile::stage(dir.file("rose.pes"), bytes);
  ASSERT_TRUE(staged.has_value());
  EXPECT_EQ(dir.entries().size(), 2u) << "the staged file has no name yet";
  EXPECT_EQ(staged->publish(dir.file("rose.pes")), dir.file("rose(3).pes"));
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"rose(2).pes", "rose(3).pes", "rose.pes"}));
  EXPECT_EQ(dir.read("rose(3).pes"), bytes);
  EXPECT_EQ(dir.read("rose.pes"), user);
  EXPECT_FALSE(staged->publish(dir.file("again.pes")).has_value()) << "published once only";
}

TEST(StagedFile, UnpublishedFilesAreRemoved) {
  TempDir dir;
  const Bytes bytes{'d', 'a', 't', 'a'};
  {
    auto staged = StagedFile::stage(dir.file("rose.pes"), bytes);
    ASSERT_TRUE(staged.has_value());
    auto moved = std::move(*staged);
    auto named = StagedFile::create(dir.file("tulip.pes"));
    ASSERT_TRUE(named.has_value());
    EXPECT_EQ(dir.entries().size(), 1u) << "only the file from create() has a name";
  }
  EXPECT_TRUE(dir.entries().empty());
  EXPECT_FALSE(StagedFile::stage(dir.file("no/such/folder/rose.pes"), bytes).has_value());
  // A folder it cannot name the file in: nothing left behind.
  auto staged = StagedFile::stage(dir.file("rose.pes"), bytes);
  ASSERT_TRUE(staged.has_value());
  EXPECT_FALSE(staged->publish(dir.file("missing/rose.pes")).has_value());
  EXPECT_TRUE(dir.entries().empty());
}

// A process that dies while its files are staged: the files without a name go with it, and
// the next save into the folder removes the named ones of every process that is gone. Files
// of live processes and names of other forms stay.
TEST(StagedFile, StageFilesOfKilledProcessesGo) {
  TempDir dir;
  const Bytes bytes{'d', 'a', 't', 'a'};
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto a = StagedFile::stage(dir.file("rose.pes"), bytes);
    auto b = StagedFile::create(dir.file("tulip.pes"));
    if (a && b && b->write(bytes) && a->path().empty() && !b->path().empty()) ::kill(::getpid(), SIGKILL);
    ::_exit(3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child could not stage its files";
  const std::vector<std::string> left = dir.entries();
  ASSERT_EQ(left.size(), 1u) << "the unnamed file went with the process";
  EXPECT_TRUE(left[0].starts_with(".lh-" + std::to_string(child) + "-")) << left[0];

  const std::string mine = ".lh-" + std::to_string(::getpid()) + "-ff";
  for (const std::string& name : {mine, std::string(".lh-0123456789abcdef"), std::string(".lh-x-1"),
                                 std::string("keep.pes")})
    dir.write(name, bytes);
  auto staged = StagedFile::stage(dir.file("rose.pes"), bytes);
  ASSERT_TRUE(staged.has_value());
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{".lh-0123456789abcdef", mine, ".lh-x-1", "keep.pes"}));
}

// write() fails with EFBIG beyond the limit, after a short write, as it does on a full disk.
TEST(SafeSave, AFullDiskIsAFailureWithNothingLeft) {
  TempDir dir;
  const Bytes big(64 * 1024, 7), small(1000, 1);
  const std::string path = dir.file("big.pes");
  {
    test::ScopedFileSizeLimit limit(4096);
    EXPECT_FALSE(saveUnique(path, big).has_value());
    EXPECT_FALSE(writeNewFile(path, big));
    EXPECT_FALSE(StagedFile::stage(path, big).has_value());
    auto file = StagedFile::create(path);
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(file->write(small));
    EXPECT_FALSE(file->write(big));
    EXPECT_FALSE(file->publish(path).has_value());
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(saveUnique(dir.file("small.pes"), small), dir.file("small.pes")) << "the limit alone fails";
  }
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"small.pes"});
}

// Threads save side by side under one wanted name, as the tool runner's workers do. Every
// file gets its own name, every one honours the umask, and none of them touched it.
TEST(SafeSave, ThreadsSavingAtOnceHonourTheUmask) {
  constexpr int kThreads = 8, kEach = 10;
  TempDir dir;
  test::ScopedUmask mask(027);
  const int umaskCalls = test::umaskCalls();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&dir, t] {
      for (int i = 0; i < kEach; ++i) {
        const Bytes bytes{static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(i)};
        EXPECT_TRUE(saveUnique(dir.file("rose.pes"), bytes).has_value());
        auto staged = StagedFile::stage(dir.file("tulip.pes"), bytes);
        EXPECT_TRUE(staged && staged->publish(dir.file("tulip.pes")).has_value());
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(test::umaskCalls(), umaskCalls) << "saving read or set the process-wide umask";

  std::set<Bytes> rose, tulip;
  for (const std::string& name : dir.entries()) {
    EXPECT_EQ(permissionsOf(dir.file(name)), 0640u) << name;
    (name.starts_with("rose") ? rose : tulip).insert(dir.read(name));
  }
  EXPECT_EQ(dir.entries().size(), 2u * kThreads * kEach) << "no file replaced, no temporary left";
  EXPECT_EQ(rose.size(), std::size_t{kThreads * kEach});
  EXPECT_EQ(tulip.size(), std::size_t{kThreads * kEach});
}

}  // namespace
}  // namespace lh
