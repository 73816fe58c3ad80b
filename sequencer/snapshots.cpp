#include "sequencer/snapshots.h"

#include <utility>

namespace lh {

void UndoHistory::push(StopSnapshot stops) {
  if (cursor_) list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(*cursor_), list_.end());
  if (list_.size() >= kLimit) list_.pop_front();
  list_.push_back(std::move(stops));
  cursor_.reset();
}

const StopSnapshot* UndoHistory::undo(const StopSnapshot& live) {
  if (list_.empty()) return nullptr;
  if (!cursor_) {
    push(live);
    cursor_ = list_.size() - 1;
  }
  if (*cursor_ > 0) --*cursor_;
  return &list_[*cursor_];
}

const StopSnapshot* UndoHistory::redo() {
  if (!cursor_) return nullptr;
  if (*cursor_ + 1 < list_.size()) ++*cursor_;
  return &list_[*cursor_];
}

void UndoHistory::clear() {
  list_.clear();
  cursor_.reset();
}

}  // namespace lh
