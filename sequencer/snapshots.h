#pragma once
// The undo list of the sequencer: up to 50 recorded stop sequences and a cursor into them.
#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

#include "sequencer/color_stop.h"

namespace lh {

// A recorded sequence: every stop, removed ones too, with its flags. The stitch blocks are
// shared with the live stops and with the other snapshots.
using StopSnapshot = std::vector<ColorStop>;

class UndoHistory {
 public:
  static constexpr std::size_t kLimit = 50;

  // Records `stops`: the redo branch (the cursor's snapshot and everything after it) goes,
  // the oldest snapshot goes when the list is full, and the cursor becomes empty.
  void push(StopSnapshot stops);
  // The snapshot to restore for Undo, or null when nothing was recorded. With an empty
  // cursor `live` is recorded first, so that Redo can return to it.
  const StopSnapshot* undo(const StopSnapshot& live);
  // The snapshot to restore for Redo, or null with an empty cursor.
  const StopSnapshot* redo();
  void clear();

  std::size_t size() const { return list_.size(); }
  // Index of the snapshot shown; empty while the live state is newer than every snapshot.
  std::optional<std::size_t> cursor() const { return cursor_; }
  const std::deque<StopSnapshot>& snapshots() const { return list_; }

 private:
  std::deque<StopSnapshot> list_;
  std::optional<std::size_t> cursor_;
};

}  // namespace lh
