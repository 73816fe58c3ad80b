// A whole run in two processes: the browser window (here) serves two selected sample copies
// and the real sequencer, started by the sequencer button, edits the first as a scripted user
// (LH_TINCTOR_SCRIPT), saves it, goes on to the second and saves and exits there. The browser
// saves each design handed back as a new file beside its source, lists it after the source and
// selects it; the originals stay as they were.
#include <QAction>
#include <QToolBar>

#include "sequencer/sequence_model.h"
#include "tests/browser_plugins/plugin_fixture.h"

namespace lh {
namespace {

using test::PluginFrameTest;

std::vector<std::uint32_t> stopColours(const std::string& path) {
  SequenceModel model;
  model.load(test::loadDesign(path));
  std::vector<std::uint32_t> out;
  for (const ColorStop& s : model.stops()) out.push_back(s.thread.rgb);
  return out;
}

TEST_F(PluginFrameTest, TheSequencerEditsTheSelectionAndTheBrowserSavesAndListsTheResults) {
  copySamples({"flower.pes", "quilt.pes"});
  test::installPlugins({{"Loomhall Huetide", LH_TINCTOR}});
  {
    // The browser's version as the sequencer reads it: it asks for the thread charts.
    QSettings browser(QSettings::NativeFormat, QSettings::UserScope, "Quenby", "Loomhall");
    browser.setValue("Settings/Version", 258);
  }
  ::setenv("LH_TINCTOR_SCRIPT", "last,colour,save,next,save-exit", 1);
  const std::vector<std::uint8_t> flowerBytes = test::readAll(designs + "/flower.pes");
  const std::vector<std::uint8_t> quiltBytes = test::readAll(designs + "/quilt.pes");
  const std::vector<std::uint32_t> before = stopColours(designs + "/flower.pes");
  ASSERT_GE(before.size(), 3u);
  openFrame();
  select({"flower.pes", "quilt.pes"});
  QAction* button = frame->pluginToolBar()->findChild<QAction*>("sequencerButton");
  ASSERT_NE(button, nullptr);
  button->trigger();
  ::unsetenv("LH_TINCTOR_SCRIPT");
  ASSERT_TRUE(frame->runState().pluginRunning());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->runState().toolRunning(); }, test::kRunWait));

  EXPECT_EQ(listedNames(),
            (std::vector<std::string>{"flower.pes", "flower+HT.pes", "quilt.pes", "quilt+HT.pes"}));
  EXPECT_EQ(selectedNames(), (std::vector<std::string>{"flower+HT.pes", "quilt+HT.pes"}));
  // The first stop went last; the stop now first got another colour.
  const std::vector<std::uint32_t> after = stopColours(designs + "/flower+HT.pes");
  ASSERT_EQ(after.size(), before.size());
  EXPECT_NE(after[0], before[1]);
  EXPECT_EQ(std::vector<std::uint32_t>(after.begin() + 1, after.end() - 1),
            std::vector<std::uint32_t>(before.begin() + 2, before.end()));
  EXPECT_EQ(after.back(), before[0]);
  EXPECT_EQ(stopColours(designs + "/quilt+HT.pes").size(), stopColours(designs + "/quilt.pes").size());
  EXPECT_EQ(test::readAll(designs + "/flower.pes"), flowerBytes);
  EXPECT_EQ(test::readAll(designs + "/quilt.pes"), quiltBytes);
  ASSERT_FALSE(told.empty());
  EXPECT_TRUE(told.back().text.endsWith("2 files were created.")) << told.back().text.toStdString();
}

}  // namespace
}  // namespace lh
