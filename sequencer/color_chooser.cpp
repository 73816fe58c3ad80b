#include "sequencer/color_chooser.h"

#include <algorithm>

namespace lh {

namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

void ColorChooser::reloadPalettes(std::span<const ThreadColor> received, std::string_view designPath) {
  palettes_ = splitPalettes(received, designPath);
  sort_ = ChooserSort::Color;
  showPalette(palettes_.empty() ? -1 : 0);
}

std::vector<std::string> ColorChooser::paletteNames() const {
  std::vector<std::string> names;
  for (const ThreadPalette& p : palettes_) names.push_back(p.name);
  return names;
}

void ColorChooser::showPalette(int palette) {
  shown_ = palette >= 0 && palette < static_cast<int>(palettes_.size()) ? palette : -1;
  selected_ = -1;
}

std::span<const ThreadColor> ColorChooser::rows() const {
  if (shown_ < 0) return {};
  return palettes_[static_cast<std::size_t>(shown_)].entries;
}

std::vector<std::string> ColorChooser::rowTexts() const {
  std::vector<std::string> texts;
  for (const ThreadColor& t : rows()) texts.push_back(t.displayName);
  return texts;
}

void ColorChooser::selectRow(int row) {
  selected_ = row >= 0 && row < static_cast<int>(rows().size()) ? row : -1;
}

void ColorChooser::sortBy(ChooserSort order) {
  sort_ = order;
  for (ThreadPalette& p : palettes_)
    order == ChooserSort::Color ? sortByColor(p.entries) : sortByName(p.entries);
  showPalette(shown_);
}

// The scan starts after the selected row (at the first row when none is) and wraps round to
// end with the selected row itself.
bool ColorChooser::search(std::string_view text) {
  const std::span<const ThreadColor> list = rows();
  if (text.empty() || list.empty()) return false;
  const std::string wanted = lower(text);
  const std::size_t n = list.size();
  const std::size_t start = selected_ < 0 ? 0 : static_cast<std::size_t>(selected_) + 1;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t row = (start + i) % n;
    if (lower(list[row].displayName).find(wanted) != std::string::npos) {
      selected_ = static_cast<int>(row);
      return true;
    }
  }
  return false;
}

void ColorChooser::findMatches(const ThreadColor& thread) {
  if (shown_ < 0) return;
  sortByCloseness(palettes_[static_cast<std::size_t>(shown_)].entries, thread);
  showPalette(shown_);
}

// Without a chart index the thread's name chooses the first palette of the same chart
// number; a name without a chart number shows nothing. Within the palette the row of the
// same name (letter case counts) wins over the first row of the same colour.
void ColorChooser::showThread(const ThreadColor& thread) {
  int palette = -1;
  if (thread.chartIndex >= 0) {
    palette = thread.chartIndex < static_cast<int>(palettes_.size()) ? thread.chartIndex : -1;
  } else if (const int key = chartKey(thread.displayName); key != 0) {
    for (std::size_t i = 0; i < palettes_.size() && palette < 0; ++i)
      if (chartKey(palettes_[i].name) == key) palette = static_cast<int>(i);
  }
  if (palette < 0) return;
  showPalette(palette);
  const std::span<const ThreadColor> list = rows();
  auto byName = std::find_if(list.begin(), list.end(),
                             [&](const ThreadColor& t) { return t.displayName == thread.displayName; });
  if (byName == list.end())
    byName =
        std::find_if(list.begin(), list.end(), [&](const ThreadColor& t) { return t.rgb == thread.rgb; });
  if (byName != list.end()) selected_ = static_cast<int>(byName - list.begin());
}

void ColorChooser::findChartIndex(ThreadColor& thread) const {
  if (thread.chartIndex >= 0) return;
  for (const ThreadPalette& p : palettes_) {
    for (const ThreadColor& e : p.entries) {
      if (equalsNoCase(e.displayName, thread.displayName)) {
        thread.chartIndex = e.chartIndex;
        return;
      }
    }
  }
}

ThreadColor ColorChooser::chosenThread() const {
  if (selected_ < 0) return {};
  return rows()[static_cast<std::size_t>(selected_)];
}

}  // namespace lh
