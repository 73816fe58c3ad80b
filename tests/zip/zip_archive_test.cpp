#include "zip/zip_archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "tests/support/process_guards.h"
#include "tests/zip/temp_dir.h"
#include "tests/zip/raw_zip.h"

namespace lh {
namespace {

using test::buildZip;
using test::bytesOf;
using test::RawMember;
using test::TempDir;

class ZipArchiveTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string archive = dir.file("designs.zip");
  std::vector<std::uint8_t> rose = bytesOf("rose stitches, not really a design");
  std::vector<std::uint8_t> tulip = bytesOf("tulip");
};

TEST_F(ZipArchiveTest, WritesListsAndReadsMembersIgnoringCase) {
  ASSERT_TRUE(ZipArchive::writeMember(archive, "flowers/rose.pes", rose));
  ASSERT_TRUE(ZipArchive::writeMember(archive, "tulip.dst", tulip));
  EXPECT_EQ(ZipArchive::listMembers(archive), (std::vector<std::string>{"flowers/rose.pes", "tulip.dst"}));
  EXPECT_TRUE(ZipArchive::memberExists(archive, "FLOWERS/Rose.PES"));
  EXPECT_FALSE(ZipArchive::memberExists(archive, "rose.pes"));
  EXPECT_EQ(ZipArchive::readMember(archive, "Flowers/ROSE.pes"), rose);
  EXPECT_EQ(ZipArchive::readMember(archive, "TULIP.DST"), tulip);
  EXPECT_TRUE(ZipArchive::readMember(archive, "lily.dst").empty());

  const auto infos = ZipArchive::memberInfos(archive);
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0].method, 8);  // deflated
  EXPECT_EQ(infos[0].size, rose.size());
  EXPECT_NEAR(static_cast<double>(infos[0].modified), static_cast<double>(std::time(nullptr)), 120.0);
  // Only the archive is left in the folder: no temporary or ".bak" files.
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"designs.zip"});
}

TEST_F(ZipArchiveTest, UniqueNameReplaceAndDeleteOnly) {
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", rose));
  // A plain write never replaces a member.
  EXPECT_FALSE(ZipArchive::writeMember(archive, "ROSE.PES", tulip));
  EXPECT_EQ(ZipArchive::readMember(archive, "rose.pes"), rose);

  std::string stored;
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", tulip, ZipUniqueName, &stored));
  EXPECT_EQ(stored, "rose(2).pes");
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", tulip, ZipUniqueName, &stored));
  EXPECT_EQ(stored, "rose(3).pes");

  ASSERT_TRUE(ZipArchive::writeMember(archive, "Rose.pes", tulip, ZipReplace, &stored));
  EXPECT_EQ(stored, "Rose.pes");
  EXPECT_EQ(ZipArchive::readMember(archive, "rose.pes"), tulip);
  EXPECT_EQ(ZipArchive::listMembers(archive).size(), 3u);

  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose(2).pes", {}, ZipReplace | ZipDeleteOnly));
  EXPECT_FALSE(ZipArchive::memberExists(archive, "rose(2).pes"));
  EXPECT_FALSE(ZipArchive::writeMember(archive, "lily.pes", {}, ZipReplace | ZipDeleteOnly));
  EXPECT_EQ(ZipArchive::listMembers(archive), (std::vector<std::string>{"rose(3).pes", "Rose.pes"}));
}

