// Start and close of the browser: the tip reader, the crash report in place of the tip, the
// close refused during a run and the question about temporary files, and one browser per user.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "browser/app/browser_view.h"
#include "browser/app/close_files.h"
#include "browser/app/crash_guard.h"
#include "browser/app/main_frame.h"
#include "browser/app/startup_notices.h"
#include "browser/app/tip_dialog.h"
#include "browser/app/tips.h"
#include "zip/zip_archive.h"

namespace lh {
namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Answers every question with `answer` and keeps what was asked.
struct RecordingAsker {
  QMessageBox::StandardButton answer = QMessageBox::Ok;
  std::vector<Question> asked;
  Asker asker() {
    return [this](const Question& q) {
      asked.push_back(q);
      return answer;
    };
  }
};

constexpr std::string_view kTips =
    "; a comment\n"
    "First tip\n"
    "\n"
    "  indented: not a tip\n"
    "\tnot a tip either\n"
    "Second tip\r\n"
    "Third tip";

TEST(TipReader, NextTipSkipsNonTipLinesAndWrapsAtTheEnd) {
  const auto afterFirst = static_cast<std::int64_t>(kTips.find("First tip\n") + 10);
  const auto afterSecond = static_cast<std::int64_t>(kTips.find("Second tip\r\n") + 12);
  const auto end = static_cast<std::int64_t>(kTips.size());
  struct Case {
    std::string_view text;
    std::int64_t pos;
    TipStatus status;
    std::string tip;
    std::int64_t next;
  } cases[] = {
      {kTips, 0, TipStatus::Ok, "First tip", afterFirst},
      {kTips, afterFirst, TipStatus::Ok, "Second tip", afterSecond},  // line end "\r\n" dropped
      {kTips, afterSecond, TipStatus::Ok, "Third tip", end},          // last line without an end
      {kTips, end, TipStatus::Ok, "First tip", afterFirst},           // at the end: from the top
      {kTips, end + 1, TipStatus::BadPosition, "", 0},
      {kTips, -1, TipStatus::BadPosition, "", 0},
      {"; only\n  comments\n\n", 0, TipStatus::NoTips, "", 0},
      {"", 0, TipStatus::NoTips, "", 0},
  };
  for (const Case& c : cases) {
    const TipRead read = nextTipIn(c.text, c.pos);
    EXPECT_EQ(read.status, c.status) << c.pos;
    EXPECT_EQ(read.tip, c.tip) << c.pos;
    EXPECT_EQ(read.nextPos, c.next) << c.pos;
  }

  const std::string longLine = std::string(1500, 'x') + "\nShort\n";
  const TipRead cut = nextTipIn(longLine, 0);
  EXPECT_EQ(cut.tip.size(), kMaxTipLength);
  EXPECT_EQ(nextTipIn(longLine, cut.nextPos).tip, "Short");  // the rest of a long line is no tip
}

TEST(TipReader, StoredPositionIsKeptUntilTheFileChanges) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/tips.txt";
  writeFile(path, kTips);
  MemorySettings store;
  {
    TipFile tips(store, path);
    EXPECT_EQ(tips.next().tip, "First tip");
    EXPECT_EQ(tips.next().tip, "Second tip");
    tips.savePosition();
  }
  EXPECT_EQ(store.getString("Tip", "TimeStamp", ""), tipsTimeStamp(path));
  EXPECT_EQ(TipFile(store, path).next().tip, "Third tip");  // the next start goes on

  store.setString("Tip", "TimeStamp", "edited since");
  TipFile edited(store, path);
  EXPECT_EQ(edited.next().tip, "First tip");  // another time stamp: from the top
  EXPECT_EQ(store.getString("Tip", "TimeStamp", ""), tipsTimeStamp(path));

  store.setInt("Tip", "FilePos", 100000);  // beyond the file: reported, then from the top
  TipFile beyond(store, path);
  EXPECT_EQ(beyond.next().status, TipStatus::BadPosition);
  EXPECT_EQ(beyond.next().tip, "First tip");

  TipFile missing(store, path + ".gone");
  const TipRead none = missing.next();
  EXPECT_EQ(none.status, TipStatus::NoFile);
  EXPECT_EQ(none.tip, kNoTipsFile);
}

