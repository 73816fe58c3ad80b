#pragma once
// The colour chooser's palettes: the received thread list cut at its header threads, the chart
// number a thread or palette name stands for, and the orders a palette can be put in.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "design/thread_color.h"

namespace lh {

struct ThreadPalette {
  std::string name;
  std::vector<ThreadColor> entries;
};

// Cuts `received` into palettes: every header thread (top byte of rgb set) starts one named by
// its displayName. A list that does not begin with a header is a machine palette and gets one
// named after the design's extension in capitals and " colors" ("PES colors"). Every colour
// gets its palette's number as chartIndex and its derived colour fields; every palette is
// sorted by colour.
std::vector<ThreadPalette> splitPalettes(std::span<const ThreadColor> received, std::string_view designPath);

// The chart number (0 = none) that a thread or palette name points to by its brand and
// material words.
int chartKey(std::string_view name);

// Case-insensitive order of two names (ASCII letters fold to lower case): < 0, 0 or > 0.
int compareNoCase(std::string_view a, std::string_view b);

// The two orders of the "Sort by:" buttons; palettes of two entries or fewer stay as they are.
void sortByColor(std::vector<ThreadColor>& entries);
void sortByName(std::vector<ThreadColor>& entries);
// Ascending closeness to `thread` by the thread-matching colour distance.
void sortByCloseness(std::vector<ThreadColor>& entries, const ThreadColor& thread);

}  // namespace lh
