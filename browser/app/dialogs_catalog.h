#pragma once
// The catalog's dialogs: "Name the disk." and "Catalog Entries".
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "browser/app/dialogs.h"
#include "files/drives.h"

class QComboBox;
class QLabel;
class QListWidget;

namespace lh {

// Every text of these dialogs, in one place.
namespace disk_text {
inline constexpr std::string_view kTitle = "Name the disk.";
inline constexpr std::string_view kEmptyCaption = "No Disk Name.";
inline constexpr std::string_view kEmpty =
    "The disk name would be empty.\n"
    "A disk name is required for the catalog.\n"
    "Designs on an unnamed removable disk would get lost.\n"
    "If this disk contains no catalog entries,\n"
    "it is okay to use Explorer to remove the disk volume label.";
inline constexpr std::string_view kNamedCaption = "Disk already named.";
inline constexpr std::string_view kNamedFirst = "The disk has a name:\n";
inline constexpr std::string_view kNamedLast = "\nWould you like to overwrite it?";
inline constexpr std::string_view kFailedCaption = "Rename Disk Failure.";
}  // namespace disk_text

// The drives whose disks can be named: removable and optical media that are in the drive and
// can be written, in the order of their mount points.
std::vector<DriveInfo> nameableDrives(const DriveService& drives);

// What naming changed; the window then gives the listed items and catalog entries the new
// name (applyDiskName), saves the catalog and refreshes the view.
struct DiskNamed {
  std::string root;
  std::string oldLabel;
  std::string newLabel;
};

// "Name the disk.": a drive box and the name (at most 11 characters).
class NameDiskDialog : public QDialog {
  Q_OBJECT
 public:
  // `currentPath` is the current item's location ("" for none); its drive is preselected.
  NameDiskDialog(DriveService& drives, Asker ask, const std::string& currentPath, QWidget* parent = nullptr);
  QComboBox* driveBox() const { return driveBox_; }
  QLineEdit* nameLine() const { return nameLine_; }
  const std::optional<DiskNamed>& named() const { return named_; }
  void accept() override;

 private:
  void showLabel();

  DriveService& drives_;
  Asker ask_;
  std::vector<DriveInfo> offered_;
  QComboBox* driveBox_;
  QLineEdit* nameLine_;
  std::optional<DiskNamed> named_;
};

// "Catalog Entries": the item's path and the categories that list it; "Delete Entry" takes
// the selected category out of the list.
class CatalogEntriesDialog : public QDialog {
  Q_OBJECT
 public:
  CatalogEntriesDialog(const std::string& itemPath, std::vector<std::string> categoryPaths,
                       QWidget* parent = nullptr);
  void deleteSelectedEntry();
  QListWidget* list() const { return list_; }
  // The categories taken out, in the order they were.
  std::vector<std::string> removed() const;

 private:
  std::vector<std::string> paths_;
  QListWidget* list_;
};

}  // namespace lh
