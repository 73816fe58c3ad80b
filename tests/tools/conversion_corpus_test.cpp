// Corpus designs converted into every writable format load again with our readers.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/tools/tool_fixtures.h"
#include "formats/format_table.h"
#include "tools/tool_runner.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

// The first file of a few type folders: enough kinds of input without the whole corpus.
std::vector<std::string> someCorpusDesigns() {
  std::vector<std::string> items;
  for (const char* type : {"dst", "exp", "pes", "jef", "sew", "hus", "vip", "pcs", "vp3", "xxx"}) {
    const fs::path dir = fs::path(LH_CORPUS_DIR) / type;
    std::error_code ec;
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir, ec)) files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    if (!files.empty()) items.push_back(files.front());
  }
  return items;
}

TEST(ConversionCorpus, EveryOutputLoadsAgain) {
  const std::vector<std::string> items = someCorpusDesigns();
  if (items.empty()) GTEST_SKIP() << "no corpus";
  MemorySettings settings;
  for (const ToolCommand& command : toolCommands()) {
    if (command.tool != Tool::Conversion || command.target < 0) continue;
    SCOPED_TRACE(formatName(command.target));
    test::ScratchDir out;
    RunSettings run;
    run.workspace = true;
    run.directory = out.path();
    const RunResult r = runTool(command.id, items, settings, run, RunCallbacks{}, 2);
    EXPECT_EQ(r.processed, static_cast<int>(items.size()));
    ASSERT_FALSE(r.created.empty());
    for (const std::string& file : r.created) {
      DesignCodec codec;
      EmbDesign d;
      codec.busyCount.fetch_add(1);
      EXPECT_EQ(codec.loadDesign(&d, file), LoadResult::Ok) << file;
      EXPECT_FALSE(d.stitches.empty()) << file;
      EXPECT_EQ(d.colorChangeCount() + 1, d.threads.size()) << file;
    }
  }
}

}  // namespace
}  // namespace lh
