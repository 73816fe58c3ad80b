#include "browser/app/pes_association_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/desktop_data.h"

namespace lh {
namespace {

namespace texts = pes_association_texts;

// The browser's own entry declares the type too, but handing a double-clicked file back to
// the browser would only select it again: it is not offered.
constexpr std::string_view kOwnEntry = "loomhall.desktop";
constexpr int kIdRole = Qt::UserRole;

QString programText(const DesktopApp& app) { return qs(app.name.empty() ? app.id : app.name); }

}  // namespace

std::string pesMimeType() { return designMimeTypeName("pes"); }

bool pesHasDefault(const XdgPlaces& places, const HasProgram& hasProgram) {
  return defaultApplication(places, pesMimeType(), hasProgram).has_value();
}

PesAssociationDialog::PesAssociationDialog(XdgPlaces places, Asker ask, QWidget* parent,
                                           HasProgram hasProgram)
    : QDialog(parent), places_(std::move(places)), ask_(std::move(ask)), hasProgram_(std::move(hasProgram)) {
  setWindowTitle(qs(texts::kCaption));
  auto* intro = new QLabel(qs(texts::kIntro), this);
  intro->setWordWrap(true);
  current_ = new QLabel(this);
  current_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  list_ = new QTreeWidget(this);
  list_->setHeaderLabels({qs(texts::kColumn)});
  list_->setRootIsDecorated(false);
  list_->setColumnWidth(0, 500);
  list_->setMinimumWidth(520);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(qs(texts::kSet), QDialogButtonBox::AcceptRole);
  buttons->addButton(qs(texts::kClose), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &PesAssociationDialog::setSelected);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) {
    if (associate(row)) showCurrent();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addWidget(new QLabel(qs(texts::kCurrent), this));
  layout->addWidget(current_);
  layout->addSpacing(8);
  layout->addWidget(new QLabel(qs(texts::kFound), this));
  layout->addWidget(list_);
  layout->addWidget(new QLabel(qs(texts::kFoot), this));
  layout->addWidget(buttons);
  showCurrent();
  fillPrograms();
}

QString PesAssociationDialog::currentAssociation() const { return current_->text(); }

void PesAssociationDialog::showCurrent() {
  const std::optional<DesktopApp> app = defaultApplication(places_, pesMimeType(), hasProgram_);
  currentId_ = app ? app->id : std::string();
  current_->setText(app ? programText(*app) : qs(texts::kNone));
  current_->setToolTip(app ? qs(app->exec) : QString());
}

void PesAssociationDialog::fillPrograms() {
  for (const DesktopApp& app : applicationsFor(places_, pesMimeType(), hasProgram_)) {
    if (app.id == kOwnEntry) continue;
    auto* row = new QTreeWidgetItem(list_, {programText(app)});
    row->setData(0, kIdRole, qs(app.id));
    row->setToolTip(0, qs(app.exec + "  (" + app.id + ")"));
  }
  if (list_->topLevelItemCount() != 0) return;
  auto* none = new QTreeWidgetItem(list_, {qs(texts::kNotFound)});
  none->setFlags(Qt::ItemIsEnabled);  // it names no program: shown, not chosen
}

bool PesAssociationDialog::associate(const QTreeWidgetItem* row) {
  if (row == nullptr) return true;
  const std::string id = toStd(row->data(0, kIdRole).toString());
  if (id.empty() || id == currentId_) return true;  // "Not Found", or the program already set
  const SetDefaultResult set = setDefaultApplication(places_, pesMimeType(), id, hasProgram_);
  if (set.result != SetDefault::Failed) return true;
  tell(ask_, texts::kCaption, std::string(texts::kSaveFailed) + set.error, QMessageBox::Warning);
  return false;
}

void PesAssociationDialog::setSelected() {
  if (associate(list_->currentItem())) accept();
}

}  // namespace lh