TEST(StartupNotices, ACrashIsReportedInPlaceOfTheTip) {
  QTemporaryDir dir;
  const QString tipsPath = dir.path() + "/tips.txt";
  writeFile(tipsPath.toStdString(), kTips);
  QWidget window;
  MemorySettings store;
  RecordingAsker ask;

  store.setString("Settings", "Last File", "/designs/rose.pes");
  EXPECT_EQ(showStartupNotices(&window, store, ask.asker(), tipsPath), StartupNotice::CrashReport);
  ASSERT_EQ(ask.asked.size(), 1u);
  EXPECT_EQ(ask.asked[0].caption, "Last File Error");
  EXPECT_EQ(ask.asked[0].text,
            "Loomhall had an abnormal shutdown last time.\nThe last file read was: '/designs/rose.pes'");
  EXPECT_EQ(window.findChild<TipDialog*>(), nullptr);

  store.setString("Settings", "Last File", "");
  EXPECT_EQ(showStartupNotices(&window, store, ask.asker(), tipsPath), StartupNotice::Tip);
  EXPECT_EQ(ask.asked.size(), 1u);
  auto* tip = window.findChild<TipDialog*>();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(tip->windowTitle(), "Tip of the Day");
  EXPECT_EQ(tip->tipText(), "First tip");
  tip->showNextTip();
  EXPECT_EQ(tip->tipText(), "Second tip");
  tip->reject();  // the position and the box are stored on closing
  EXPECT_EQ(store.getInt("Tip", "FilePos", 0), static_cast<int>(kTips.find("Third")));
  EXPECT_EQ(store.getInt("Tip", "StartUp", -1), 0);

  store.setInt("Tip", "StartUp", 1);
  EXPECT_EQ(showStartupNotices(&window, store, ask.asker(), tipsPath), StartupNotice::None);
}

TEST(CloseFiles, DeletesPlainFilesAndArchiveMembersAndNamesWhatFailed) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  writeFile(root + "/a.pes", "a");
  const std::string archive = root + "/out.zip";
  const std::vector<std::uint8_t> bytes{1, 2, 3};
  ASSERT_TRUE(ZipArchive::writeMember(archive, "x.dst", bytes));
  ASSERT_TRUE(ZipArchive::writeMember(archive, "keep.dst", bytes));

  CloseFiles files;
  files.addTemporary(root + "/a.pes");
  files.addTemporary(root + "/a.pes");  // listed once
  files.addTemporary(makeZipPath(archive, "x.dst"));
  files.addTemporary(makeZipPath(archive, "gone.dst"));
  ASSERT_EQ(files.temporary().size(), 3u);
  const std::vector<std::string> failed = files.deleteTemporary();
  EXPECT_EQ(failed, (std::vector<std::string>{makeZipPath(archive, "gone.dst")}));
  EXPECT_FALSE(fs::exists(root + "/a.pes"));
  EXPECT_EQ(ZipArchive::listMembers(archive), (std::vector<std::string>{"keep.dst"}));
  EXPECT_FALSE(files.hasTemporary());
}

TEST(CrashGuard, TheBrowsersLoadsAreRecordedUntilAnOrderlyClose) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/samples";
  fs::copy(LH_SAMPLES_DIR, folder, fs::copy_options::recursive);
  const std::string record = dir.path().toStdString() + "/config/Loomhall.lastfile";
  MemorySettings store;
  CrashGuard guard(record);
  {
    CMainFrame frame(store, nullptr, &guard);
    frame.resize(1000, 700);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    ASSERT_TRUE(frame.openPath(folder));
    ASSERT_GT(frame.view().shownCells(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.view().allShownReady(); }, 30000));
    const std::string reading = readFile(record);  // what a crash now would leave
    EXPECT_TRUE(reading.starts_with(folder) || reading.starts_with("Zip:" + folder)) << reading;
    EXPECT_TRUE(frame.close());
  }
  EXPECT_EQ(readFile(record), "");
  guard.reading(folder + "/late.pes");  // after the close: not recorded
  EXPECT_EQ(readFile(record), "");

  // A run that died: the next start reports the file it was reading.
  const std::string died = dir.path().toStdString() + "/died.lastfile";
  {
    CrashGuard earlier(died);
    earlier.reading("/designs/a much longer name.pes");
    earlier.reading("/designs/rose.pes");
  }
  adoptLeftOver(store, died);
  EXPECT_EQ(store.getString("Settings", "Last File", ""), "/designs/rose.pes");
  EXPECT_EQ(readFile(died), "");
  store.setString("Settings", "Last File", "");
  adoptLeftOver(store, died);  // taken once only
  EXPECT_EQ(store.getString("Settings", "Last File", "x"), "");
}

