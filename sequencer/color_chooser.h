#pragma once
// The colour chooser without its window: the received palettes, the palette shown with its
// selected row, the sorts, the search, "Find Matches", and where a stop's thread sits.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "design/thread_color.h"
#include "sequencer/thread_palettes.h"

namespace lh {

enum class ChooserSort { Color, Name };

class ColorChooser {
 public:
  // Rebuilds everything from a colour reply for the design at `designPath`: palettes sorted by
  // colour, the first palette shown, nothing selected.
  void reloadPalettes(std::span<const ThreadColor> received, std::string_view designPath);

  const std::vector<ThreadPalette>& palettes() const { return palettes_; }
  // Names for the "Thread Palette:" list, in the received order.
  std::vector<std::string> paletteNames() const;

  // The palette shown (-1 when there are none); showing one refills the list, so no row is
  // selected afterwards.
  int shownPalette() const { return shown_; }
  void showPalette(int palette);
  // The rows of the shown palette and their texts.
  std::span<const ThreadColor> rows() const;
  std::vector<std::string> rowTexts() const;
  int selectedRow() const { return selected_; }
  // Selects a row (-1 or an index outside the list clears the selection).
  void selectRow(int row);

  // Sorts every palette; the shown list is refilled.
  void sortBy(ChooserSort order);
  ChooserSort sortOrder() const { return sort_; }
  // "Go": the next row (wrapping) whose text holds `text` without regard to case is selected.
  // False, with the selection unchanged, when no row holds it or the text is empty.
  bool search(std::string_view text);
  // "Find Matches": the shown palette in ascending colour distance to `thread`.
  void findMatches(const ThreadColor& thread);

  // Shows the palette and selects the row of a stop's thread (see the source for the rules).
  void showThread(const ThreadColor& thread);
  // A thread without a chart index gets that of the first entry of the same displayName
  // (without regard to case); unchanged when there is none.
  void findChartIndex(ThreadColor& thread) const;
  // The selected entry, or a default thread when no row is selected.
  ThreadColor chosenThread() const;

 private:
  std::vector<ThreadPalette> palettes_;
  int shown_ = -1;
  int selected_ = -1;
  ChooserSort sort_ = ChooserSort::Color;
};

}  // namespace lh
