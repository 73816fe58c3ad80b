#pragma once
// "PES Association": which program opens PES files now, the installed programs that say they
// open them, and making one of them the user's default ("Set", or a double click on a row).
// The program list and the default come from the freedesktop files; only the user's own
// mimeapps.list is written.
#include <QDialog>
#include <string>
#include <string_view>

#include "browser/app/dialogs.h"
#include "browser/core/mime_associations.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace lh {

namespace pes_association_texts {
inline constexpr std::string_view kCommand = "PES Association...";
inline constexpr std::string_view kCommandStatus = "Associate PES files";
inline constexpr std::string_view kCommandTip = "Associate PES";
inline constexpr std::string_view kCaption = "PES Association";
inline constexpr std::string_view kIntro =
    "This associates the PES file type with your embroidery editing software, so that a PES file opens in "
    "the editor when you double-click it.";
inline constexpr std::string_view kCurrent = "Current Association:";
inline constexpr std::string_view kNone = "None";
inline constexpr std::string_view kFound = "The following programs were found:";
inline constexpr std::string_view kColumn = "Program";
inline constexpr std::string_view kNotFound = "Not Found";
inline constexpr std::string_view kFoot =
    "To select a program for use, click on it in the list above, then click 'Set'.";
inline constexpr std::string_view kSet = "Set";
inline constexpr std::string_view kClose = "Close";
inline constexpr std::string_view kSaveFailed = "The association could not be saved.\n\n";
}  // namespace pes_association_texts

// The MIME type of PES files.
std::string pesMimeType();
// Whether PES files have a default program.
bool pesHasDefault(const XdgPlaces& places, const HasProgram& hasProgram = programOnPath);

class PesAssociationDialog : public QDialog {
  Q_OBJECT
 public:
  // `ask` tells the user when the association cannot be saved.
  PesAssociationDialog(XdgPlaces places, Asker ask, QWidget* parent = nullptr,
                       HasProgram hasProgram = programOnPath);

  QString currentAssociation() const;
  QTreeWidget* programList() const { return list_; }
  // "Set": the selected program becomes the default unless it is the default already; the
  // dialog closes with Accepted. When saving fails the user is told and the dialog stays.
  void setSelected();

 private:
  void showCurrent();
  void fillPrograms();
  // Makes the row's program the default; false when saving failed.
  bool associate(const QTreeWidgetItem* row);

  XdgPlaces places_;
  Asker ask_;
  HasProgram hasProgram_;
  std::string currentId_;
  QLabel* current_ = nullptr;
  QTreeWidget* list_ = nullptr;
};

}  // namespace lh
