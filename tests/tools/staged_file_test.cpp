#include "tools/staged_file.h"

#include <gtest/gtest.h>

#include "tests/tools/tool_fixtures.h"

namespace lh {
namespace {

const ByteBuffer kBytes{'d', 'a', 't', 'a'};

TEST(StagedFile, PublishesUnderTheFirstFreeName) {
  test::ScratchDir dir;
  test::writeAll(dir / "rose.pes", "user file");
  test::writeAll(dir / "rose(2).pes", "user file");
  auto staged = StagedFile::stage(dir / "rose.pes", kBytes);
  ASSERT_TRUE(staged.has_value());
  EXPECT_EQ(dir.files().size(), 3u);  // the temporary file sits beside them
  EXPECT_EQ(staged->publish(dir / "rose.pes"), dir / "rose(3).pes");
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"rose(2).pes", "rose(3).pes", "rose.pes"}));
  EXPECT_EQ(test::readAll(dir / "rose(3).pes"), kBytes);
  const auto user = test::readAll(dir / "rose.pes");
  EXPECT_EQ(std::string(user.begin(), user.end()), "user file");
  EXPECT_FALSE(staged->publish(dir / "again.pes").has_value()) << "published once only";
}

TEST(StagedFile, UnpublishedFilesAreRemoved) {
  test::ScratchDir dir;
  {
    auto staged = StagedFile::stage(dir / "rose.pes", kBytes);
    ASSERT_TRUE(staged.has_value());
    auto moved = std::move(*staged);
    EXPECT_EQ(dir.files().size(), 1u);
  }
  EXPECT_TRUE(dir.files().empty());
  EXPECT_FALSE(StagedFile::stage(dir / "no/such/folder/rose.pes", kBytes).has_value());
  // A folder it cannot name the file in: nothing left behind.
  auto staged = StagedFile::stage(dir / "rose.pes", kBytes);
  ASSERT_TRUE(staged.has_value());
  EXPECT_FALSE(staged->publish(dir / "missing/rose.pes").has_value());
  EXPECT_TRUE(dir.files().empty());
}

}  // namespace
}  // namespace lh
