#pragma once
// The sequencer's model: the colour stops of the design being edited, the working design
// built from them, the selected stop, the "Show Colors" mode and the undo list, with every
// command of the "Move Selected Color" and "Selected Color Stop" groups.
//
// Commands return an EditResult naming what the window and the display must follow (the
// selection, a redraw, a frame, a message); the model decides everything itself.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "design/emb_design.h"
#include "sequencer/color_stop.h"
#include "sequencer/sequence_edits.h"
#include "sequencer/snapshots.h"
#include "sequencer/stop_list.h"

namespace lh {

enum class ShowColors { All, Selected };

// A refusal shown in a message box.
struct Notice {
  std::string text;
  std::string caption;
  friend bool operator==(const Notice&, const Notice&) = default;
};

struct EditResult {
  bool stopSimulation = false;  // a running sewing simulation must stop first
  bool redraw = false;          // the working design was rebuilt: redraw the preview, refill rows
  // The row now selected, when the selection was set or set again; the window then shows
  // the Remove and Keep Color Stop check boxes from the model and frames `frame`.
  std::optional<std::size_t> selection;
  std::optional<StopBounds> frame;  // the selected block's bounds (none for an empty block)
  bool showInChooser = false;       // the chooser shows the selected stop's thread
  std::optional<int> simPosition;   // where the simulation position goes
  std::optional<Notice> notice;
  std::optional<std::int32_t> releasedPaletteSlot;  // the display palette slot to give back
};

class SequenceModel {
 public:
  // A received design with stitches becomes the working design: it is cut into stops and
  // row 0 is selected. The undo list is left alone (see clearHistory).
  EditResult load(const EmbDesign& design);
  // Forgets every undo snapshot, as when a new design arrives (with or without stitches).
  void clearHistory() { history_.clear(); }

  // The working design: the stops with `included` set, as the preview and simulation show it.
  const EmbDesign& design() const { return working_; }
  const std::vector<ColorStop>& stops() const { return stops_; }
  std::vector<StopRow> rows() const { return stopRows(stops_); }
  std::optional<std::size_t> selection() const { return selection_; }
  ShowColors showColors() const { return mode_; }
  const UndoHistory& history() const { return history_; }
  // Where a record of the working design comes from.
  const std::vector<BlockSpan>& blockSpans() const { return spans_; }

  // The check boxes of the selected stop.
  bool removeChecked() const;
  bool keepStopEnabled() const;  // the stop above carries exactly the same thread name
  bool keepStopChecked() const;

  // The design to hand back: removed stops left out, equal neighbouring colours merged
  // unless the later stop keeps its stop.
  EmbDesign designForSaving() const;
  void setPath(std::string path) { working_.path = std::move(path); }

  EditResult select(std::size_t row);
  EditResult move(MoveCommand command);
  EditResult toggleRemove();
  EditResult toggleKeepStop();
  EditResult showAll();
  EditResult showSelected();
  // `chosen` replaces the selected stop's thread, keeping the stop's record count, thread
  // length and flags. It comes with its display palette slot taken (paletteIndex, and rgb
  // as the palette holds it); the result names the old slot to release.
  EditResult colorChosen(const ThreadColor& chosen);
  // Cuts the block being simulated into two stops: the record sewn last (index
  // simPosition - 1 of the working design) opens the new stop, which is selected, and the
  // simulation position moves one on so that it still points at that record. Nothing
  // happens when the old block would keep no record of its own.
  EditResult insertColorStop(int simPosition, bool simulationRunning);
  EditResult undo();
  EditResult redo();

  static const Notice kInsertNeedsAll;
  static const Notice kInsertAtBeginning;

 private:
  void pushSnapshot() { history_.push(stops_); }
  void rebuildWorking();
  EditResult restore(const StopSnapshot& snapshot);

  std::vector<ColorStop> stops_;
  EmbDesign working_;
  std::vector<BlockSpan> spans_;
  std::optional<std::size_t> selection_;
  ShowColors mode_ = ShowColors::All;
  UndoHistory history_;
};

}  // namespace lh
