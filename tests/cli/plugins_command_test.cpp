// loomhall-cli plugins over a scratch XDG_CONFIG_HOME holding "Quenby/Loomhall Tools.conf".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/support/cli_run.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

using test::runCli;

class PluginsCommand : public ::testing::Test {
 protected:
  void install(const std::string& lines) {
    std::filesystem::create_directories(home.file("Quenby"));
    std::ofstream(home.file("Quenby/Loomhall Tools.conf")) << "[General]\n" << lines;
  }
  test::TempDir home;
};

TEST_F(PluginsCommand, ListsTheInstalledPluginsInMenuOrder) {
  install("Loomhall Huetide=/usr/bin/tinctor\n"
          "loomhall cardspan=1/opt/cards/Cardspan\n"
          "Loomhall Cardspan II=0/opt/cards2/Cardspan2\n"
          "Zed=/bin/true\n");
  const auto r = runCli("plugins", home.path().string());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "32001\tloomhall cardspan\t/opt/cards/Cardspan\truns on its own\n"
            "32002\tLoomhall Cardspan II\t/opt/cards2/Cardspan2\tcard writer\n"
            "32003\tLoomhall Huetide\t/usr/bin/tinctor\tsequencer\n"
            "32004\tZed\t/bin/true\t\n");

  const auto j = runCli("plugins --json", home.path().string());
  ASSERT_EQ(j.status, 0) << j.err;
  const auto doc = nlohmann::json::parse(j.out);
  EXPECT_EQ(doc["file"], home.file("Quenby/Loomhall Tools.conf"));
  ASSERT_EQ(doc["plugins"].size(), 4u);
  EXPECT_EQ(doc["plugins"][0]["runsOnItsOwn"], true);
  EXPECT_EQ(doc["plugins"][1]["cardWriter"], true);
  EXPECT_EQ(doc["plugins"][2]["sequencer"], true);
  EXPECT_EQ(doc["plugins"][3]["command"], 32004);
}

TEST_F(PluginsCommand, NothingInstalledIsNoFailure) {
  const auto r = runCli("plugins", home.path().string());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("no plug-ins installed"), std::string::npos) << r.err;
  EXPECT_EQ(runCli("plugins extra", home.path().string()).status, 2);
}

}  // namespace
}  // namespace lh
