// Widget tests run offscreen in the Fusion style with a fixed font, with settings and data
// folders of their own so that the user's files are never touched.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
  QTemporaryDir home;
  if (!home.isValid()) return 2;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
  setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
  setenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit().constData(), 1);
  setenv("HOME", home.path().toLocal8Bit().constData(), 1);  // the window makes its folders there
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QFont font("DejaVu Sans");
  font.setPixelSize(12);
  QApplication::setFont(font);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
