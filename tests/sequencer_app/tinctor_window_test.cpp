// The sequencer's main window and colour chooser driven offscreen over a real session: the
// simulation's timer, the scroll bar, clicks into the preview, the status bar and the chooser.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include "plugin/payload.h"
#include "sequencer/app/chooser_window.h"
#include "sequencer/app/preview_pane.h"
#include "sequencer/app/stop_list_view.h"
#include "sequencer/app/tinctor_window.h"
#include "sequencer/preview_click.h"
#include "sequencer/sequencer_keys.h"
#include "threads/offered_charts.h"
#include "tests/support/design_builder.h"

namespace lh {
namespace {

using test::colorChange;
using test::st;

constexpr std::int64_t kToken = 77;

class NoPoster : public SessionPoster {
 public:
  void post(const PostedMessage&, std::optional<ByteSpan>) override {}
};

class QuietPrompts : public TinctorPrompts {
 public:
  void notice(QWidget*, const Notice& n) override { notices.push_back(n); }
  bool exitAfterSave(QWidget*, const SaveReport&) override { return false; }
  std::vector<Notice> notices;
};

// `blocks` colour blocks of `perBlock` stitches each, side by side along x.
EmbDesign rows(std::vector<std::uint32_t> colors, int perBlock) {
  EmbDesign d;
  for (std::size_t b = 0; b < colors.size(); ++b) {
    if (b > 0) d.stitches.push_back(colorChange());
    d.stitches.push_back(Stitch(b == 0 ? -300 : 40, b == 0 ? 0 : -20, true));
    for (int i = 0; i < perBlock; ++i) d.stitches.push_back(st(i % 2 == 0 ? 0 : 1, i % 2 == 0 ? 40 : -40));
    ThreadColor t("Color " + std::to_string(b + 1), colors[b], 0);
    d.threads.push_back(t);
  }
  d.computeBounds();
  d.path = "/designs/rose.pes";
  return d;
}

class TinctorWindowTest : public ::testing::Test {
 protected:
  TinctorWindowTest() {
    browser.setInt(kHostVersionSection, kHostVersionKey, 258);
    session.start("1", kToken);
    session.windowReady();
    window.resize(1000, 700);
    window.show();
  }

  void receive(const EmbDesign& design) {
    const std::optional<ByteBuffer> block = writeDesignPayload(design, PayloadSide::Host);
    ASSERT_TRUE(block);
    window.apply(session.handleMessage("LHCallback", 1, kToken, ByteSpan(*block)), true);
  }
  void receiveColors(const std::vector<ThreadColor>& threads) {
    EmbDesign list;
    list.threads = threads;
    list.path = session.model().design().path;
    const std::optional<ByteBuffer> block = writeDesignPayload(list, PayloadSide::Host);
    ASSERT_TRUE(block);
    window.apply(session.handleMessage("LHThreadColorArray", 1, kToken, ByteSpan(*block)), true);
  }
  std::int64_t position() const { return session.simulation().position(); }

