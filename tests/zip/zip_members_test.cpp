// Member names (exact, letter case, repeated), storing many members at once, archives the
// user may not write, and "Zip:" paths with colons.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/file_events.h"
#include "tests/zip/raw_zip.h"
#include "tests/zip/temp_dir.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

using test::buildZip;
using test::bytesOf;
using test::TempDir;

class ZipMembers : public ::testing::Test {
 protected:
  TempDir dir;
  std::string archive = dir.file("designs.zip");
  std::vector<std::uint8_t> upper = bytesOf("Rose, capital");
  std::vector<std::uint8_t> lower = bytesOf("rose, small");
  std::vector<std::uint8_t> other = bytesOf("another rose");
};

TEST_F(ZipMembers, AnExactNameWinsOverOneInOtherCase) {
  const auto image = buildZip({{"Rose.pes", upper}, {"rose.pes", lower, true}, {"tulip.dst", other}});
  dir.write("designs.zip", image);
  const struct {
    const char* name;
    std::size_t named;
    const std::vector<std::uint8_t>* bytes;  // null: nothing is read
  } cases[] = {
      {"Rose.pes", 1, &upper},
      {"rose.pes", 1, &lower},
      {"ROSE.PES", 2, nullptr},  // only case-folded matches, and two of them
      {"TULIP.dst", 1, &other},
      {"lily.dst", 0, nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ZipArchive::membersNamed(archive, c.name), c.named) << c.name;
    const std::vector<std::uint8_t> none;
    const auto& want = c.bytes ? *c.bytes : none;
    EXPECT_EQ(ZipArchive::readMember(archive, c.name), want) << c.name;
    EXPECT_EQ(ZipArchive::readMember(image, c.name), want) << c.name << " (in memory)";
  }
  // Replacing and deleting change exactly the member named, or nothing when it is repeated.
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", other, ZipReplace));
  EXPECT_EQ(ZipArchive::readMember(archive, "Rose.pes"), upper);
  EXPECT_FALSE(ZipArchive::deleteMember(archive, "ROSE.PES"));
  ASSERT_TRUE(ZipArchive::deleteMember(archive, "Rose.pes"));
  EXPECT_EQ(ZipArchive::listMembers(archive), (std::vector<std::string>{"tulip.dst", "rose.pes"}));
  EXPECT_EQ(ZipArchive::readMember(archive, "ROSE.PES"), other);
}

TEST_F(ZipMembers, ARepeatedNameDesignatesNoMember) {
  dir.write("designs.zip", buildZip({{"rose.pes", upper}, {"rose.pes", lower}}));
  EXPECT_EQ(ZipArchive::membersNamed(archive, "rose.pes"), 2u);
  EXPECT_TRUE(ZipArchive::memberExists(archive, "rose.pes"));
  EXPECT_TRUE(ZipArchive::readMember(archive, "rose.pes").empty());
  EXPECT_FALSE(ZipArchive::writeMember(archive, "rose.pes", other, ZipReplace));
  EXPECT_FALSE(ZipArchive::deleteMember(archive, "rose.pes"));
  std::string stored;
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", other, ZipUniqueName, &stored));
  EXPECT_EQ(stored, "rose(2).pes");
  EXPECT_EQ(ZipArchive::listMembers(archive), (std::vector<std::string>{"rose.pes", "rose.pes", "rose(2).pes"}));
}

TEST_F(ZipMembers, StoresABatchInOneRewrite) {
  ASSERT_TRUE(ZipArchive::writeMember(archive, "a.pes", upper));
  const std::vector<ZipArchive::NewMember> batch{
      {"A.pes", lower}, {"a.pes", other}, {"sub/b.pes", upper}, {"a(3).pes", lower}, {"a.pes", upper}};
  test::PublishCounter published(dir.path().string(), "designs.zip");
  ASSERT_TRUE(published.ok());
  const auto names = ZipArchive::storeMembers(archive, batch);
  ASSERT_TRUE(names);
  EXPECT_EQ(published.count(), 1);
  // Each takes the first free name, seeing the ones stored before it in the batch.
  EXPECT_EQ(*names, (std::vector<std::string>{"A(2).pes", "a(3).pes", "sub/b.pes", "a(4).pes", "a(5).pes"}));
  EXPECT_EQ(ZipArchive::readMember(archive, "a(5).pes"), upper);
  EXPECT_EQ(ZipArchive::listMembers(archive).size(), 6u);

  // Without unique names a taken name fails the whole batch and changes nothing.
  const auto before = dir.read("designs.zip");
  EXPECT_FALSE(ZipArchive::storeMembers(archive, std::vector<ZipArchive::NewMember>{{"new.pes", upper}, {"A.PES", upper}},
                                        ZipPlain));
  EXPECT_EQ(dir.read("designs.zip"), before);
  EXPECT_EQ(published.count(), 0);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"designs.zip"});
}