class CloseTest : public testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<CMainFrame>(store_);
    frame_->setAsker(ask_.asker());
    frame_->show();
    temporary_ = dir_.path().toStdString() + "/tool output.pes";
  }

  QTemporaryDir dir_;
  MemorySettings store_;
  RecordingAsker ask_;
  std::unique_ptr<CMainFrame> frame_;
  std::string temporary_;
};

TEST_F(CloseTest, RefusedWhileARunIsActive) {
  frame_->runState().beginPluginRun();
  EXPECT_FALSE(frame_->close());
  EXPECT_TRUE(frame_->isVisible());
  ASSERT_EQ(ask_.asked.size(), 1u);
  EXPECT_EQ(ask_.asked[0].caption, "Don't stop now!");
  EXPECT_EQ(ask_.asked[0].text, "Tool running! Click 'Stop' to cancel, or hang in there.");
  EXPECT_EQ(store_.getInt("Settings", "Split", -1), -1);  // nothing saved

  frame_->runState().endRun();
  store_.setString("Settings", "Last File", "/designs/rose.pes");
  EXPECT_TRUE(frame_->close());
  EXPECT_EQ(ask_.asked.size(), 1u);  // no temporary files: no question
  EXPECT_EQ(store_.getString("Settings", "Last File", "x"), "");
}

TEST_F(CloseTest, TemporaryFilesAreDeletedAsTheUserAnswers) {
  struct Case {
    int confirm;
    QMessageBox::StandardButton answer;
    bool asked, closed, deleted;
  } cases[] = {
      {1, QMessageBox::Cancel, true, false, false},
      {1, QMessageBox::No, true, true, false},
      {1, QMessageBox::Yes, true, true, true},
      {0, QMessageBox::Cancel, false, true, true},  // no confirmation wanted
  };
  for (const Case& c : cases) {
    writeFile(temporary_, "design");
    store_.setInt("Workspace", "confirm", c.confirm);
    frame_->closeFiles().addTemporary(temporary_);
    ask_.asked.clear();
    ask_.answer = c.answer;
    frame_->show();
    EXPECT_EQ(frame_->close(), c.closed) << c.answer;
    EXPECT_EQ(!ask_.asked.empty(), c.asked) << c.answer;
    if (!ask_.asked.empty()) {
      EXPECT_EQ(ask_.asked[0].caption, "Confirm Delete");
      EXPECT_EQ(ask_.asked[0].text, "Delete On-The-Fly and/or Temporary (TMP) files?");
      EXPECT_EQ(ask_.asked[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }
    EXPECT_EQ(fs::exists(temporary_), !c.deleted) << c.answer;
    if (c.closed) frame_->closeFiles().deleteTemporary();  // what No left on the list
  }
}

// The real program, started twice with a runtime folder of its own.
TEST(SingleInstance, ASecondStartRaisesTheFirstAndEnds) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString runtime = dir.path() + "/run";
  ASSERT_TRUE(QDir().mkpath(runtime));
  QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", runtime);
  env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
  env.insert("XDG_DATA_HOME", dir.path() + "/data");
  env.insert("HOME", dir.path());
  env.insert("LH_REPORT_RAISE", "1");
  env.insert("ASAN_OPTIONS", "detect_leaks=0");
  const QString designs = dir.path() + "/designs";
  ASSERT_TRUE(QDir().mkpath(designs));

  QProcess first;
  first.setProcessEnvironment(env);
  first.start(LH_LOOMHALL_EXE, {designs});
  ASSERT_TRUE(first.waitForStarted());
  // The first start listens once it holds the lock.
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(runtime + "/loomhall-browser"); }, 30000));

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(LH_LOOMHALL_EXE, {designs});
  ASSERT_TRUE(second.waitForFinished(60000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);
  QByteArray said;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        said += first.readAllStandardOutput();
        return said.contains("raised: " + designs.toUtf8());
      },
      30000));

  // A screenshot run is a script's: it neither waits for nor hands over to the running one.
  QProcess shot;
  shot.setProcessEnvironment(env);
  const QString png = dir.path() + "/shot.png";
  shot.start(LH_LOOMHALL_EXE, {"--screenshot", png, designs});
  ASSERT_TRUE(shot.waitForFinished(60000));
  EXPECT_EQ(shot.exitCode(), 0);
  EXPECT_TRUE(QFile::exists(png));

  first.kill();
  first.waitForFinished();
}

}  // namespace
}  // namespace lh
