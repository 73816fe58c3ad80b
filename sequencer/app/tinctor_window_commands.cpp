// The main window's commands: each passes the user's action to the core and shows the result.
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>

#include "sequencer/app/chooser_window.h"
#include "sequencer/app/color_prefs_window.h"
#include "sequencer/app/preview_pane.h"
#include "sequencer/app/stop_list_view.h"
#include "sequencer/app/tinctor_window.h"
#include "sequencer/preview_click.h"

namespace lh {

void TinctorWindow::apply(const SessionUpdate& update, bool fromBus) {
  if (update.title) setWindowTitle(QString::fromStdString(*update.title));
  if (update.colorsReloaded) chooser_->reload();
  applyEdit(update.edit, fromBus && update.edit.redraw);
  if (update.notice) prompts_.notice(this, *update.notice);
  if (update.saved && prompts_.exitAfterSave(this, *update.saved)) close();
  if (update.close) close();
  simulationMoved();
}

void TinctorWindow::applyEdit(const EditResult& edit, bool fresh) {
  SewingSimulation& sim = session_.simulation();
  if (edit.stopSimulation && sim.timerRunning()) sim.stop();
  if (edit.releasedPaletteSlot) releaseSlot(*edit.releasedPaletteSlot);
  if (edit.redraw) redrawPreview(fresh);
  if (edit.simPosition && *edit.simPosition > 0) sim.moveTo(*edit.simPosition);
  if (edit.redraw || edit.selection) stopList_->setRows(session_.model().rows(), session_.model().selection());
  if (edit.selection) {
    preview_->setFrame(edit.frame);
    showSelectionControls();
  }
  if (edit.showInChooser) {
    if (const std::optional<std::size_t> row = session_.model().selection()) {
      ThreadColor thread = session_.model().stops()[*row].thread;
      session_.chooser().findChartIndex(thread);
      chooser_->showThread(thread);
    }
  }
  if (edit.notice) prompts_.notice(this, *edit.notice);
  simulationMoved();
}

// The working design changed: the simulation starts over on it.
void TinctorWindow::redrawPreview(bool fresh) {
  const EmbDesign& design = session_.model().design();
  session_.simulation().setStitchCount(static_cast<std::int64_t>(design.stitches.size()));
  statusWalk_ = NeedleWalk{};
  preview_->setDesign(design, fresh);
  if (fresh) stopList_->setFocus();
  colorBar_->setDesign(design);
  scroll_->setRange(0, session_.simulation().scrollRange());
  scroll_->setPageStep(std::max(1, session_.simulation().scrollRange() / 20));
}

void TinctorWindow::releaseSlot(std::int32_t slot) {
  std::vector<ThreadColor> shown;
  for (const ColorStop& stop : session_.model().stops()) shown.push_back(stop.thread);
  session_.palette().release(slot, shown);
}

void TinctorWindow::showSelectionControls() {
  const SequenceModel& m = session_.model();
  remove_->setChecked(m.removeChecked());
  keep_->setEnabled(m.keepStopEnabled());
  keep_->setChecked(m.keepStopEnabled() && m.keepStopChecked());
  all_->setChecked(m.showColors() == ShowColors::All);
  selected_->setChecked(m.showColors() == ShowColors::Selected);
}

std::optional<ThreadColor> TinctorWindow::selectedThread() const {
  const std::optional<std::size_t> row = session_.model().selection();
  if (!row || *row >= session_.model().stops().size()) return std::nullopt;
  return session_.model().stops()[*row].thread;
}

// The timer, the preview, the scroll bar and the status bar follow the simulation.
void TinctorWindow::simulationMoved() {
  const SewingSimulation& sim = session_.simulation();
  if (!sim.timerRunning()) {
    timer_.stop();
  } else if (!timer_.isActive() || timer_.interval() != sim.interval()) {
    timer_.start(sim.interval());
  }
  preview_->showUpTo(sim.showsWholeDesign() ? 0 : sim.position());
  const QSignalBlocker quiet(scroll_);
  scroll_->setRange(0, sim.scrollRange());
  scroll_->setValue(sim.scrollThumb());
  showStatus();
}

void TinctorWindow::showMessage(const QString& text) { panes_[0]->setText(text); }

void TinctorWindow::navigate(Navigation to) { apply(session_.navigate(to)); }

void TinctorWindow::saveDesign() { apply(session_.save()); }

void TinctorWindow::sew() {
  session_.simulation().sew();
  simulationMoved();
}

void TinctorWindow::tickSimulation() {
  session_.simulation().tick();
  simulationMoved();
}

void TinctorWindow::unsew() {
  session_.simulation().unsew();
  simulationMoved();
}

void TinctorWindow::stopSewing() {
  session_.simulation().stop();
  simulationMoved();
}

void TinctorWindow::setSpeed(int speed) {
  session_.simulation().setSpeed(speed);
  const QSignalBlocker quiet(speed_);
  speed_->setValue(session_.simulation().speed());
  simulationMoved();
}

void TinctorWindow::setShaded(bool shaded) {
  preview_->setLook(shaded, jumps_->isChecked());
  const QSignalBlocker quiet(shaded_);
  shaded_->setChecked(shaded);
}

void TinctorWindow::setShowJumps(bool show) {
  preview_->setLook(shaded_->isChecked(), show);
  const QSignalBlocker quiet(jumps_);
  jumps_->setChecked(show);
}

void TinctorWindow::move(MoveCommand command) { applyEdit(session_.model().move(command)); }
void TinctorWindow::toggleRemove() { applyEdit(session_.model().toggleRemove()); }
void TinctorWindow::toggleKeepStop() { applyEdit(session_.model().toggleKeepStop()); }
void TinctorWindow::showAllColors() { applyEdit(session_.model().showAll()); }
void TinctorWindow::showSelectedColors() { applyEdit(session_.model().showSelected()); }
void TinctorWindow::undo() { applyEdit(session_.model().undo()); }
void TinctorWindow::redo() { applyEdit(session_.model().redo()); }

void TinctorWindow::insertColorStop() {
  const SewingSimulation& sim = session_.simulation();
  applyEdit(session_.model().insertColorStop(static_cast<int>(sim.position()), sim.timerRunning()));
}

void TinctorWindow::selectRow(int row) {
  if (row < 0) return;
  applyEdit(session_.model().select(static_cast<std::size_t>(row)));
}

void TinctorWindow::previewClicked(int block) {
  std::vector<bool> shown;
  for (const ColorStop& stop : session_.model().stops()) shown.push_back(stop.thread.included);
  const int row = rowOfPreviewBlock(block, shown);
  if (row >= 0) selectRow(row);
}

void TinctorWindow::colorChosen() {
  if (!session_.model().selection()) return;
  ThreadColor chosen = session_.chooser().chosenThread();
  session_.palette().enter(chosen);
  applyEdit(session_.model().colorChosen(chosen));
}

void TinctorWindow::toggleChooser() { chooser_->setVisible(!chooser_->isVisible()); }

void TinctorWindow::togglePreferences() { prefs_->setVisible(!prefs_->isVisible()); }

void TinctorWindow::scrollAction(int action) {
  SewingSimulation& sim = session_.simulation();
  const std::span<const Stitch> stitches = session_.model().design().stitches;
  if (stitches.empty()) return;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: sim.lineLeft(); break;
    case QAbstractSlider::SliderSingleStepAdd: sim.lineRight(); break;
    case QAbstractSlider::SliderPageStepSub: sim.pageLeft(stitches); break;
    case QAbstractSlider::SliderPageStepAdd: sim.pageRight(stitches); break;
    case QAbstractSlider::SliderMove: sim.dragTo(scroll_->sliderPosition()); break;
    case QAbstractSlider::SliderToMinimum: sim.moveTo(1); break;
    case QAbstractSlider::SliderToMaximum: sim.moveTo(sim.stitchCount()); break;
    default: return;
  }
  simulationMoved();
  scroll_->setSliderPosition(sim.scrollThumb());
}

}  // namespace lh
