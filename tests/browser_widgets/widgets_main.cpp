// The widget tests run offscreen, in the Fusion style, with their own configuration and data
// folders so that the user's settings and catalog are never touched.
#include <QApplication>
#include <QStyleFactory>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "tests/zip/temp_dir.h"

int main(int argc, char** argv) {
  lh::test::TempDir home;
  std::filesystem::create_directories(home.path() / "config");
  std::filesystem::create_directories(home.path() / "data");
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
  setenv("XDG_DATA_HOME", home.file("data").c_str(), 1);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
