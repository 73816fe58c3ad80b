// A whole run in two processes: `loomhall-cli host` serves two sample designs on a private bus
// and the sequencer edits the first, saves it back and goes on to the second. The host saves
// the result as a new file; the originals stay as they were.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "formats/design_codec.h"
#include "sequencer/app/chooser_window.h"
#include "sequencer/app/tinctor_app.h"
#include "sequencer/sequencer_keys.h"
#include "tests/tools/tool_fixtures.h"

namespace lh {
namespace {

class StayingPrompts : public TinctorPrompts {
 public:
  void notice(QWidget*, const Notice& n) override { notices.push_back(n); }
  bool exitAfterSave(QWidget*, const SaveReport& r) override {
    saves.push_back(r);
    return false;
  }
  std::vector<Notice> notices;
  std::vector<SaveReport> saves;
};

EmbDesign load(const std::string& path) {
  DesignCodec codec;
  EmbDesign d;
  codec.busyCount.fetch_add(1);
  EXPECT_EQ(codec.loadDesign(&d, path), LoadResult::Ok) << path;
  return d;
}

TEST(TinctorWithHost, EditsTheFirstDesignSavesItBackAndGoesOnToTheNext) {
  test::ScratchDir scratch;
  const std::string designs = scratch / "designs";
  std::filesystem::create_directory(designs);
  auto in = [&](const std::string& name) { return designs + "/" + name; };
  for (const char* name : {"flower.pes", "quilt.pes"})
    std::filesystem::copy_file(std::string(LH_SAMPLES_DIR) + "/" + name, in(name));
  const std::vector<std::uint8_t> flowerBytes = test::readAll(in("flower.pes"));
  const std::vector<std::uint8_t> quiltBytes = test::readAll(in("quilt.pes"));
  const QString socket = QString::fromStdString(scratch / "bus");

  QProcess host;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("LOOMHALL_BUS", socket);
  env.insert("ASAN_OPTIONS", "detect_leaks=0");
  host.setProcessEnvironment(env);
  host.start(LH_CLI, {"host", "--defaults", QString::fromStdString(in("flower.pes")),
                      QString::fromStdString(in("quilt.pes"))});
  ASSERT_TRUE(host.waitForStarted());
  ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(scratch / "bus"); }, 20000));

  MemorySettings browser, own;
  browser.setInt(kHostVersionSection, kHostVersionKey, 258);
  StayingPrompts prompts;
  TinctorApp app(browser, own, prompts);
  ASSERT_TRUE(app.joinBrowser(socket));
  app.start("1", QCoreApplication::applicationPid());
  SequencerSession& session = app.session();
  auto settled = [&] { return !session.waitingForFile() && !session.waitingForColors(); };
  ASSERT_TRUE(QTest::qWaitFor(settled, 20000));
  EXPECT_EQ(session.receiveBuffer().path, in("flower.pes"));
  ASSERT_GE(session.model().stops().size(), 3u);
  ASSERT_FALSE(session.chooser().palettes().empty());
  std::vector<std::uint32_t> before;
  for (const ColorStop& s : session.model().stops()) before.push_back(s.thread.rgb);

  // The first stop goes last; the stop now first gets the chart's entry of another colour.
  TinctorWindow& window = app.window();
  window.selectRow(0);
  window.move(MoveCommand::Last);
  window.selectRow(0);
  QListWidget* list = window.chooserWindow()->list();
  int pick = 0;
  while (pick < list->count() && session.chooser().rows()[static_cast<std::size_t>(pick)].rgb == before[1]) ++pick;
  ASSERT_LT(pick, list->count());
  list->setCurrentRow(pick);
  const std::uint32_t chosen = session.model().stops()[0].thread.rgb;
  ASSERT_NE(chosen, before[1]);
  window.saveDesign();
  ASSERT_EQ(prompts.saves.size(), 1u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(in("flower+HT.pes")); }, 20000));

  window.navigate(Navigation::Next);
  ASSERT_TRUE(QTest::qWaitFor([&] { return settled() && session.receiveBuffer().path == in("quilt.pes"); }, 20000));
  window.close();  // "Plug-in ended" ends the host's run
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.state() == QProcess::NotRunning; }, 20000));
  EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
  EXPECT_TRUE(prompts.notices.empty()) << prompts.notices[0].text;

  SequenceModel saved;
  saved.load(load(in("flower+HT.pes")));
  std::vector<std::uint32_t> after;
  for (const ColorStop& s : saved.stops()) after.push_back(s.thread.rgb);
  std::vector<std::uint32_t> expected(before.begin() + 1, before.end());
  expected.push_back(before[0]);
  expected[0] = chosen;
  EXPECT_EQ(after, expected);
  EXPECT_EQ(test::readAll(in("flower.pes")), flowerBytes);
  EXPECT_EQ(test::readAll(in("quilt.pes")), quiltBytes);
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(designs)) files.push_back(e.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"flower+HT.pes", "flower.pes", "quilt.pes"}));
}

}  // namespace
}  // namespace lh

