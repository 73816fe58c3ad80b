#include "browser/app/preferences_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "browser/app/preferences_pages.h"
#include "browser/prefs_core/prefs_texts.h"

namespace lh {

BPropSheet::BPropSheet(SettingsStore& store, PrefsPlaces places, const DriveService& drives, Asker ask,
                       QWidget* parent)
    : QDialog(parent), store_(store), places_(std::move(places)), applied_(loadPreferences(store_, places_)) {
  setWindowTitle(qs(prefs_texts::kSheetCaption));
  auto* l = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  pages_ = {new BPropTypes(ask, tabs_),     new BPropWorkspace(drives, ask, tabs_), new BPropConversion(tabs_),
            new BPropTools(tabs_),          new BPropMetric(tabs_),                 new BPropColorSort(tabs_),
            new BPropBaste(tabs_),          new BPropColors(tabs_),                 new BPropBMP(tabs_),
            new BPropTag(tabs_),            new BPropPath(tabs_)};
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    pages_[i]->showValues(applied_);
    tabs_->addTab(pages_[i], qs(prefs_texts::kPageTitles[i]));
  }
  l->addWidget(tabs_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  l->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &BPropSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &BPropSheet::reject);
  resize(sizeHint().expandedTo(QSize(900, 540)));  // room for most tab titles
  connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { apply(); });
}

PrefsEffects BPropSheet::apply() {
  Preferences now = applied_;
  for (const PrefsPage* page : pages_) page->takeValues(now);
  savePreferences(store_, now);
  const PrefsEffects effects = effectsOf(applied_, now);
  applied_ = std::move(now);
  // Limits applied on the way in (the bitmap size) show in the fields.
  for (PrefsPage* page : pages_) page->showValues(applied_);
  emit applied(effects);
  return effects;
}

void BPropSheet::accept() {
  apply();
  QDialog::accept();
}

bool openPreferences(QWidget* parent, std::optional<Refusal> refusal, SettingsStore& store, const PrefsPlaces& places,
                     const DriveService& drives, const Asker& ask,
                     const std::function<void(const PrefsEffects&)>& onApply) {
  if (refusal) {
    tell(ask, refusal->caption, refusal->text, QMessageBox::Warning);
    return false;
  }
  BPropSheet sheet(store, places, drives, ask, parent);
  QObject::connect(&sheet, &BPropSheet::applied, &sheet, [&onApply](const PrefsEffects& e) {
    if (onApply) onApply(e);
  });
  sheet.exec();
  return true;
}

}  // namespace lh
