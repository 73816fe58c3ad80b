// Hostile and fault-finding inputs kept in tests/data/loading, loaded the way the browser
// loads them: plain files by path, archive members by "Zip:" path. A new fault's input goes
// into that folder, named after the fault, and is covered from then on.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "design/attribute_list.h"
#include "formats/design_codec.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> regressionPaths() {
  std::vector<std::string> paths;
  const fs::path folder = fs::path(LH_TEST_DATA_DIR) / "loading";
  if (!fs::is_directory(folder)) return paths;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string path = e.path().string();
    paths.push_back(path);
    if (equalsNoCase(extensionOf(path), "zip")) {
      for (const std::string& member : ZipArchive::listMembers(path))
        paths.push_back(makeZipPath(path, member));
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(RegressionFiles, LoadWithAClearResult) {
  const auto paths = regressionPaths();
  ASSERT_FALSE(paths.empty()) << "no files in " << LH_TEST_DATA_DIR << "/loading";
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    DesignCodec codec;
    EmbDesign design;
    ++codec.busyCount;
    const LoadResult result = codec.loadDesign(&design, path);
    EXPECT_EQ(codec.busyCount.load(), 0);
    EXPECT_TRUE(result == LoadResult::Ok || result == LoadResult::Unsupported || result == LoadResult::Failed) << loadCode(result);
    if (result != LoadResult::Ok) {
      EXPECT_TRUE(design.holdsPicture);
    }
    // Whatever was read is a well-formed design: every colour block has its thread.
    if (result == LoadResult::Ok && !design.stitches.empty() && !design.isText && !design.holdsPicture) {
      EXPECT_EQ(design.threads.size(), design.colorChangeCount() + 1);
    }
  }
}

TEST(RegressionFiles, SpecificOutcomes) {
  const std::string folder = std::string(LH_TEST_DATA_DIR) + "/loading/";
  if (!fs::is_directory(folder)) GTEST_SKIP();
  const struct {
    std::string path;
    LoadResult result;
  } cases[] = {
      {makeZipPath(folder + "bomb-64mib.zip", "bomb.dst"), LoadResult::Failed},  // over the member size limit
      {makeZipPath(folder + "bomb-64mib.zip", "small.exp"), LoadResult::Ok},
      {makeZipPath(folder + "hostile-names.zip", "../../outside.dst"), LoadResult::Ok},
      {folder + "truncated-record.dst", LoadResult::Ok},
      {folder + "prefix-at-end.exp", LoadResult::Ok},
      {folder + "not-a-bitmap.bmp", LoadResult::Failed},
  };
  for (const auto& c : cases) {
    DesignCodec codec;
    EmbDesign design;
    ++codec.busyCount;
    EXPECT_EQ(codec.loadDesign(&design, c.path), c.result) << c.path;
  }
  // Hostile names are listed as they are but never give a file name outside a folder.
  for (const std::string& member : ZipArchive::listMembers(folder + "hostile-names.zip")) {
    const auto name = ZipArchive::safeFileName(member);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->find('/'), std::string::npos);
    EXPECT_NE(*name, "..");
  }
}

}  // namespace
}  // namespace lh
