#include "sequencer/sequence_model.h"

#include <algorithm>
#include <utility>

namespace lh {

const Notice SequenceModel::kInsertNeedsAll{
    "Please set 'Show Colors' to 'All' when inserting a color.", "Color Insertion"};
const Notice SequenceModel::kInsertAtBeginning{
    "Please scroll to a position within the design to insert a color.", "Insertion At Beginning"};

namespace {

// Adds what a selection change reports to the result of the command that caused it.
EditResult& withSelection(EditResult& result, const EditResult& selection) {
  result.selection = selection.selection;
  result.frame = selection.frame;
  result.showInChooser = selection.showInChooser;
  result.redraw = result.redraw || selection.redraw;
  return result;
}

void includeAllKept(std::vector<ColorStop>& stops) {
  for (ColorStop& stop : stops) stop.thread.included = !stop.thread.removed;
}

}  // namespace

EditResult SequenceModel::load(const EmbDesign& design) {
  if (design.stitches.empty()) return {};
  working_.copyFrom(design);
  stops_ = buildStops(design);
  selection_.reset();
  rebuildWorking();
  EditResult result;
  result.redraw = true;
  result.simPosition = 0;
  return withSelection(result, select(0));
}

bool SequenceModel::removeChecked() const { return selection_ && stops_[*selection_].thread.removed; }

bool SequenceModel::keepStopEnabled() const {
  if (!selection_ || *selection_ == 0) return false;
  return stops_[*selection_ - 1].thread.displayName == stops_[*selection_].thread.displayName;
}

bool SequenceModel::keepStopChecked() const {
  return keepStopEnabled() && stops_[*selection_].thread.keepStop;
}

EmbDesign SequenceModel::designForSaving() const {
  EmbDesign out;
  out.copyFrom(working_);
  rebuildDesign(stops_, RebuildMode::ForSaving, out);
  return out;
}

void SequenceModel::rebuildWorking() { rebuildDesign(stops_, RebuildMode::IncludedOnly, working_, &spans_); }

EditResult SequenceModel::select(std::size_t row) {
  if (row >= stops_.size()) return {};
  for (ColorStop& stop : stops_) stop.thread.selected = false;
  stops_[row].thread.selected = true;
  selection_ = row;
  EditResult result;
  result.selection = row;
  result.showInChooser = true;
  if (stops_[row].size() > 0) result.frame = stops_[row].bounds;
  if (mode_ == ShowColors::Selected) {
    for (std::size_t i = 0; i < stops_.size(); ++i) {
      stops_[i].thread.included = i == row && !stops_[i].thread.removed;
    }
    rebuildWorking();
    result.redraw = true;
  }
  return result;
}

EditResult SequenceModel::move(MoveCommand command) {
  if (mode_ == ShowColors::Selected || !selection_) return {};
  EditResult result;
  result.stopSimulation = true;
  pushSnapshot();
  const std::optional<std::size_t> to = moveTarget(stops_, *selection_, command);
  if (!to) return result;
  moveStop(stops_, *selection_, *to);
  renumberStops(stops_);
  rebuildWorking();
  result.redraw = true;
  return withSelection(result, select(*to));
}

EditResult SequenceModel::toggleRemove() {
  if (!selection_) return {};
  EditResult result;
  result.stopSimulation = true;
  pushSnapshot();
  StopThread& thread = stops_[*selection_].thread;
  thread.removed = !thread.removed;
  thread.included = !thread.removed;
  rebuildWorking();
  result.redraw = true;
  return result;
}

EditResult SequenceModel::toggleKeepStop() {
  if (!keepStopEnabled()) return {};
  pushSnapshot();
  StopThread& thread = stops_[*selection_].thread;
  thread.keepStop = !thread.keepStop;
  rebuildWorking();
  EditResult result;
  result.redraw = true;
  return withSelection(result, select(*selection_));
}

EditResult SequenceModel::showAll() {
  EditResult result;
  result.stopSimulation = true;
  mode_ = ShowColors::All;
  includeAllKept(stops_);
  rebuildWorking();
  result.redraw = true;
  return result;
}

EditResult SequenceModel::showSelected() {
  EditResult result;
  result.stopSimulation = true;
  result.redraw = true;
  mode_ = ShowColors::Selected;
  if (!selection_) return result;
  return withSelection(result, select(*selection_));
}

EditResult SequenceModel::colorChosen(const ThreadColor& chosen) {
  if (!selection_) return {};
  EditResult result;
  result.stopSimulation = true;
  pushSnapshot();
  StopThread& thread = stops_[*selection_].thread;
  result.releasedPaletteSlot = thread.paletteIndex;
  const std::int32_t count = thread.stitchCount;
  const std::int64_t length = thread.threadLength;
  // The flags say how the stop takes part in the sequence; a new colour leaves them alone.
  static_cast<ThreadColor&>(thread) = chosen;
  thread.stitchCount = count;
  thread.threadLength = length;
  rebuildWorking();
  result.redraw = true;
  return withSelection(result, select(*selection_));
}

EditResult SequenceModel::insertColorStop(int simPosition, bool simulationRunning) {
  EditResult result;
  if (simulationRunning) {
    result.stopSimulation = true;
    return result;
  }
  if (mode_ == ShowColors::Selected) {
    result.notice = kInsertNeedsAll;
    return result;
  }
  if (simPosition < 2) {
    result.notice = kInsertAtBeginning;
    return result;
  }
  // The record sewn last, its block, and how far it lies after the colour change that opens
  // the block (a cut must leave the old block at least one record).
  const std::size_t at = static_cast<std::size_t>(simPosition) - 1;
  const auto span = std::upper_bound(spans_.begin(), spans_.end(), at,
                                     [](std::size_t i, const BlockSpan& s) { return i < s.end; });
  if (span == spans_.end() || at < span->first) return result;
  const std::size_t distance = at - span->first + 1;
  if (distance <= 1 || at <= span->own) return result;
  const std::size_t row = span->stop;
  const std::size_t offset = at - span->own;
  pushSnapshot();
  splitStop(stops_, row, offset);
  rebuildWorking();
  result.redraw = true;
  result.simPosition = simPosition + 1;
  return withSelection(result, select(row + 1));
}

EditResult SequenceModel::restore(const StopSnapshot& snapshot) {
  stops_ = snapshot;
  if (mode_ == ShowColors::All) includeAllKept(stops_);
  rebuildWorking();
  EditResult result;
  result.redraw = true;
  result.simPosition = 0;
  if (stops_.empty()) {
    selection_.reset();
    return result;
  }
  const auto marked = std::find_if(stops_.begin(), stops_.end(),
                                   [](const ColorStop& s) { return s.thread.selected; });
  const std::size_t row = marked == stops_.end() ? 0 : static_cast<std::size_t>(marked - stops_.begin());
  return withSelection(result, select(row));
}

EditResult SequenceModel::undo() {
  const StopSnapshot* snapshot = history_.undo(stops_);
  EditResult result;
  if (snapshot) result = restore(*snapshot);
  result.stopSimulation = true;
  return result;
}

EditResult SequenceModel::redo() {
  const StopSnapshot* snapshot = history_.redo();
  if (!snapshot) return {};
  return restore(*snapshot);
}

}  // namespace lh
