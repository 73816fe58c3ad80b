#pragma once
// "Choose Color": the received thread palettes, one at a time, as a list of coloured entries,
// sorted by colour or by name, searched, or ordered by closeness to the selected stop's thread.
// Picking an entry tells the main window, which puts the thread on the selected stop.
#include <QDialog>
#include <functional>
#include <optional>

#include "sequencer/color_chooser.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace lh {

class ChooseColorWindow : public QDialog {
  Q_OBJECT

 public:
  ChooseColorWindow(ColorChooser& chooser, QWidget* parent = nullptr);

  // Where "Find Matches" takes the selected stop's thread from.
  void setSelectedThread(std::function<std::optional<ThreadColor>()> thread) { selectedThread_ = std::move(thread); }

  // The palettes were replaced: refills the drop-down and the list.
  void reload();
  // Shows the palette and the entry of a stop's thread.
  void showThread(const ThreadColor& thread);

  // The controls, for tests.
  QComboBox* paletteBox() const { return palettes_; }
  QListWidget* list() const { return list_; }
  QLineEdit* searchField() const { return search_; }
  void sortBy(ChooserSort order);
  bool searchNext();
  void findMatches();

 signals:
  // The user picked an entry: the main window fetches chosenThread().
  void colorChosen();

 private:
  void fillList();
  void syncSelection();

  ColorChooser& chooser_;
  std::function<std::optional<ThreadColor>()> selectedThread_;
  QComboBox* palettes_;
  QListWidget* list_;
  QRadioButton* byColor_;
  QRadioButton* byName_;
  QLineEdit* search_;
  bool filling_ = false;
};

}  // namespace lh
