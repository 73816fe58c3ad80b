// The preferences sheet driven offscreen: typed limits, "Use Default" and "Reset", the view
// types rule, enabling rules, the tool format and the refusal during a run. With
// LH_SCREENSHOT_DIR set, the pages are also saved there as PNG files for a look by eye.
#include "browser/app/preferences_sheet.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/browser_widgets/widgets_fixture.h"
#include "tests/support/fake_drives.h"
#include "tests/zip/temp_dir.h"

namespace lh {
namespace {

class Sheet : public ::testing::Test {
 protected:
  test::TempDir dir;
  MemorySettings store;
  test::FakeDrives drives;
  test::RecordingAsker asker;
  PrefsPlaces places{dir.file("home"), dir.file("tmp"), dir.file("data")};
  BPropSheet sheet{store, places, drives, asker.asker()};

  template <typename W>
  W* find(int page, const char* name) {
    sheet.tabs().setCurrentIndex(page);
    W* w = sheet.tabs().widget(page)->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void type(QLineEdit* field, const char* text) {
    field->clear();
    QTest::keyClicks(field, text);
  }
};

TEST_F(Sheet, TabsComeInOrderWithTheirTitles) {
  EXPECT_EQ(sheet.windowTitle(), "Loomhall Preferences");
  ASSERT_EQ(sheet.tabs().count(), 11);
  EXPECT_EQ(sheet.tabs().tabText(0), "View Types");
  EXPECT_EQ(sheet.tabs().tabText(7), "Background Color");
  EXPECT_EQ(sheet.tabs().tabText(10), "Catalog Path");
}

TEST_F(Sheet, TypedNumbersAreReplacedWhileTypingAndLimitedOnApply) {
  QLineEdit* size = find<QLineEdit>(8, "BMP Size");
  type(size, "5000");
  EXPECT_EQ(size->text(), "2000");
  sheet.apply();
  EXPECT_EQ(store.getInt("Settings", "BMP Size", 0), 1024);
  EXPECT_EQ(size->text(), "1024");
  type(size, "10");
  EXPECT_EQ(size->text(), "10");
  sheet.apply();
  EXPECT_EQ(store.getInt("Settings", "BMP Size", 0), 32);

  QLineEdit* sort = find<QLineEdit>(5, "Color Sort Threshold");
  type(sort, "250");
  EXPECT_EQ(sort->text(), "100");
  QLineEdit* baste = find<QLineEdit>(6, "Baste length");
  type(baste, "-");
  type(baste, "-4");
  EXPECT_EQ(baste->text(), "1");
}

TEST_F(Sheet, UseDefaultAndResetRestoreTheBuiltInValues) {
  QLineEdit* sort = find<QLineEdit>(5, "Color Sort Threshold");
  type(sort, "77");
  find<QPushButton>(5, "useDefault")->click();
  EXPECT_EQ(sort->text(), "5");

  QLineEdit* size = find<QLineEdit>(8, "BMP Size");
  QCheckBox* make3d = find<QCheckBox>(8, "Make 3D");
  type(size, "600");
  make3d->setChecked(false);
  find<QPushButton>(8, "useDefault")->click();
  EXPECT_EQ(size->text(), "400");
  EXPECT_TRUE(make3d->isChecked());

  find<QRadioButton>(2, "DST")->setChecked(true);
  QLineEdit* commands = find<QLineEdit>(2, "dstjumps");
  EXPECT_TRUE(commands->isVisibleTo(&sheet));
  type(commands, "13");
  EXPECT_EQ(commands->text(), "12");
  type(find<QLineEdit>(2, "w"), "123");
  sheet.apply();
  EXPECT_EQ(store.getInt("Conversion", "dstjumps", 0), 12);
  EXPECT_EQ(store.getInt("Conversion", "dstw", 0), 123);
  EXPECT_EQ(store.getInt("Conversion", "selection", 0), 5);
  find<QPushButton>(2, "useDefault")->click();
  EXPECT_EQ(find<QLineEdit>(2, "w")->text(), "300");
  EXPECT_EQ(commands->text(), "4");

  // A colour dropped on position 2 replaces it; "Reset" brings the built-in colours back.
  sheet.show();
  QWidget* s2 = find<QWidget>(7, "s2");
  QMimeData data;
  data.setColorData(QColor(0x12, 0x34, 0x56));
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(s2)->event(&drop);  // past the drag manager, which holds no drag here
  PrefsEffects effects = sheet.apply();
  EXPECT_TRUE(effects.colors);
  EXPECT_EQ(store.getInt("BkgColors", "s2", 0), 0x563412);
  EXPECT_EQ(store.getInt("BkgColors", "selectedColor", 0), 2);
  find<QPushButton>(7, "reset")->click();
  sheet.apply();
  EXPECT_EQ(store.getInt("BkgColors", "s2", 0), 0xAAAAAA);
  EXPECT_EQ(store.getInt("BkgColors", "selectedColorRGB", 0), 0xAAAAAA);
}

TEST_F(Sheet, TheLastViewTypeCannotBeUnticked) {
  QList<QCheckBox*> boxes = sheet.tabs().widget(0)->findChildren<QCheckBox*>();
  ASSERT_EQ(boxes.size(), 18);
  for (QCheckBox* b : boxes) b->setChecked(false);
  EXPECT_EQ(asker.asked.size(), 1u);
  EXPECT_EQ(asker.lastText(), "At least one item must be set!");
  EXPECT_EQ(asker.lastCaption(), "No items selected");
  EXPECT_TRUE(boxes.back()->isChecked());
  const PrefsEffects effects = sheet.apply();
  EXPECT_TRUE(effects.viewTypes);
  EXPECT_EQ(store.getInt("Settings", "View Vp3", 0), 1);
  EXPECT_EQ(store.getInt("Settings", "View Pes", 1), 0);
}

TEST_F(Sheet, FolderControlsFollowTheirBoxesAndTheToolFormatIsStored) {
  QCheckBox* temporary = find<QCheckBox>(1, "workspace");
  QCheckBox* deleted = find<QCheckBox>(1, "deleted");
  QCheckBox* confirm = find<QCheckBox>(1, "confirm");
  EXPECT_EQ(find<QLineEdit>(1, "directory")->text().toStdString(), places.home + "/Loomhall/My Temps/");
  temporary->setChecked(false);
  EXPECT_FALSE(find<QLineEdit>(1, "directory")->isEnabled());
  EXPECT_FALSE(deleted->isEnabled());
  EXPECT_FALSE(confirm->isEnabled());
  temporary->setChecked(true);
  deleted->setChecked(false);
  EXPECT_TRUE(deleted->isEnabled());
  EXPECT_FALSE(confirm->isEnabled());

  QListWidget* formats = find<QListWidget>(3, "Tools selected");
  find<QRadioButton>(3, "Tools keep")->setChecked(true);
  EXPECT_FALSE(formats->isEnabled());
  find<QRadioButton>(3, "Tools keep")->setChecked(false);
  sheet.tabs().widget(3)->findChildren<QRadioButton*>().at(1)->setChecked(true);
  EXPECT_TRUE(formats->isEnabled());
  formats->setCurrentRow(5);
  EXPECT_EQ(formats->currentItem()->text(), ".DST (Tajima)");
  const PrefsEffects effects = sheet.apply();
  EXPECT_TRUE(effects.workspace);
  EXPECT_EQ(store.getInt("Settings", "Tools selected", 0), 5);
  EXPECT_EQ(store.getString("Settings", "Tools otf", ""), "DST");
  EXPECT_EQ(store.getInt("Workspace", "deleted", 1), 0);
}

TEST_F(Sheet, CatalogFolderIsReportedNotStored) {
  find<QLineEdit>(10, "Catalog Path")->setText(QString::fromStdString(dir.file("elsewhere")));
  const PrefsEffects effects = sheet.apply();
  EXPECT_EQ(effects.catalogFolder, dir.file("elsewhere"));
  EXPECT_EQ(store.getString("Settings", "Catalog Path", "none"), "none");
}

TEST(PreferencesCommand, IsRefusedDuringARunWithTheTexts) {
  MemorySettings store;
  test::FakeDrives drives;
  for (const Refusal r : {kPluginRunning, kToolRunning}) {
    test::RecordingAsker asker;
    EXPECT_FALSE(openPreferences(nullptr, r, store, {}, drives, asker.asker(), {}));
    EXPECT_EQ(asker.lastText().toStdString(), r.text);
    EXPECT_EQ(asker.lastCaption().toStdString(), r.caption);
  }
  EXPECT_EQ(kToolRunning.caption, "Tool Running");
  EXPECT_EQ(kPluginRunning.caption, "Plug-in Running");
}

TEST_F(Sheet, PagesCanBeSavedForALook) {
  const char* out = std::getenv("LH_SCREENSHOT_DIR");
  sheet.resize(640, 520);
  sheet.show();
  for (int i = 0; i < sheet.tabs().count(); ++i) {
    sheet.tabs().setCurrentIndex(i);
    QApplication::processEvents();
    const QPixmap shot = sheet.grab();
    EXPECT_FALSE(shot.isNull());
    if (out != nullptr) shot.save(QString("%1/prefs-%2.png").arg(out).arg(i));
  }
}

}  // namespace
}  // namespace lh
