#pragma once
// The dialogs of a tool run: the "Report" at its end and the "Reduce Needles" choice of the
// needle count reduction.
#include <QDialog>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "design/emb_design.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QStackedWidget;

namespace lh {

// "Report": the run's text, read-only, and OK.
class ReportDialog : public QDialog {
  Q_OBJECT

 public:
  ReportDialog(const std::string& text, QWidget* parent = nullptr);
  QString text() const;

 private:
  QPlainTextEdit* box_ = nullptr;
};

// The lines of a colour list of the needle dialog, one per colour block, numbered from 1:
// "1: name,  12 st.  0.3 m." (yards with `inches`). With `before`, a line starts with "*"
// when its name differs, without regard to case, from the block's in `before`.
std::vector<std::string> needleListLines(const EmbDesign& design, bool inches, const EmbDesign* before = nullptr);

// "Reduce Needles": the design as it is and reduced to at most the chosen number of needles,
// side by side as flat previews or colour lists.
class ReduceNeedlesDialog : public QDialog {
  Q_OBJECT

 public:
  // `background` (0x00BBGGRR) is the previews' background.
  ReduceNeedlesDialog(const EmbDesign& design, bool inches, std::uint32_t background, QWidget* parent = nullptr);

  // The design's needle count, the largest maximum offered.
  int needles() const { return needles_; }
  int maximum() const { return maximum_; }
  QString countText() const;
  // Typing into the count: read as a whole number, brought into 1 .. needles (at most 100)
  // and written back; a changed value reduces the design again.
  void typeCount(const QString& text);
  // Whether the last reduction changed the design.
  bool changed() const { return removed_ > 0; }
  // After OK: the reduced design when the reduction changed it.
  std::optional<EmbDesign> reducedDesign() const;
  const EmbDesign& modified() const { return modified_; }
  QListWidget& originalList() { return *lists_[0]; }
  QListWidget& modifiedList() { return *lists_[1]; }
  // Switches panel 0 (original) or 1 (modified) between its preview and its colour list.
  void switchPanel(int panel);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* panel(int k, const QString& title);
  void setMaximum(int value);
  void refresh();
  void renderPreview(int k);

  EmbDesign original_;
  EmbDesign modified_;
  bool inches_;
  std::uint32_t background_;
  int needles_ = 0;
  int maximum_ = 0;
  int removed_ = 0;
  QLineEdit* count_ = nullptr;
  QLabel* previews_[2] = {};
  QListWidget* lists_[2] = {};
  QStackedWidget* stacks_[2] = {};
};

}  // namespace lh