TEST_F(ZipArchiveTest, DeletingTheOnlyMemberLeavesAnEmptyArchive) {
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", rose));
  ::chmod(archive.c_str(), 0640);
  EXPECT_FALSE(ZipArchive::deleteMember(archive, "lily.pes"));
  ASSERT_TRUE(ZipArchive::deleteMember(archive, "ROSE.pes"));
  struct stat st {};
  ASSERT_EQ(::stat(archive.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the rewrite keeps the archive's permissions
  EXPECT_TRUE(ZipArchive::listMembers(archive).empty());
  // ... and it is still an archive that takes new members.
  ASSERT_TRUE(ZipArchive::writeMember(archive, "tulip.dst", tulip));
  EXPECT_EQ(ZipArchive::readMember(archive, "tulip.dst"), tulip);
  EXPECT_FALSE(ZipArchive::deleteMember(dir.file("none.zip"), "x"));
}

TEST_F(ZipArchiveTest, DeletesSeveralMembersAtOnceOrNone) {
  const std::vector<ZipArchive::NewMember> members = {{"a.pes", rose}, {"b.pes", tulip}, {"c.pes", rose}};
  ASSERT_TRUE(ZipArchive::storeMembers(archive, members));
  const std::vector<std::string> withMissing = {"a.pes", "gone.pes"};
  EXPECT_FALSE(ZipArchive::deleteMembers(archive, withMissing));
  EXPECT_EQ(ZipArchive::listMembers(archive).size(), 3u);
  const std::vector<std::string> two = {"C.PES", "a.pes"};
  ASSERT_TRUE(ZipArchive::deleteMembers(archive, two));
  EXPECT_EQ(ZipArchive::listMembers(archive), std::vector<std::string>{"b.pes"});
  EXPECT_EQ(ZipArchive::readMember(archive, "b.pes"), tulip);
}

TEST_F(ZipArchiveTest, KeepsTheUsersBakFile) {
  dir.write("designs.bak", bytesOf("mine"));
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", rose));
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", tulip, ZipReplace));
  EXPECT_EQ(dir.read("designs.bak"), bytesOf("mine"));
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"designs.bak", "designs.zip"}));
}

TEST_F(ZipArchiveTest, ChangesTheArchiveBehindALink) {
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", rose));
  std::filesystem::create_symlink(archive, dir.file("link.zip"));
  ASSERT_TRUE(ZipArchive::writeMember(dir.file("link.zip"), "tulip.dst", tulip));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.zip")));
  EXPECT_EQ(ZipArchive::readMember(archive, "tulip.dst"), tulip);
}

// Bytes that do not deflate, so an archive grows by about their size.
std::vector<std::uint8_t> noise(std::size_t n) {
  std::vector<std::uint8_t> out(n);
  std::uint32_t x = 12345;
  for (auto& b : out) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(x >> 24);
  }
  return out;
}

// write() fails with EFBIG beyond the limit, as on a full disk: while copying the archive,
// then while the library writes the changed one.
TEST_F(ZipArchiveTest, AFullDiskLeavesTheArchiveAsItWas) {
  ASSERT_TRUE(ZipArchive::writeMember(archive, "rose.pes", rose));
  const auto before = dir.read("designs.zip");
  const auto big = noise(256 * 1024);
  for (const rlim_t limit : {rlim_t{before.size() / 2}, rlim_t{before.size() + 4096}}) {
    {
      test::ScopedFileSizeLimit full(limit);
      EXPECT_FALSE(ZipArchive::writeMember(archive, "big.pes", big)) << limit;
      EXPECT_FALSE(ZipArchive::writeMember(dir.file("new.zip"), "big.pes", big)) << limit;
    }
    EXPECT_EQ(dir.read("designs.zip"), before) << limit;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"designs.zip"}) << limit << ": no temporary or .bak left";
  }
}

