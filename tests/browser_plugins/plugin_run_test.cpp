// The plug-in menu and buttons, a run of the protocol's test client started from the menu,
// the locks of a run with their messages, Stop, and the sequencer's registration.
#include <QAction>
#include <QMenuBar>
#include <QToolBar>

#include "browser/app/catalog_tree.h"
#include "browser/app/plugin_registration.h"
#include "browser/app/plugin_runs.h"
#include "plugin/bus/bus.h"
#include "plugin/plugin_host.h"
#include "plugin/plugin_texts.h"
#include "tests/browser_plugins/plugin_fixture.h"

namespace lh {
namespace {

using test::PluginFrameTest;

QStringList texts(const QList<QAction*>& actions) {
  QStringList out;
  for (const QAction* a : actions) out << a->text();
  return out;
}

TEST_F(PluginFrameTest, MenuButtonsAndTitleFollowTheInstalledPlugins) {
  copySamples({"flower.pes"});
  struct Case {
    std::map<QString, QString> installed;
    QStringList submenu;  // empty: no submenu
    bool sequencerButton;
    QString title;
  };
  const std::vector<Case> cases{
      {{{"Loomhall Huetide", "/opt/x/tinctor"}, {"zeta", "/bin/true"}, {"Alpha", "1/bin/true"}},
       {"Alpha", "Loomhall Huetide", "zeta"}, true, "Loomhall Atelier Plus"},
      {{{"Other", "/bin/true"}, {"Loomhall Huetide", ""}}, {"Loomhall Huetide", "Other"}, false, "Loomhall Atelier"},
      {{}, {}, false, "Loomhall Atelier"},
  };
  for (const Case& c : cases) {
    test::installPlugins(c.installed);
    openFrame();
    QStringList submenu;
    for (QAction* a : frame->pluginMenu()->actions())
      if (a->menu() != nullptr && a->text() == "Loomhall Tools") submenu = texts(a->menu()->actions());
    EXPECT_EQ(submenu, c.submenu);
    EXPECT_EQ(frame->windowTitle(), c.title);
    EXPECT_EQ(frame->pluginToolBar()->findChild<QAction*>("sequencerButton") != nullptr, c.sequencerButton);
    EXPECT_TRUE(frame->pluginToolBar()->actions().contains(frame->stopAction()));
    EXPECT_FALSE(frame->stopAction()->isEnabled());
    frame.reset();
  }
}

// The test client walks the selection, asks for the colours and hands back the design it
// holds (the first selected) with its first colour changed, then ends.
TEST_F(PluginFrameTest, APluginRunFromTheMenuSavesListsAndSelectsTheHandedBackDesign) {
  copySamples({"flower.pes", "letters.pes", "spiral.dst"});
  test::installPlugins({{"Test Client", LH_PLUGIN_CLIENT}});
  const std::vector<std::uint8_t> original = test::readAll(designs + "/flower.pes");
  openFrame();
  select({"flower.pes", "letters.pes"});
  QAction* client = pluginItem("Test Client");
  ASSERT_NE(client, nullptr);
  client->trigger();
  EXPECT_TRUE(frame->runState().pluginRunning());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->runState().toolRunning(); }, test::kRunWait));

  EXPECT_EQ(listedNames(), (std::vector<std::string>{"flower.pes", "flower(2).pes", "letters.pes", "spiral.dst"}));
  EXPECT_EQ(selectedNames(), (std::vector<std::string>{"flower(2).pes"}));
  const EmbDesign saved = test::loadDesign(designs + "/flower(2).pes");
  ASSERT_FALSE(saved.threads.empty());
  EXPECT_EQ(saved.threads[0].rgb, 0x563412u);
  EXPECT_EQ(test::readAll(designs + "/flower.pes"), original);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].caption, "Report");
  EXPECT_TRUE(told[0].text.endsWith("1 file was created.")) << told[0].text.toStdString();
  EXPECT_FALSE(frame->stopAction()->isEnabled());
}

