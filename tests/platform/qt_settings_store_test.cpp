#include "platform/qt_settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace lh {
namespace {

// QSettings reads XDG_CONFIG_HOME when it is first used: point it at a scratch folder.
class QtSettings : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "lh-qsettings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    home_ = tmpl;
    ::setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(home_); }
  static inline std::string home_;
};

TEST_F(QtSettings, ValuesLiveInTheQuenbyLoomhallFile) {
  {
    QtSettingsStore store;
    EXPECT_EQ(store.getInt("Settings", "Tools selected", 7), 7);
    EXPECT_EQ(store.getString("Workspace", "directory", "none"), "none");
    store.setInt("Settings", "Tools selected", 5);
    store.setInt("Conversion", "pesw", 260);
    store.setString("Workspace", "directory", "/tmp/My Temps/");
    store.setString("Settings", "BMP Size", "many");
    store.sync();
    EXPECT_EQ(store.fileName(), home_ + "/Quenby/Loomhall.conf");
  }
  QtSettingsStore again;
  EXPECT_EQ(again.getInt("Settings", "Tools selected", 0), 5);
  EXPECT_EQ(again.getInt("Conversion", "pesw", 0), 260);
  EXPECT_EQ(again.getString("Workspace", "directory", ""), "/tmp/My Temps/");
  EXPECT_EQ(again.getInt("Settings", "BMP Size", 400), 400);  // not a number: the default

  MemorySettings snapshot;
  again.copyTo(snapshot);
  EXPECT_EQ(snapshot.getInt("Settings", "Tools selected", 0), 5);
  EXPECT_EQ(snapshot.getInt("Conversion", "pesw", 0), 260);
  EXPECT_EQ(snapshot.getString("Workspace", "directory", ""), "/tmp/My Temps/");
}

TEST_F(QtSettings, OtherApplicationsKeepTheirOwnFile) {
  QtSettingsStore sequencer("LHHuetide");
  EXPECT_EQ(sequencer.fileName(), home_ + "/Quenby/LHHuetide.conf");
  EXPECT_EQ(sequencer.getInt("Settings", "Tools selected", -1), -1);
}

}  // namespace
}  // namespace lh