// Archives made and changed from several threads at once get the umask's permissions, and
// nothing on the way reads or sets the umask.
TEST_F(ZipArchiveTest, ThreadsRewritingArchivesHonourTheUmask) {
  constexpr int kThreads = 6, kEach = 4;
  test::ScopedUmask mask(027);
  const int umaskCalls = test::umaskCalls();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([this, t] {
      const std::string path = dir.file("a" + std::to_string(t) + ".zip");
      for (int i = 0; i < kEach; ++i) EXPECT_TRUE(ZipArchive::writeMember(path, "rose.pes", rose, ZipUniqueName));
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(test::umaskCalls(), umaskCalls) << "saving read or set the process-wide umask";
  EXPECT_EQ(dir.entries().size(), std::size_t{kThreads});
  for (const std::string& name : dir.entries()) {
    struct stat st {};
    ASSERT_EQ(::stat(dir.file(name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << name;
    EXPECT_EQ(ZipArchive::listMembers(dir.file(name)).size(), std::size_t{kEach}) << name;
  }
}

TEST_F(ZipArchiveTest, StoredMembersReadUnchanged) {
  std::vector<std::uint8_t> binary(300);
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<std::uint8_t>(i * 7);
  dir.write("raw.zip", buildZip({{"a.dst", binary}, {"b.dst", tulip, true}}));
  EXPECT_EQ(ZipArchive::readMember(dir.file("raw.zip"), "a.dst"), binary);
  EXPECT_EQ(ZipArchive::readMember(dir.file("raw.zip"), "b.dst"), tulip);
  // Existing members are carried over when the archive changes.
  ASSERT_TRUE(ZipArchive::writeMember(dir.file("raw.zip"), "c.dst", rose));
  EXPECT_EQ(ZipArchive::readMember(dir.file("raw.zip"), "a.dst"), binary);
  EXPECT_EQ(ZipArchive::readMember(dir.file("raw.zip"), "b.dst"), tulip);
}

TEST_F(ZipArchiveTest, RefusesHostileArchives) {
  RawMember badCrc{"crc.dst", rose, true};
  badCrc.crcOverride = 0x12345678;
  RawMember badStoredCrc{"crc2.dst", rose};
  badStoredCrc.crcOverride = 1;
  // Inflates to just over the limit from a few kilobytes.
  RawMember bomb{"bomb.dst", std::vector<std::uint8_t>(ZipArchive::kMaxMemberSize + 1), true};
  RawMember evil{"../../evil.dst", tulip};
  RawMember absolute{"/etc/evil.dst", tulip};
  const auto image = buildZip({badCrc, badStoredCrc, bomb, evil, absolute});
  dir.write("hostile.zip", image);
  const std::string path = dir.file("hostile.zip");

  EXPECT_TRUE(ZipArchive::readMember(path, "crc.dst").empty());
  EXPECT_TRUE(ZipArchive::readMember(path, "crc2.dst").empty());
  EXPECT_TRUE(ZipArchive::readMember(path, "bomb.dst").empty());
  EXPECT_TRUE(ZipArchive::readMember(image, "bomb.dst").empty());
  // Hostile names are listed and readable by name, but never name a file of their own.
  EXPECT_EQ(ZipArchive::listMembers(path).size(), 5u);
  EXPECT_EQ(ZipArchive::readMember(image, "../../evil.dst"), tulip);
  ASSERT_TRUE(ZipArchive::extractMember(path, "../../evil.dst", dir.file("out.dst")));
  EXPECT_EQ(dir.read("out.dst"), tulip);
  EXPECT_FALSE(ZipArchive::extractMember(path, "../../evil.dst", dir.file("out.dst")));  // never replaces
}

TEST_F(ZipArchiveTest, DamagedArchivesListNothing) {
  auto image = buildZip({{"a.dst", rose}, {"b.dst", tulip}});
  auto noEnd = image;
  noEnd.resize(noEnd.size() - 22);  // end-of-central-directory record gone
  auto badDir = image;
  badDir[badDir.size() - 6] ^= 0x40;  // central directory offset points elsewhere
  const std::vector<std::vector<std::uint8_t>> damaged{noEnd, badDir, bytesOf("PK not a zip"), {}};
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    const std::string name = "damaged" + std::to_string(i) + ".zip";
    dir.write(name, damaged[i]);
    EXPECT_TRUE(ZipArchive::listMembers(dir.file(name)).empty()) << i;
    EXPECT_TRUE(ZipArchive::readMember(dir.file(name), "a.dst").empty()) << i;
    EXPECT_TRUE(ZipArchive::listMembers(damaged[i]).empty()) << i;
  }
  EXPECT_TRUE(ZipArchive::listMembers(dir.file("missing.zip")).empty());
  EXPECT_EQ(ZipArchive::listMembers(image).size(), 2u);
}

TEST(ZipArchive, SafeFileNames) {
  const struct {
    const char* member;
    const char* name;  // null: refused
  } cases[] = {
      {"rose.pes", "rose.pes"},
      {"a/b/rose.pes", "rose.pes"},
      {"..\\..\\rose.pes", "rose.pes"},
      {"../../etc/passwd", "passwd"},
      {"/etc/passwd", "passwd"},
      {"a/..", nullptr},
      {"a/.", nullptr},
      {"dir/", nullptr},
      {"", nullptr},
      {"c:rose.pes", "c_rose.pes"},
      {"flowers/a:b.pes", "a_b.pes"},
      {"bad\nname", nullptr},
  };
  for (const auto& c : cases) {
    const auto got = ZipArchive::safeFileName(c.member);
    if (c.name == nullptr) {
      EXPECT_FALSE(got.has_value()) << c.member;
    } else {
      EXPECT_EQ(got.value_or("<refused>"), c.name) << c.member;
    }
  }
}

}  // namespace
}  // namespace lh