namespace lh {
namespace {

bool fileHolds(const std::string& path, const std::string& text) {
  const std::vector<std::uint8_t> bytes = test::readAll(path);
  return std::string(bytes.begin(), bytes.end()).find(text) != std::string::npos;
}

// The real program as the host starts it: one copy only, closed by the host's Stop.
TEST(TinctorWithHost, TheProgramRunsOnceAndClosesWhenTheHostStops) {
  test::ScratchDir scratch;
  const std::string designs = scratch / "designs";
  const std::string run = scratch / "run";
  const std::string config = scratch / "config";
  std::filesystem::create_directories(designs);
  std::filesystem::create_directories(config + "/Quenby");
  std::filesystem::create_directory(run);
  std::filesystem::permissions(run, std::filesystem::perms::owner_all);
  std::filesystem::copy_file(std::string(LH_SAMPLES_DIR) + "/flower.pes", designs + "/flower.pes");
  test::writeAll(config + "/Quenby/Loomhall Tools.conf",
                 std::string("[General]\nLoomhall Huetide=") + LH_TINCTOR + "\n");

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("LOOMHALL_BUS", QString::fromStdString(scratch / "bus"));
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(run));
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(config));
  env.insert("XDG_DATA_HOME", QString::fromStdString(scratch / "data"));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("ASAN_OPTIONS", "detect_leaks=0");
  QProcess host;
  host.setProcessEnvironment(env);
  host.start(LH_CLI, {"host", "--defaults", "--launch", "Loomhall Huetide", QString::fromStdString(designs + "/flower.pes")});
  ASSERT_TRUE(host.waitForStarted());
  // The sequencer is up once it has stored its version.
  const std::string own = config + "/Quenby/LHHuetide.conf";
  ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(own) && fileHolds(own, "Version=213"); }, 30000))
      << host.readAllStandardError().toStdString();

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(LH_TINCTOR, {"1"});
  ASSERT_TRUE(second.waitForFinished(30000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(host.state(), QProcess::Running);

  host.terminate();  // the host's Stop: "LHPlugInStop" closes the sequencer, which stores its chooser's place
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.state() == QProcess::NotRunning; }, 30000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !std::filesystem::exists(run + "/LHSequencer.lock"); }, 30000));
  EXPECT_TRUE(fileHolds(own, "CCTop="));
}

}  // namespace
}  // namespace lh

namespace lh {
namespace {

// Without a browser the program works on files itself: saves go beside them under new names.
TEST(TinctorOnItsOwn, SavesBesideTheDesignWithoutReplacingAnything) {
  test::ScratchDir scratch;
  const std::string rose = scratch / "rose.pes";
  std::filesystem::copy_file(std::string(LH_SAMPLES_DIR) + "/flower.pes", rose);
  const std::vector<std::uint8_t> original = test::readAll(rose);
  MemorySettings browser, own;
  StayingPrompts prompts;
  TinctorApp app(browser, own, prompts);
  EXPECT_FALSE(app.joinBrowser(QString::fromStdString(scratch / "bus")));  // nobody serves it
  EXPECT_FALSE(std::filesystem::exists(scratch / "bus"));

  app.openDirectly({rose});
  app.start("", QCoreApplication::applicationPid());
  SequencerSession& session = app.session();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !session.waitingForFile() && !session.waitingForColors(); }, 20000));
  ASSERT_FALSE(session.model().stops().empty());
  EXPECT_GT(session.chooser().palettes().size(), 1u);  // the brand charts of PES designs
  app.window().move(MoveCommand::Last);
  app.window().saveDesign();
  app.window().saveDesign();
  ASSERT_TRUE(QTest::qWaitFor([&] { return app.savedFiles().size() == 2; }, 20000));
  EXPECT_EQ(app.savedFiles(), (std::vector<std::string>{scratch / "rose+HT.pes", scratch / "rose+HT(2).pes"}));
  EXPECT_EQ(test::readAll(rose), original);
  EXPECT_EQ(test::readAll(scratch / "rose+HT.pes"), test::readAll(scratch / "rose+HT(2).pes"));
  app.window().navigate(Navigation::Next);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.notices.empty(); }, 20000));
  EXPECT_EQ(prompts.notices.back(), SequencerSession::kNoMoreEntries);
}

}  // namespace
}  // namespace lh
