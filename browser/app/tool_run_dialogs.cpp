#include "browser/app/tool_run_dialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "browser/app/single_view.h"
#include "browser/view_core/shared_palette.h"
#include "render/renderer.h"
#include "tools/needle_reduction.h"

namespace lh {

ReportDialog::ReportDialog(const std::string& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Report");
  setObjectName("toolReport");
  box_ = new QPlainTextEdit(this);
  box_->setReadOnly(true);
  QString shown = QString::fromStdString(text);
  shown.remove('\r');
  box_->setPlainText(shown);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box_);
  layout->addWidget(buttons);
  resize(460, 300);
}

QString ReportDialog::text() const { return box_->toPlainText(); }

namespace {

bool sameNameNoCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

constexpr int kPreviewSize = 200;  // pixels at the dialog's first size
constexpr int kMaxNeedles = 100;

}  // namespace

std::vector<std::string> needleListLines(const EmbDesign& design, bool inches, const EmbDesign* before) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < design.threads.size(); ++i) {
    const ThreadColor& t = design.threads[i];
    const double length = inches ? static_cast<double>(t.threadLength) * 0.01 * 0.39370078 / 36
                                 : static_cast<double>(t.threadLength) * 0.0001;
    char text[512];
    std::snprintf(text, sizeof text, inches ? "%i: %s,  %i st.  %-1.1f yd." : "%i: %s,  %i st.  %-1.1f m.",
                  static_cast<int>(i + 1), t.displayName.c_str(), static_cast<int>(t.stitchCount), length);
    const bool differs = before != nullptr && i < before->threads.size() &&
                         !sameNameNoCase(t.displayName, before->threads[i].displayName);
    lines.push_back(differs ? "*" + std::string(text) : std::string(text));
  }
  return lines;
}

