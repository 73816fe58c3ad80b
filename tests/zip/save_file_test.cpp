#include "zip/save_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

using test::TempDir;

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

TEST(SaveUnique, NeverReplacesAndCountsUp) {
  TempDir dir;
  const std::vector<std::uint8_t> a{1, 2, 3}, b{4}, c{5, 6};
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
  const std::vector<std::uint8_t> a{1}, b{2};
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
}

}  // namespace
}  // namespace lh
