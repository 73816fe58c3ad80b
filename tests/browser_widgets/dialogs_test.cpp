#include "browser/app/dialogs.h"

#include <QComboBox>
#include <QListWidget>

#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

#include "tests/browser/browser_fixture.h"
#include "tests/browser_widgets/widgets_fixture.h"
#include "browser/app/dialogs_catalog.h"
#include "tests/support/fake_drives.h"

namespace lh {
namespace {

TEST(FolderPickerChecks, TypedPathsAreCheckedInOrderWithTheirTexts) {
  test::DesignFolder folder;
  const std::string file = folder.add("rose.pes");
  const std::string missing = folder.file("new/deeper");
  test::FakeDrives drives{{test::drive("/", DriveKind::Fixed)}};
  struct Case {
    std::string typed;
    QMessageBox::StandardButton answer;
    std::optional<std::string> chosen;
    std::string told;  // the last message, "" for none
  };
  const std::vector<Case> cases = {
      {folder.path().string() + "/", QMessageBox::Yes, folder.path().string(), ""},
      {file, QMessageBox::Yes, std::nullopt, file + "\nThis is a file not a directory."},
      {missing, QMessageBox::No, std::nullopt, missing + "\nThis folder does not exist.\n\nDo you want to create it?"},
      {missing, QMessageBox::Yes, missing, missing + "\nThis folder does not exist.\n\nDo you want to create it?"},
  };
  for (const Case& c : cases) {
    test::RecordingAsker asker;
    asker.answer = c.answer;
    EXPECT_EQ(confirmTypedFolder(c.typed, drives, asker.asker()), c.chosen) << c.typed;
    EXPECT_EQ(asker.lastText().toStdString(), c.told) << c.typed;
  }
  EXPECT_TRUE(std::filesystem::is_directory(missing));
}

TEST(FolderPickerChecks, ThePickerStaysOpenOnARefusedPath) {
  test::DesignFolder folder;
  const std::string file = folder.add("rose.pes");
  test::FakeDrives drives{{test::drive("/", DriveKind::Fixed)}};
  test::RecordingAsker asker;
  FolderPicker picker(drives, asker.asker(), folder.path().string());
  picker.folderLine()->setText(QString::fromStdString(file));
  picker.accept();
  EXPECT_EQ(picker.result(), QDialog::Rejected);
  EXPECT_EQ(asker.asked.size(), 1u);
  picker.folderLine()->setText(QString::fromStdString(folder.path().string()));
  picker.accept();
  EXPECT_EQ(picker.result(), QDialog::Accepted);
  EXPECT_EQ(picker.folder(), folder.path().string());
}

TEST(FileQuestions, DeleteAsksSingularOrPluralAndTypeChangeMapsTheAnswers) {
  test::RecordingAsker asker;
  EXPECT_TRUE(confirmDelete(asker.asker(), 1));
  EXPECT_EQ(asker.lastText(), "Are you sure that you want to delete this file!");
  asker.answer = QMessageBox::No;
  EXPECT_FALSE(confirmDelete(asker.asker(), 3));
  EXPECT_EQ(asker.lastText(), "Are you sure that you want to delete these 3 files!");
  EXPECT_EQ(asker.lastCaption(), "Delete Files");
  const auto typeChange = typeChangeQuestion(asker.asker());
  EXPECT_EQ(typeChange(), TypeChangeAnswer::No);
  asker.answer = QMessageBox::Cancel;
  EXPECT_EQ(typeChange(), TypeChangeAnswer::Cancel);
  EXPECT_EQ(asker.lastCaption(), "File Type Change");
}

TEST(NameDiskDialog, OffersWritableMediaAndTellsWhyANameWasNotSet) {
  DriveInfo readOnlyDisc = test::drive("/media/disc", DriveKind::Optical, "DISC");
  readOnlyDisc.readOnly = true;
  test::FakeDrives drives{{test::drive("/", DriveKind::Fixed), test::drive("/media/empty", DriveKind::Removable, "", false),
                           readOnlyDisc, test::drive("/media/a", DriveKind::Removable, "OLD"),
                           test::drive("/media/b", DriveKind::Removable)}};
  test::RecordingAsker asker;
  NameDiskDialog dialog(drives, asker.asker(), "/media/b/roses/rose.pes");
  ASSERT_EQ(dialog.driveBox()->count(), 2);
  EXPECT_EQ(dialog.driveBox()->currentText(), "/media/b");

  dialog.nameLine()->setText(QString());
  dialog.accept();
  EXPECT_EQ(asker.lastCaption(), "No Disk Name.");
  EXPECT_EQ(dialog.result(), QDialog::Rejected);

  drives.refusal = "Not authorized to perform operation";
  dialog.nameLine()->setText(QStringLiteral("ROSES"));
  dialog.accept();
  EXPECT_EQ(asker.lastCaption(), "Rename Disk Failure.");
  EXPECT_EQ(asker.lastText(), "Not authorized to perform operation");
  EXPECT_FALSE(dialog.named());

  drives.refusal.clear();
  dialog.driveBox()->setCurrentIndex(0);
  EXPECT_EQ(dialog.nameLine()->text(), "OLD");
  dialog.nameLine()->setText(QStringLiteral("TULIPS"));
  dialog.accept();
  EXPECT_EQ(asker.lastText(), "The disk has a name:\nOLD\nWould you like to overwrite it?");
  ASSERT_TRUE(dialog.named());
  EXPECT_EQ(dialog.named()->root, "/media/a");
  EXPECT_EQ(dialog.named()->oldLabel, "OLD");
  EXPECT_EQ(dialog.named()->newLabel, "TULIPS");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(CatalogEntriesDialog, GivesTheCategoriesTakenOut) {
  CatalogEntriesDialog dialog("/designs/rose.pes", {"Top\\Flowers", "Top\\Roses", "Top\\Red"});
  dialog.list()->setCurrentRow(1);
  dialog.deleteSelectedEntry();
  dialog.list()->setCurrentRow(1);
  dialog.deleteSelectedEntry();
  EXPECT_EQ(dialog.removed(), (std::vector<std::string>{"Top\\Roses", "Top\\Red"}));
}

}  // namespace
}  // namespace lh