  MemorySettings browser, own;
  NoPoster poster;
  QuietPrompts prompts;
  SequencerSession session{browser, own, poster};
  TinctorWindow window{session, own, prompts};
};

TEST_F(TinctorWindowTest, SpeedSetsTheTimerIntervalAndTheStitchesPerTick) {
  receive(rows({0x0000FF, 0x00FF00}, 200));
  struct Case {
    int speed, interval, steps;
  };
  for (const Case c : {Case{500, 0, 1}, Case{1000, 1, 62}, Case{1, 332, 1}}) {
    window.setSpeed(c.speed);
    window.sew();
    ASSERT_TRUE(window.simulationTimer().isActive()) << c.speed;
    EXPECT_EQ(window.simulationTimer().interval(), c.interval) << c.speed;
    EXPECT_EQ(position(), 1);
    window.tickSimulation();
    EXPECT_EQ(position(), 1 + c.steps) << c.speed;
    EXPECT_EQ(window.preview()->shownPosition(), position());
    window.stopSewing();
    window.stopSewing();
  }
  // Moving the slider while sewing restarts the timer with the running interval.
  window.sew();
  window.setSpeed(1000);
  EXPECT_EQ(window.simulationTimer().interval(), 100);
}

TEST_F(TinctorWindowTest, StopPausesFirstAndThenShowsTheWholeDesign) {
  receive(rows({0x0000FF, 0x00FF00}, 50));
  window.sew();
  for (int i = 0; i < 5; ++i) window.tickSimulation();
  window.stopSewing();
  EXPECT_FALSE(window.simulationTimer().isActive());
  EXPECT_TRUE(session.simulation().isPaused());
  EXPECT_EQ(window.preview()->shownPosition(), 6);
  EXPECT_EQ(window.statusText(3), "St: 6");
  window.stopSewing();
  EXPECT_FALSE(session.simulation().isPaused());
  EXPECT_EQ(window.preview()->shownPosition(), 0);
  // Sewing to the end ends the simulation by itself.
  window.sew();
  while (window.simulationTimer().isActive()) window.tickSimulation();
  EXPECT_EQ(position(), 0);
}

TEST_F(TinctorWindowTest, ALargeDesignScrollsOverTenThousandSteps) {
  EmbDesign d = rows({0x0000FF, 0x00FF00}, 12498);  // the colour change is record 12499
  d.stitches.push_back(st(1, 1));
  d.computeBounds();
  receive(d);
  ASSERT_EQ(session.model().design().stitches.size(), 25000u);
  QScrollBar* scroll = window.stitchScrollBar();
  EXPECT_EQ(scroll->maximum(), 10000);
  scroll->setSliderPosition(5000);
  window.scrollAction(QAbstractSlider::SliderMove);
  EXPECT_EQ(position(), 12500);
  EXPECT_TRUE(session.simulation().isPaused());
  EXPECT_EQ(scroll->value(), 5000);
  EXPECT_TRUE(window.statusText(1).endsWith(" CS")) << window.statusText(1).toStdString();
  EXPECT_EQ(window.statusText(2), "Col: 2");
  window.scrollAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(position(), 12501);
  // Pages go from colour change to colour change.
  window.scrollAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(position(), 12500);
  window.scrollAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(position(), 1);
  window.scrollAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(position(), 12500);
}

TEST_F(TinctorWindowTest, StatusPanesShowTheSimulatedStitchAndTheControlUnderTheMouse) {
  EXPECT_EQ(window.statusText(3), "");  // no design yet
  receive(rows({0x0000FF, 0x00FF00}, 10));
  EXPECT_EQ(window.statusText(3), "St: 0");
  EXPECT_EQ(window.statusText(2), "Col: 1");
  window.scrollAction(QAbstractSlider::SliderSingleStepAdd);  // the first record: the jump in
  EXPECT_EQ(window.statusText(3), "St: 1");
  EXPECT_EQ(window.statusText(1), "x:-30.0 y:0.0 JS");
  window.action("Next")->showStatusText(&window);
  EXPECT_EQ(window.statusText(0), "Get the  next selected file.");
  EXPECT_EQ(window.action("Undo")->shortcut(), QKeySequence("Ctrl+Z"));
  EXPECT_EQ(window.action("Redo")->shortcut(), QKeySequence("Ctrl+Y"));
}

TEST_F(TinctorWindowTest, AClickSelectsTheStopSewnThereAndTheBackgroundChangesNothing) {
  receive(rows({0x0000FF, 0x00FF00, 0xFF0000}, 40));
  window.selectRow(1);
  PreviewPane* preview = window.preview();
  EXPECT_EQ(preview->blockAt(2, 2), kNoBlockHit);
  QTest::mouseClick(preview, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(session.model().selection(), 1u);
  EXPECT_EQ(window.stopList()->currentRow(), 1);

  // The middle of the third block's first stitch.
  const EmbDesign& d = session.model().design();
  double x = 0, y = 0;
  std::size_t changes = 0;
  for (const Stitch& s : d.stitches) {
    if (s.isColorChange()) ++changes;
    if (changes == 2 && !s.isJump() && !s.isColorChange()) {
      y += s.dy / 2.0;
      break;
    }
    x += s.dx;
    y += s.dy;
  }
  const QPoint hit(preview->geometry().toPixelX(x), preview->geometry().toPixelY(y));
  QTest::mouseClick(preview, Qt::LeftButton, {}, hit);
  EXPECT_EQ(session.model().selection(), 2u);
  EXPECT_EQ(window.stopList()->currentRow(), 2);
}

std::vector<ThreadColor> chart() {
  std::vector<ThreadColor> threads{ThreadColor("Test Chart", kChartHeaderFlag + 5, 0)};
  for (const auto& [name, rgb] : std::vector<std::pair<std::string, std::uint32_t>>{
           {"Sky", 0xFFCC66}, {"Crimson", 0x1010E0}, {"Grass", 0x00AA00}, {"Scarlet", 0x0000FF}, {"Rose", 0x6060FF}})
    threads.emplace_back(name, rgb, 0);
  return threads;
}

TEST_F(TinctorWindowTest, PickingAChooserEntryPutsItsThreadOnTheSelectedStop) {
  receive(rows({0x0000FF, 0x00FF00}, 10));
  receiveColors(chart());
  ChooseColorWindow* chooser = window.chooserWindow();
  ASSERT_EQ(chooser->paletteBox()->currentText(), "Test Chart");
  window.selectRow(1);
  const QList<QListWidgetItem*> grass = chooser->list()->findItems("Grass", Qt::MatchExactly);
  ASSERT_EQ(grass.size(), 1);
  chooser->list()->setCurrentItem(grass[0]);
  const StopThread& thread = session.model().stops()[1].thread;
  EXPECT_EQ(thread.displayName, "Grass");
  EXPECT_EQ(thread.rgb, 0x00AA00u);
  EXPECT_EQ(thread.stitchCount, 11);
  EXPECT_EQ(window.stopList()->rows()[1].text, "2: Grass,  11 st");
  EXPECT_EQ(window.stopList()->currentRow(), 1);
  // Undo brings the old thread back.
  window.undo();
  EXPECT_EQ(session.model().stops()[1].thread.rgb, 0x00FF00u);
}

TEST_F(TinctorWindowTest, FindMatchesOrdersTheShownPaletteByClosenessToTheSelectedStop) {
  receive(rows({0x0000FF, 0x00FF00}, 10));  // the first stop is pure red
  receiveColors(chart());
  ChooseColorWindow* chooser = window.chooserWindow();
  chooser->findMatches();
  QStringList order;
  for (int i = 0; i < chooser->list()->count(); ++i) order << chooser->list()->item(i)->text();
  ASSERT_EQ(order.size(), 5);
  EXPECT_EQ(order[0], "Scarlet");
  EXPECT_LT(order.indexOf("Crimson"), order.indexOf("Grass"));
  EXPECT_LT(order.indexOf("Rose"), order.indexOf("Sky"));
  EXPECT_EQ(session.model().stops()[0].thread.rgb, 0x0000FFu);  // finding changes no stop
}

}  // namespace
}  // namespace lh

namespace lh {
namespace {

TEST_F(TinctorWindowTest, StopRowsShowRemovedStopsCrossedOutAndJoinedStopsBracketed) {
  EmbDesign d = rows({0x000000, 0x00AA00, 0x00AA00}, 10);
  d.threads[2].displayName = d.threads[1].displayName;
  receive(d);
  window.selectRow(0);
  window.toggleRemove();
  window.selectRow(2);
  ASSERT_TRUE(window.keepStopBox()->isEnabled());
  window.toggleKeepStop();  // the third stop now merges into the second on saving
  EXPECT_FALSE(window.keepStopBox()->isChecked());

  StopListView* list = window.stopList();
  const QImage picture = list->viewport()->grab().toImage();
  const int h = list->visualItemRect(list->item(0)).height();
  // The black swatch (6 pixels in, as high as the row) of the removed stop is crossed out in white.
  const int t = (h - 2) / 2;
  EXPECT_EQ(picture.pixelColor(6 + t, t), QColor(Qt::white));
  EXPECT_EQ(picture.pixelColor(7, t + 3), QColor(Qt::black));
  // A bracket left of the swatches links rows 1 and 2, and only those.
  EXPECT_EQ(picture.pixelColor(2, h + h - 1), QColor(Qt::black));
  EXPECT_EQ(picture.pixelColor(2, 2 * h + 2), QColor(Qt::black));
  EXPECT_NE(picture.pixelColor(2, h - 1), QColor(Qt::black));
  EXPECT_NE(picture.pixelColor(2, 3 * h + 2), QColor(Qt::black));
}

}  // namespace
}  // namespace lh
