#pragma once
// The browser's questions and small dialogs: message boxes through one replaceable asker, the
// delete and rename questions, and the folder picker with its checks of a typed path.
#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "browser/core/file_rename.h"
#include "files/drives.h"

class QLineEdit;
class QTreeView;
class QFileSystemModel;

namespace lh {

inline QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string toStd(const QString& text) { return text.toUtf8().toStdString(); }

// One message box: what the user is told or asked.
struct Question {
  QMessageBox::Icon icon = QMessageBox::Information;
  QString caption;
  QString text;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};
// Shows a question and gives the button the user pressed. The widgets ask through one of
// these, so tests can answer in place of the user.
using Asker = std::function<QMessageBox::StandardButton(const Question&)>;

// The asker that shows a real message box over `parent`.
Asker messageBoxAsker(QWidget* parent);

// Shorthands over an asker.
void tell(const Asker& ask, std::string_view caption, std::string_view text,
          QMessageBox::Icon icon = QMessageBox::Information);
bool askYesNo(const Asker& ask, std::string_view caption, std::string_view text,
              QMessageBox::Icon icon = QMessageBox::Question);

// "Delete Files": the singular or plural question for `count` files; true for Yes.
bool confirmDelete(const Asker& ask, std::size_t count);
// "File Type Change" asked through `ask` (Yes / No / Cancel).
TypeChangeQuestion typeChangeQuestion(const Asker& ask);
// "Please enter the new name:" with `oldName`; nothing when the user cancels.
std::optional<std::string> askNewName(QWidget* parent, const std::string& oldName);

// The folder picker's checks of a typed path, in order, with their messages and the offer to
// create a missing folder. The folder to use, or nothing when the path was refused.
std::optional<std::string> confirmTypedFolder(std::string_view typed, const DriveService& drives,
                                              const Asker& ask);

// "Select Folder": the folders of the machine, a "Folder:" line and "Open"; the typed path
// goes through confirmTypedFolder before the dialog closes.
class FolderPicker : public QDialog {
  Q_OBJECT
 public:
  FolderPicker(const DriveService& drives, Asker ask, const std::string& start, QWidget* parent = nullptr);
  // The chosen folder, after exec() returned Accepted.
  const std::string& folder() const { return folder_; }
  QLineEdit* folderLine() const { return line_; }
  void accept() override;

 private:
  const DriveService& drives_;
  Asker ask_;
  QFileSystemModel* model_;
  QTreeView* view_;
  QLineEdit* line_;
  std::string folder_;
};

// Opens the picker at `start`; the chosen folder, or nothing when cancelled.
std::optional<std::string> pickFolder(QWidget* parent, const DriveService& drives, const Asker& ask,
                                      const std::string& start);

}  // namespace lh
