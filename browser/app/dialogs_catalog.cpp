#include "browser/app/dialogs_catalog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace lh {

std::vector<DriveInfo> nameableDrives(const DriveService& drives) {
  std::vector<DriveInfo> out;
  for (const DriveInfo& drive : drives.drives())
    if (carriesDiskName(drive.kind) && drive.ready && !drive.readOnly) out.push_back(drive);
  return out;
}

NameDiskDialog::NameDiskDialog(DriveService& drives, Asker ask, const std::string& currentPath, QWidget* parent)
    : QDialog(parent), drives_(drives), ask_(std::move(ask)), offered_(nameableDrives(drives)) {
  setWindowTitle(qs(disk_text::kTitle));
  driveBox_ = new QComboBox(this);
  driveBox_->setEditable(false);
  const auto current = currentPath.empty() ? std::nullopt : driveOf(drives, currentPath);
  for (const DriveInfo& drive : offered_) {
    driveBox_->addItem(qs(drive.root));
    if (current && current->root == drive.root) driveBox_->setCurrentIndex(driveBox_->count() - 1);
  }
  nameLine_ = new QLineEdit(this);
  nameLine_->setMaxLength(static_cast<int>(kMaxDiskName));
  connect(driveBox_, &QComboBox::currentIndexChanged, this, &NameDiskDialog::showLabel);
  showLabel();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &NameDiskDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &NameDiskDialog::reject);
  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("Drive:"), driveBox_);
  form->addRow(QStringLiteral("Name:"), nameLine_);
  form->addRow(buttons);
}

void NameDiskDialog::showLabel() {
  const int index = driveBox_->currentIndex();
  nameLine_->setText(index >= 0 ? qs(offered_[static_cast<std::size_t>(index)].label) : QString());
}

void NameDiskDialog::accept() {
  const std::string name = toStd(nameLine_->text().trimmed().left(static_cast<int>(kMaxDiskName)));
  if (name.empty()) {
    tell(ask_, disk_text::kEmptyCaption, disk_text::kEmpty, QMessageBox::Warning);
    reject();
    return;
  }
  const int index = driveBox_->currentIndex();
  if (index < 0) {
    reject();
    return;
  }
  // The label as the drive has it now: the medium may have changed since the dialog opened.
  DriveInfo drive = offered_[static_cast<std::size_t>(index)];
  if (const auto now = driveOf(drives_, drive.root); now && now->root == drive.root) drive = *now;
  if (!drive.label.empty() &&
      !askYesNo(ask_, disk_text::kNamedCaption,
                std::string(disk_text::kNamedFirst) + drive.label + std::string(disk_text::kNamedLast))) {
    reject();
    return;
  }
  const std::string failure = drives_.setLabel(drive, name);
  if (!failure.empty()) {
    tell(ask_, disk_text::kFailedCaption, failure, QMessageBox::Critical);
    return;  // the dialog stays open
  }
  named_ = DiskNamed{drive.root, drive.label, name};
  QDialog::accept();
}

CatalogEntriesDialog::CatalogEntriesDialog(const std::string& itemPath, std::vector<std::string> categoryPaths,
                                           QWidget* parent)
    : QDialog(parent), paths_(std::move(categoryPaths)) {
  setWindowTitle(QStringLiteral("Catalog Entries"));
  list_ = new QListWidget(this);
  for (const std::string& path : paths_) list_->addItem(qs(path));
  if (list_->count() > 0) list_->setCurrentRow(0);
  auto* remove = new QPushButton(QStringLiteral("Delete Entry"), this);
  connect(remove, &QPushButton::clicked, this, &CatalogEntriesDialog::deleteSelectedEntry);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CatalogEntriesDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CatalogEntriesDialog::reject);
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QDir::toNativeSeparators(qs(itemPath)), this);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(label);
  layout->addWidget(list_);
  layout->addWidget(remove);
  layout->addWidget(buttons);
}

void CatalogEntriesDialog::deleteSelectedEntry() { delete list_->currentItem(); }

std::vector<std::string> CatalogEntriesDialog::removed() const {
  std::vector<std::string> kept;
  for (int i = 0; i < list_->count(); ++i) kept.push_back(toStd(list_->item(i)->text()));
  std::vector<std::string> out;
  std::size_t k = 0;
  for (const std::string& path : paths_) {
    if (k < kept.size() && kept[k] == path) {
      ++k;
    } else {
      out.push_back(path);
    }
  }
  return out;
}

}  // namespace lh