// A plug-in that does not talk keeps the run going until Stop.
TEST_F(PluginFrameTest, ARunLocksTheTreesPreferencesAndPluginsUntilStop) {
  copySamples({"flower.pes"});
  const std::string sleeper = scratch / "tinctor-sleeper";
  test::writeAll(sleeper, "#!/bin/sh\nexec sleep 30\n");
  std::filesystem::permissions(sleeper, std::filesystem::perms::owner_all);
  test::installPlugins({{"Loomhall Huetide", QString::fromStdString(sleeper)}});
  openFrame();
  Bus listener(QString::fromStdString(scratch / "bus"));
  std::vector<BusFrame> heard;
  QObject::connect(&listener, &Bus::frameReceived, [&](const BusFrame& f) { heard.push_back(f); });
  // The listener is on the bus once it hears its own post.
  listener.post(BusFrame{"Probe", 0, 0, std::nullopt});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !heard.empty(); }, test::kRunWait));
  heard.clear();

  frame->runSequencer();  // nothing selected
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].caption.toStdString(), kNoFileSelected.caption);
  select({"flower.pes"});
  frame->runSequencer();
  ASSERT_TRUE(frame->runState().pluginRunning());
  EXPECT_TRUE(frame->stopAction()->isEnabled());

  told.clear();
  frame->tickFolder(QString::fromStdString(designs), false);
  frame->catalogTree().nameClick(frame->catalogTree().selectedCategory(), false);
  for (QAction* a : frame->menuBar()->actions())
    if (a->menu() != nullptr)
      for (QAction* item : a->menu()->actions())
        if (item->text() == "Preferences...") item->trigger();
  frame->runSequencer();
  ASSERT_EQ(told.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(told[i].caption.toStdString(), kPluginRunning.caption) << i;
    EXPECT_EQ(told[i].text.toStdString(), kPluginRunning.text) << i;
  }
  EXPECT_EQ(told[3].caption.toStdString(), kToolInOperation.caption);
  EXPECT_EQ(frame->view().fileList().size(), 1u);  // the folder stayed ticked

  frame->stopAction()->trigger();
  EXPECT_FALSE(frame->runState().toolRunning());
  EXPECT_FALSE(frame->stopAction()->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !heard.empty(); }, test::kRunWait));
  EXPECT_EQ(heard.back(), (BusFrame{"LHPlugInStop", 0, 0, std::nullopt}));
  told.clear();
  frame->tickFolder(QString::fromStdString(designs), false);
  EXPECT_TRUE(told.empty());
  EXPECT_TRUE(frame->view().fileList().empty());
}

// A request left unacknowledged blocks the host; the raise of a second start forgives it.
TEST_F(PluginFrameTest, ASecondStartsRaiseClearsTheAwaitedAcknowledgement) {
  copySamples({"flower.pes"});
  test::installPlugins({});
  openFrame();
  select({"flower.pes"});
  PluginHost& host = frame->plugins().host();
  EXPECT_TRUE(host.handlePluginMessage(BusFrame{"LHGetFirst", 1, 77, std::nullopt}));
  EXPECT_EQ(host.filesSent(), 1);
  ASSERT_TRUE(host.awaitingAck());
  frame->comeToFront(QString());
  EXPECT_FALSE(host.awaitingAck());
}

TEST(SequencerRegistration, RegistersTheSequencerBesideTheBrowserOnceAndNeverOverAUsersEntry) {
  test::ScratchDir scratch;
  const QString folder = QString::fromStdString(scratch.path());
  QSettings installed(QSettings::NativeFormat, QSettings::UserScope, "Quenby", "Loomhall Tools");
  const QString program = folder + "/tinctor";

  test::installPlugins({});
  MemorySettings browser;
  EXPECT_EQ(registerBundledSequencer(browser, folder), SequencerRegistration::NotInstalled);
  test::writeAll(program.toStdString(), "#!/bin/sh\n");
  EXPECT_EQ(registerBundledSequencer(browser, folder), SequencerRegistration::NotInstalled);  // not executable
  std::filesystem::permissions(program.toStdString(), std::filesystem::perms::owner_all);
  EXPECT_EQ(registerBundledSequencer(browser, folder), SequencerRegistration::Registered);
  installed.sync();
  EXPECT_EQ(installed.value("Loomhall Huetide").toString(), program);

  test::installPlugins({});  // the user removed it: it stays removed
  EXPECT_EQ(registerBundledSequencer(browser, folder), SequencerRegistration::AlreadyDone);
  installed.sync();
  EXPECT_FALSE(installed.contains("Loomhall Huetide"));

  test::installPlugins({{"Loomhall Huetide", "1/home/me/my-sequencer"}});
  MemorySettings fresh;
  EXPECT_EQ(registerBundledSequencer(fresh, folder), SequencerRegistration::UserEntryKept);
  installed.sync();
  EXPECT_EQ(installed.value("Loomhall Huetide").toString(), "1/home/me/my-sequencer");
  EXPECT_EQ(registerBundledSequencer(fresh, folder), SequencerRegistration::AlreadyDone);
}

}  // namespace
}  // namespace lh
