#include "browser/app/dialogs.h"

#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "browser/core/file_list_texts.h"
#include "browser/core/folder_checks.h"

namespace lh {

namespace {
constexpr std::string_view kPickerCaption = "Select Folder";
}  // namespace

Asker messageBoxAsker(QWidget* parent) {
  return [parent](const Question& q) {
    QMessageBox box(q.icon, q.caption, q.text, q.buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
  };
}

void tell(const Asker& ask, std::string_view caption, std::string_view text, QMessageBox::Icon icon) {
  ask(Question{icon, qs(caption), qs(text), QMessageBox::Ok});
}

bool askYesNo(const Asker& ask, std::string_view caption, std::string_view text, QMessageBox::Icon icon) {
  return ask(Question{icon, qs(caption), qs(text), QMessageBox::Yes | QMessageBox::No}) == QMessageBox::Yes;
}

bool confirmDelete(const Asker& ask, std::size_t count) {
  if (count == 0) return false;
  return askYesNo(ask, texts::kDeleteCaption, texts::deleteQuestion(count), QMessageBox::Warning);
}

TypeChangeQuestion typeChangeQuestion(const Asker& ask) {
  return [ask] {
    const auto answer = ask(Question{QMessageBox::Question, qs(texts::kTypeChangeCaption), qs(texts::kTypeChange),
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel});
    if (answer == QMessageBox::Yes) return TypeChangeAnswer::Yes;
    if (answer == QMessageBox::No) return TypeChangeAnswer::No;
    return TypeChangeAnswer::Cancel;
  };
}

std::optional<std::string> askNewName(QWidget* parent, const std::string& oldName) {
  bool ok = false;
  const QString name = QInputDialog::getText(parent, QStringLiteral("Rename a file"), qs(texts::kRenamePrompt),
                                             QLineEdit::Normal, qs(oldName), &ok);
  if (!ok) return std::nullopt;
  return toStd(name);
}

std::optional<std::string> confirmTypedFolder(std::string_view typed, const DriveService& drives,
                                              const Asker& ask) {
  const FolderCheck check = checkTypedFolder(typed);
  switch (check.verdict) {
    case FolderVerdict::Ok:
      return check.path;
    case FolderVerdict::Refused:
      tell(ask, kPickerCaption, check.message, QMessageBox::Warning);
      return std::nullopt;
    case FolderVerdict::AskToCreate:
      break;
  }
  if (!askYesNo(ask, kPickerCaption, check.message)) return std::nullopt;
  const std::string failure = createFolder(check.path, drives);
  if (!failure.empty()) {
    tell(ask, kPickerCaption, failure, QMessageBox::Warning);
    return std::nullopt;
  }
  return check.path;
}

FolderPicker::FolderPicker(const DriveService& drives, Asker ask, const std::string& start, QWidget* parent)
    : QDialog(parent), drives_(drives), ask_(std::move(ask)) {
  setWindowTitle(qs(kPickerCaption));
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QStringLiteral("/"));
  view_ = new QTreeView(this);
  view_->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) view_->hideColumn(column);
  view_->header()->hide();
  line_ = new QLineEdit(qs(start), this);
  if (!start.empty()) {
    const QModelIndex at = model_->index(qs(start));
    view_->setCurrentIndex(at);
    view_->scrollTo(at);
  }
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { line_->setText(model_->filePath(current)); });
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("Open"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &FolderPicker::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &FolderPicker::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_);
  layout->addWidget(new QLabel(QStringLiteral("Folder:"), this));
  layout->addWidget(line_);
  layout->addWidget(buttons);
}

void FolderPicker::accept() {
  const auto folder = confirmTypedFolder(toStd(line_->text().trimmed()), drives_, ask_);
  if (!folder) return;
  folder_ = *folder;
  QDialog::accept();
}

std::optional<std::string> pickFolder(QWidget* parent, const DriveService& drives, const Asker& ask,
                                      const std::string& start) {
  FolderPicker picker(drives, ask, start, parent);
  if (picker.exec() != QDialog::Accepted) return std::nullopt;
  return picker.folder();
}

}  // namespace lh