TEST_F(ZipMembers, AnArchiveWithoutWriteBitsIsNotChanged) {
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", upper));
  ASSERT_EQ(::chmod(archive.c_str(), 0444), 0);
  const auto before = dir.read("designs.zip");
  // Root passes every permission check: the mode bits decide, for every user.
  EXPECT_FALSE(ZipArchive::mayRewrite(archive));
  EXPECT_FALSE(ZipArchive::writeMember(archive, "tulip.pes", lower, ZipUniqueName));
  EXPECT_FALSE(ZipArchive::storeMembers(archive, std::vector<ZipArchive::NewMember>{{"tulip.pes", lower}}));
  EXPECT_FALSE(ZipArchive::deleteMember(archive, "rose.pes"));
  EXPECT_EQ(dir.read("designs.zip"), before);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"designs.zip"});
  EXPECT_TRUE(ZipArchive::mayRewrite(dir.file("new.zip")));
}

// Run as root: the rewritten archive keeps a foreign owner and its mode, and a user who may
// not write a root-owned archive in a folder everybody may write leaves it alone.
TEST_F(ZipMembers, KeepsTheOwnerAndRefusesOtherUsers) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files away";
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", upper));
  ASSERT_EQ(::chown(archive.c_str(), 4321, 4322), 0);
  ASSERT_EQ(::chmod(archive.c_str(), 0604), 0);
  ASSERT_TRUE(ZipArchive::writeMember(archive, "tulip.pes", lower));
  struct stat st {};
  ASSERT_EQ(::stat(archive.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 4322u);
  EXPECT_EQ(st.st_mode & 07777, 0604u);

  const std::string folder = dir.file("shared");
  ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 01777), 0);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::string rootOwned = folder + "/root.zip";
  ASSERT_TRUE(ZipArchive::writeMember(rootOwned, "rose.pes", upper));
  ASSERT_EQ(::chmod(rootOwned.c_str(), 0644), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    const bool refused = !ZipArchive::mayRewrite(rootOwned) &&
                         !ZipArchive::writeMember(rootOwned, "tulip.pes", lower, ZipUniqueName);
    ::_exit(refused ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the other user rewrote the archive (3: could not change user)";
  ASSERT_EQ(::stat(rootOwned.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(ZipArchive::listMembers(rootOwned), std::vector<std::string>{"rose.pes"});
}

TEST_F(ZipMembers, ArchivePathsWithColons) {
  const std::string folder = dir.file("a:b");
  std::filesystem::create_directories(folder);
  const std::string coloned = folder + "/x.ZIP";
  ASSERT_TRUE(ZipArchive::writeMember(coloned, "c:d.pes", upper));
  // Written with one path, the member reads back through the "Zip:" path naming it.
  const auto zip = splitZipPath(makeZipPath(coloned, "c:d.pes"));
  ASSERT_TRUE(zip);
  EXPECT_EQ(zip->archive, coloned);
  EXPECT_EQ(zip->member, "c:d.pes");
  EXPECT_EQ(ZipArchive::readMember(zip->archive, zip->member), upper);

  // A file without ".zip" that exists keeps the first colon as the split.
  dir.write("plain", buildZip({{"y.zip:z.pes", lower}}));
  const auto plain = splitZipPath(makeZipPath(dir.file("plain"), "y.zip:z.pes"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->archive, dir.file("plain"));
  EXPECT_EQ(ZipArchive::readMember(plain->archive, plain->member), lower);
}

TEST(ZipPath, SplitsAtTheFirstColonOrTheLastZip) {
  const struct {
    const char* path;
    const char* archive;
    const char* member;
  } cases[] = {
      {"Zip:/home/me/designs.zip:flowers/rose.pes", "/home/me/designs.zip", "flowers/rose.pes"},
      {"Zip:C:\\designs.zip:rose.pes", "C:\\designs.zip", "rose.pes"},
      {"Zip:/d/a:b/x.zip:rose.pes", "/d/a:b/x.zip", "rose.pes"},
      {"Zip:/d/a:b/x.Zip:c:d.zip:e.pes", "/d/a:b/x.Zip:c:d.zip", "e.pes"},
      {"Zip:/d/x.zip:a:b.pes", "/d/x.zip", "a:b.pes"},
      {"Zip:/d/x.zip:y.zip:b.pes", "/d/x.zip", "y.zip:b.pes"},
      {"Zip:/nowhere/a:b.pes", "/nowhere/a", "b.pes"},
  };
  for (const auto& c : cases) {
    const auto p = splitZipPath(c.path);
    ASSERT_TRUE(p) << c.path;
    EXPECT_EQ(p->archive, c.archive) << c.path;
    EXPECT_EQ(p->member, c.member) << c.path;
  }
  EXPECT_FALSE(splitZipPath("Zip:/no/member.zip"));
  EXPECT_FALSE(splitZipPath("/plain/path.pes"));
  EXPECT_FALSE(splitZipPath("Zip:"));
  EXPECT_EQ(makeZipPath("/a.zip", "b.dst"), "Zip:/a.zip:b.dst");
}

}  // namespace
}  // namespace lh
