#include "browser/app/dialogs.h"

#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

#include "tests/browser/browser_fixture.h"
#include "tests/browser_widgets/widgets_fixture.h"
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

}  // namespace
}  // namespace lh