ReduceNeedlesDialog::ReduceNeedlesDialog(const EmbDesign& design, bool inches, std::uint32_t background,
                                         QWidget* parent)
    : QDialog(parent), original_(design), modified_(design), inches_(inches), background_(background) {
  setWindowTitle("Reduce Needles");
  setSizeGripEnabled(true);
  original_.computeBlockStats();
  modified_ = EmbDesign(original_);
  needles_ = needleCount(original_);
  maximum_ = std::clamp(needles_, 1, kMaxNeedles);

  auto* top = new QLabel(
      "Use the control below to adjust the maximum number of individual colors (needles) in the design.", this);
  top->setWordWrap(true);
  auto* note = new QLabel(
      "Note:\nThis does not adjust your overall number of color stops, which remains the same. If you wish to "
      "reduce the overall number of color stops, you can use the Color Sort or a color editor such as Huetide.",
      this);
  note->setWordWrap(true);
  count_ = new QLineEdit(QString::number(maximum_), this);
  count_->setObjectName("needleCount");
  count_->setMaximumWidth(60);
  connect(count_, &QLineEdit::textEdited, this, &ReduceNeedlesDialog::typeCount);
  auto* up = new QToolButton(this);
  up->setArrowType(Qt::UpArrow);
  connect(up, &QToolButton::clicked, this, [this] { setMaximum(std::min(maximum_ + 1, std::min(needles_, kMaxNeedles))); });
  auto* down = new QToolButton(this);
  down->setArrowType(Qt::DownArrow);
  connect(down, &QToolButton::clicked, this, [this] { setMaximum(std::max(maximum_ - 1, 1)); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout(this);
  grid->addWidget(top, 0, 0, 1, 3);
  grid->addWidget(new QLabel("Maximum\nNeedle Count:", this), 1, 0);
  auto* spin = new QHBoxLayout;
  spin->addWidget(count_);
  spin->addWidget(up);
  spin->addWidget(down);
  spin->addStretch();
  grid->addLayout(spin, 1, 1, 1, 2);
  grid->addWidget(panel(0, "Original:"), 2, 0, 1, 1);
  grid->addWidget(panel(1, "Modified:"), 2, 1, 1, 2);
  grid->setRowStretch(2, 1);
  grid->addWidget(note, 3, 0, 1, 3);
  grid->addWidget(buttons, 4, 0, 1, 3);
  refresh();
}

QWidget* ReduceNeedlesDialog::panel(int k, const QString& title) {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* head = new QHBoxLayout;
  head->addWidget(new QLabel(title, box));
  auto* flip = new QToolButton(box);
  flip->setText("Colors");
  flip->setCheckable(true);
  flip->setToolTip("Switch between the preview and the colour list");
  connect(flip, &QToolButton::clicked, this, [this, k] { switchPanel(k); });
  head->addWidget(flip);
  head->addStretch();
  layout->addLayout(head);
  stacks_[k] = new QStackedWidget(box);
  previews_[k] = new QLabel(stacks_[k]);
  previews_[k]->setMinimumSize(kPreviewSize, kPreviewSize);
  previews_[k]->setAlignment(Qt::AlignCenter);
  lists_[k] = new QListWidget(stacks_[k]);
  lists_[k]->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(lists_[k], &QListWidget::currentRowChanged, this, [this, k] { renderPreview(k); });
  stacks_[k]->addWidget(previews_[k]);
  stacks_[k]->addWidget(lists_[k]);
  layout->addWidget(stacks_[k], 1);
  return box;
}

void ReduceNeedlesDialog::switchPanel(int panel) {
  QStackedWidget* s = stacks_[panel];
  s->setCurrentIndex(1 - s->currentIndex());
  renderPreview(panel);
}

QString ReduceNeedlesDialog::countText() const { return count_->text(); }

void ReduceNeedlesDialog::typeCount(const QString& text) {
  const int typed = text.trimmed().toInt();
  setMaximum(std::min({std::max(typed, 1), needles_, kMaxNeedles}));
}

void ReduceNeedlesDialog::setMaximum(int value) {
  value = std::max(value, 1);
  if (count_->text() != QString::number(value)) count_->setText(QString::number(value));
  if (value == maximum_) return;
  maximum_ = value;
  modified_ = EmbDesign(original_);
  removed_ = reduceNeedles(modified_, maximum_);
  refresh();
}

void ReduceNeedlesDialog::refresh() {
  const EmbDesign* designs[2] = {&original_, &modified_};
  for (int k = 0; k < 2; ++k) {
    const std::vector<std::string> lines = needleListLines(*designs[k], inches_, k == 1 ? &original_ : nullptr);
    QListWidget* list = lists_[k];
    list->clear();
    for (const std::string& line : lines) list->addItem(QString::fromStdString(line));
    renderPreview(k);
  }
}

void ReduceNeedlesDialog::renderPreview(int k) {
  QLabel* label = previews_[k];
  const int side = std::max(std::min(label->width(), label->height()), kPreviewSize);
  EmbDesign drawn(k == 0 ? original_ : modified_);
  setSize(drawn, side, side);
  drawn.shaded = false;
  drawn.thickLines = false;
  drawn.background = background_;
  PaletteManager palette;
  SharedPalette shared(palette);
  const std::optional<IndexedPicture> picture = shared.render(drawn);
  if (!picture) {
    label->clear();
    return;
  }
  QImage image = indexedImage(*picture).convertToFormat(QImage::Format_RGB32);
  const int block = lists_[k]->currentRow();
  const auto& threads = (k == 0 ? original_ : modified_).threads;
  if (stacks_[k]->currentIndex() == 0 && block >= 0 && static_cast<std::size_t>(block) < threads.size()) {
    const ThreadColor& t = threads[static_cast<std::size_t>(block)];
    const double ox = picture->width * 0.5 - 1, oy = picture->height * 0.5 - 1, s = drawn.scale;
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 1, Qt::DashDotDotLine));
    p.drawRect(QRectF(QPointF(ox + t.minX * s, oy - t.maxY * s), QPointF(ox + t.maxX * s, oy - t.minY * s)));
  }
  label->setPixmap(QPixmap::fromImage(image));
}

void ReduceNeedlesDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  renderPreview(0);
  renderPreview(1);
}

std::optional<EmbDesign> ReduceNeedlesDialog::reducedDesign() const {
  if (!changed()) return std::nullopt;
  return EmbDesign(modified_);
}

}  // namespace lh
