#include "sequencer/sequencer_session.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "plugin/payload.h"
#include "sequencer/sequencer_keys.h"
#include "tests/sequencer/sequencer_fixtures.h"

namespace lh {
namespace {

using test::blocksDesign;
using test::needlePositions;
using test::order;

constexpr std::int64_t kToken = 4242;
constexpr std::uint32_t A = 0x0000AA, B = 0x00BB00, C = 0xCC0000;

struct Posted {
  PostedMessage message;
  std::optional<ByteBuffer> block;
};

// Keeps every post; `onPost` looks at the session at the moment a message goes out.
class RecordingPoster : public SessionPoster {
 public:
  void post(const PostedMessage& m, std::optional<ByteSpan> block) override {
    if (onPost) onPost(m);
    posted.push_back(
        {m, block ? std::optional<ByteBuffer>(ByteBuffer(block->begin(), block->end())) : std::nullopt});
  }
  std::string names() const {
    std::string out;
    for (const Posted& p : posted)
      out += (out.empty() ? "" : " ") + std::string(messageName(p.message.message));
    return out;
  }
  std::vector<Posted> posted;
  std::function<void(const PostedMessage&)> onPost;
};

EmbDesign rose(std::vector<std::uint32_t> colors = {A, B, C}, std::string path = "/designs/rose.pes") {
  EmbDesign d = blocksDesign(colors);
  d.path = std::move(path);
  return d;
}

ByteBuffer hostPayload(const EmbDesign& d) { return *writeDesignPayload(d, PayloadSide::Host); }

struct Harness {
  explicit Harness(int hostVersion = 258) {
    browser.setInt(kHostVersionSection, kHostVersionKey, hostVersion);
    session.start("1", kToken);
  }
  SessionUpdate reply(std::string_view name, std::int64_t wParam, std::optional<ByteBuffer> block,
                      std::int64_t token = kToken) {
    return session.handleMessage(name, wParam, token, block ? std::optional<ByteSpan>(*block) : std::nullopt);
  }
  SessionUpdate file(const EmbDesign& d) { return reply("LHCallback", 1, hostPayload(d)); }
  SessionUpdate colors(const std::string& path) {
    return reply("LHThreadColorArray", 1, writeThreadColorArrayPayload(path));
  }
  // Start-up, the first design and its colours.
  void open(const EmbDesign& d) {
    session.windowReady();
    file(d);
    colors(d.path);
  }

  MemorySettings browser;
  MemorySettings own;
  RecordingPoster poster;
  SequencerSession session{browser, own, poster};
};

// Runs one step of a scripted exchange: "ready", "first" / "prev" / "next" / "last", "file"
// (a design for this plug-in), "file0" (no file), "file@7" (a design for another plug-in),
// "colors" / "tcolors" (the two colour replies), "echo" (its own request coming back),
// "stop" (the browser's stop, with a token of nobody).
SessionUpdate step(Harness& h, const std::string& event) {
  SequencerSession& s = h.session;
  const EmbDesign d = rose();
  if (event == "ready") return s.windowReady(), SessionUpdate{};
  if (event == "first") return s.navigate(Navigation::First);
  if (event == "prev") return s.navigate(Navigation::Previous);
  if (event == "next") return s.navigate(Navigation::Next);
  if (event == "last") return s.navigate(Navigation::Last);
  if (event == "file") return h.file(d);
  if (event == "file0") return h.reply("LHCallback", 0, std::nullopt);
  if (event == "file@7") return h.reply("LHCallback", 1, hostPayload(d), 7);
  if (event == "colors") return h.reply("LHColorArray", 1, writeColorArrayPayload(d.path));
  if (event == "tcolors") return h.colors(d.path);
  if (event == "echo") return h.reply("LHGetFirst", 1, std::nullopt);
  if (event == "stop") return h.reply("LHPlugInStop", 0, std::nullopt, 0);
  ADD_FAILURE() << "unknown event " << event;
  return {};
}

TEST(SequencerSession, MessageSequences) {
  struct Case {
    const char* name;
    int hostVersion;
    std::vector<std::string> events;
    std::string posts;  // every post from start-up on
    bool waitingForFile, waitingForColors;
    std::size_t stops;
    std::string notice;  // of the last event
    bool close = false;
  };
  const std::string up = "LHMessageReceived LHGetFirst";
  const std::string ack = " LHMessageReceived";
  const Case cases[] = {
      {"start-up", 258, {"ready"}, up, true, false, 0, ""},
      {"old host asks for the colour array",
       100,
       {"ready", "file"},
       up + ack + " LHReqColorArray",
       false,
       true,
       3,
       ""},
      {"host 229", 229, {"ready", "file"}, up + ack + " LHReqColorArray", false, true, 3, ""},
      {"host 230", 230, {"ready", "file"}, up + ack + " LHReqThreadColorArray", false, true, 3, ""},
      {"host 258",
       258,
       {"ready", "file", "tcolors"},
       up + ack + " LHReqThreadColorArray" + ack,
       false,
       false,
       3,
       ""},
      {"colour array answered",
       100,
       {"ready", "file", "colors"},
       up + ack + " LHReqColorArray" + ack,
       false,
       false,
       3,
       ""},
      {"another plug-in's reply", 258, {"ready", "file@7"}, up, true, false, 0, ""},
      {"own request echoed", 258, {"ready", "echo"}, up, true, false, 0, ""},
      {"no file", 258, {"ready", "file0"}, up + ack, false, false, 0, "No more selected entries"},
      {"second request while waiting", 258, {"ready", "next", "last"}, up, true, false, 0, ""},
      {"next after a design",
       258,
       {"ready", "file", "tcolors", "next"},
       up + ack + " LHReqThreadColorArray" + ack + ack + " LHCall",
       true,
       false,
       3,
       ""},
      {"each direction",
       258,
       {"ready", "file0", "prev", "file0", "last", "file0", "first"},
       up + ack + ack + " LHGetPrevFile" + ack + ack + " LHGetLast" + ack + ack + " LHGetFirst",
       true,
       false,
       0,
       ""},
      {"late colours after navigating",
       258,
       {"ready", "file", "prev", "tcolors"},
       up + ack + " LHReqThreadColorArray" + ack + " LHGetPrevFile" + ack,
       true,
       false,
       3,
       ""},
      {"file asked for before the colours came",
       258,
       {"ready", "file", "prev", "tcolors", "file"},
       up + ack + " LHReqThreadColorArray" + ack + " LHGetPrevFile" + ack + ack + " LHReqThreadColorArray",
       false,
       true,
       3,
       ""},
      {"file nobody asked for", 258, {"file"}, "LHMessageReceived" + ack, false, false, 0, ""},
      {"stop whatever the token", 258, {"ready", "stop"}, up, true, false, 0, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h(c.hostVersion);
    SessionUpdate last;
    for (const std::string& e : c.events) last = step(h, e);
    EXPECT_EQ(h.poster.names(), c.posts);
    for (const Posted& p : h.poster.posted) {
      EXPECT_EQ(p.message.wParam, 1);
      EXPECT_EQ(p.message.lParam, kToken);
    }
    EXPECT_EQ(h.session.waitingForFile(), c.waitingForFile);
    EXPECT_EQ(h.session.waitingForColors(), c.waitingForColors);
    EXPECT_EQ(h.session.model().stops().size(), c.stops);
    EXPECT_EQ(last.notice ? last.notice->text : "", c.notice);
    if (last.notice) {
      EXPECT_EQ(last.notice->caption, "Last Selection");
    }
    EXPECT_EQ(last.close, c.close);
  }
}

TEST(SequencerSession, StartUpIdentityAndSettings) {
  MemorySettings browser, own;
  RecordingPoster poster;
  SequencerSession s(browser, own, poster);
  own.setInt(kSequencerSection, kSequencerVersionKey, 200);
  s.start("", 99);
  EXPECT_EQ(s.identity().number, 1);
  EXPECT_EQ(s.identity().token, 99);
  EXPECT_EQ(s.hostVersion(), 100);
  EXPECT_EQ(own.getInt(kSequencerSection, kSequencerVersionKey, 0), 213);
  EXPECT_EQ(s.aboutText(), "Loomhall Huetide Version 2.13");
  EXPECT_EQ(s.windowReady(), std::nullopt);

  own.setInt(kSequencerSection, kChooserLeftKey, 640);
  own.setInt(kSequencerSection, kChooserRightKey, 900);
  SequencerSession second(browser, own, poster);
  second.start("3", 100);
  EXPECT_EQ(second.identity().number, 3);
  EXPECT_EQ(second.windowReady(), (ScreenRect{0, 640, 0, 900}));
  EXPECT_EQ(poster.posted.back().message.wParam, 3);
}

TEST(SequencerSession, AcknowledgesBeforeReading) {
  Harness h;
  h.session.windowReady();
  std::vector<std::size_t> stopsAtAck;
  h.poster.onPost = [&](const PostedMessage& m) {
    if (m.message == Message::MessageReceived) stopsAtAck.push_back(h.session.model().stops().size());
  };
  h.file(rose());
  h.colors("/designs/rose.pes");
  EXPECT_EQ(stopsAtAck, (std::vector<std::size_t>{0, 3}));
  EXPECT_EQ(h.session.title(), "Loomhall Huetide - /designs/rose.pes");
  EXPECT_FALSE(h.session.chooser().palettes().empty());
}

TEST(SequencerSession, NoMoreFilesKeepsTheEditedDesign) {
  Harness h;
  h.open(rose());
  h.session.model().move(MoveCommand::Last);
  ASSERT_EQ(order(h.session.model()), "t1 t2 t0");
  h.session.navigate(Navigation::Next);
  const SessionUpdate u = h.reply("LHCallback", 0, std::nullopt);
  EXPECT_EQ(u.notice, SequencerSession::kNoMoreEntries);
  EXPECT_EQ(order(h.session.model()), "t1 t2 t0");
  EXPECT_EQ(h.session.model().history().size(), 0u);
  EXPECT_FALSE(h.session.waitingForFile());
}

// Replies that bring nothing new (no colours for the format, a damaged block) must not let the
// design still lying in the receive buffer stand in for them: the chooser would offer the
// design's own threads, and a later reply without a file would throw every edit away.
TEST(SequencerSession, StaleReceiveBufferIsNeverTakenForANewReply) {
  Harness h;
  h.session.windowReady();
  h.file(rose());
  EXPECT_EQ(h.reply("LHThreadColorArray", 0, std::nullopt).notice, SequencerSession::kNoMoreEntries);
  EXPECT_TRUE(h.session.chooser().palettes().empty());
  EXPECT_FALSE(h.session.waitingForColors());

  h.session.model().move(MoveCommand::Last);
  h.session.navigate(Navigation::Next);
  h.reply("LHCallback", 0, std::nullopt);
  EXPECT_EQ(order(h.session.model()), "t1 t2 t0");

  h.session.navigate(Navigation::Next);
  const SessionUpdate damaged = h.reply("LHCallback", 1, ByteBuffer{1, 2, 3});
  EXPECT_EQ(damaged.notice, SequencerSession::kUnreadableDesign);
  EXPECT_EQ(order(h.session.model()), "t1 t2 t0");
  h.session.navigate(Navigation::Next);
  EXPECT_EQ(h.reply("LHCallback", 1, std::nullopt).notice, SequencerSession::kUnreadableDesign);
  EXPECT_EQ(order(h.session.model()), "t1 t2 t0");
}

TEST(SequencerSession, DesignWithoutStitchesChangesNothing) {
  Harness h;
  h.open(rose());
  h.session.navigate(Navigation::Next);
  EmbDesign empty;
  empty.path = "/designs/empty.pes";
  empty.threads.push_back(ThreadColor("x", A, 0));
  const std::size_t posts = h.poster.posted.size();
  h.file(empty);
  EXPECT_EQ(h.poster.posted.size(), posts + 1);  // the acknowledgement only
  EXPECT_EQ(order(h.session.model()), "t0 t1 t2");
  EXPECT_FALSE(h.session.waitingForColors());
}

EmbDesign handedBack(const Posted& p) {
  EXPECT_EQ(p.message.message, Message::RequestSave);
  EmbDesign d;
  EXPECT_TRUE(p.block.has_value());
  if (p.block) {
    EXPECT_NE(readDesignPayload(*p.block, d, PayloadSide::Host), PayloadRead::Refused);
  }
  return d;
}

TEST(SequencerSession, SavesCountAndHandTheDesignBack) {
  Harness h;
  h.open(rose());
  h.session.model().move(MoveCommand::Down);
  struct Expect {
    const char* firstLine;
    const char* secondLine;
    const char* path;
  };
  const Expect first{"This is the first file saved this session.", "Saving file version 1.",
                     "/designs/rose+HT.pes"};
  const Expect second{"This is 2 total saves this session.", "Saving file version 2.",
                      "/designs/rose+HT.pes"};
  for (const Expect& e : {first, second}) {
    const std::size_t before = h.poster.posted.size();
    const SessionUpdate u = h.session.save();
    ASSERT_TRUE(u.saved);
    EXPECT_EQ(u.saved->firstLine, e.firstLine);
    EXPECT_EQ(u.saved->secondLine, e.secondLine);
    ASSERT_EQ(h.poster.posted.size(), before + 2);
    EXPECT_EQ(h.poster.posted[before].message.message, Message::MessageReceived);
    const EmbDesign back = handedBack(h.poster.posted[before + 1]);
    EXPECT_EQ(back.path, e.path);
    EXPECT_EQ(back.modifiedFlag, 1);
    ASSERT_EQ(back.threads.size(), 3u);
    EXPECT_EQ(back.threads[0].displayName, "t1");
    EXPECT_EQ(needlePositions(back), needlePositions(rose()));
  }
  EXPECT_EQ(h.session.title(), "Loomhall Huetide - /designs/rose+HT.pes");

  // A new design starts at version 1 again, even when its colours never come.
  h.session.navigate(Navigation::Next);
  h.file(rose({A, B}, "Zip:/designs/set.zip:tulip.pes"));
  const SessionUpdate u = h.session.save();
  EXPECT_EQ(u.saved, saveReport(3, 1));
  EXPECT_EQ(u.saved->firstLine, "This is 3 total saves this session.");
  EXPECT_EQ(handedBack(h.poster.posted.back()).path, "Zip:/designs/set.zip:tulip+HT.pes");
  EXPECT_EQ(h.session.totalSaveCount(), 3);
  EXPECT_EQ(h.session.fileSaveCount(), 1);
}

// A save that hands nothing back must not be reported as a save.
TEST(SequencerSession, NothingToHandBackIsSaidAndNotCounted) {
  Harness h;
  h.session.windowReady();
  const std::size_t before = h.poster.posted.size();
  EXPECT_EQ(h.session.save().notice, SequencerSession::kNothingToSave);
  h.file(rose({A}));
  h.session.model().toggleRemove();
  const std::size_t afterFile = h.poster.posted.size();
  const SessionUpdate u = h.session.save();
  EXPECT_EQ(u.notice, SequencerSession::kNothingToSave);
  EXPECT_FALSE(u.saved);
  EXPECT_EQ(h.poster.posted.size(), afterFile);
  EXPECT_EQ(before + 2, afterFile);  // the file's acknowledgement and colour request only
  EXPECT_EQ(h.session.totalSaveCount(), 0);
  EXPECT_EQ(h.session.model().design().path, "/designs/rose.pes");
}

TEST(SequencerSession, ClosingStoresTheChooserAndEndsOnce) {
  Harness h;
  h.open(rose());
  h.session.simulation().sew();
  ASSERT_TRUE(h.session.simulation().timerRunning());
  h.session.closeWindow({10, 20, 300, 400});
  EXPECT_FALSE(h.session.simulation().timerRunning());
  EXPECT_EQ(h.own.getInt("", "CCTop", 0), 10);
  EXPECT_EQ(h.own.getInt("", "CCLeft", 0), 20);
  EXPECT_EQ(h.own.getInt("", "CCBottom", 0), 300);
  EXPECT_EQ(h.own.getInt("", "CCRight", 0), 400);
  h.poster.posted.clear();
  h.session.end();
  h.session.end();
  EXPECT_EQ(h.poster.names(), "LHMessageReceived Plug-in ended");
}

// Every design gets exact colours in the display palette, however many came before it; pure
// white enters as 240, 240, 240.
TEST(SequencerSession, EveryDesignGetsItsOwnColors) {
  Harness h;
  h.session.windowReady();
  for (int design = 0; design < 4; ++design) {
    std::vector<std::uint32_t> colors;
    for (int k = 0; k < 100; ++k) colors.push_back(rgbOf(design * 50 + 1, k * 2 + 1, 7));
    colors.push_back(0xFFFFFF);
    h.file(rose(colors));
    h.session.navigate(Navigation::Next);
    const auto& threads = h.session.model().design().threads;
    ASSERT_EQ(threads.size(), colors.size());
    for (std::size_t k = 0; k + 1 < colors.size(); ++k)
      ASSERT_EQ(threads[k].rgb, colors[k]) << design << " " << k;
    EXPECT_EQ(threads.back().rgb, rgbOf(240, 240, 240));
  }
}

EmbDesign colorList(std::vector<ThreadColor> threads) {
  EmbDesign d;
  d.threads = std::move(threads);
  return d;
}

TEST(SequencerSession, MadeiraPolyIsOfferedAsPolyneonForPesDesigns) {
  const std::vector<ThreadColor> list = {
      ThreadColor("Madeira Poly", 0xFF000002u, 0), ThreadColor("Madeira Poly 1800 Red", A, 0x700),
      ThreadColor("Madeira Polyester", B, 0), ThreadColor("madeira poly", C, 0)};
  for (const char* path : {"/d/rose.PES", "/d/rose.dst"}) {
    SCOPED_TRACE(path);
    const bool pes = std::string_view(path).ends_with("PES");
    Harness h;
    h.session.windowReady();
    h.file(rose({A}, path));
    const SessionUpdate u = h.reply("LHThreadColorArray", 1, hostPayload(colorList(list)));
    EXPECT_TRUE(u.colorsReloaded);
    const auto& names = h.session.chooser().paletteNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[0], pes ? "MA Polyneon" : "Madeira Poly");
    const auto& received = h.session.receiveBuffer().threads;
    EXPECT_EQ(received[1].displayName, pes ? "MA Polyneon 1800 Red" : "Madeira Poly 1800 Red");
    EXPECT_EQ(received[2].displayName, pes ? "MA Polyneonester" : "Madeira Polyester");
    EXPECT_EQ(received[2].chartCode, pes ? 0x700 : 0);
    EXPECT_EQ(received[3].displayName, "madeira poly");
  }
}

TEST(SequencerSession, SaveSuffixGoesBeforeTheExtensionOfTheName) {
  const std::pair<const char*, const char*> cases[] = {
      {"/designs/rose.pes", "/designs/rose+HT.pes"},
      {"/designs/rose.tar.pes", "/designs/rose.tar+HT.pes"},
      {"/my.designs/rose", "/my.designs/rose+HT"},
      {"Zip:/designs/set.zip:rose.pes", "Zip:/designs/set.zip:rose+HT.pes"},
      {"Zip:/designs/set.zip:inner/rose.jef", "Zip:/designs/set.zip:inner/rose+HT.jef"},
      {"Zip:/designs/set.zip:rose", "Zip:/designs/set.zip:rose+HT"},
      {"/designs/.pes", "/designs/.pes+HT"},
      {"", "+HT"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(withNameSuffix(path, "+HT"), expected) << path;
}

}  // namespace
}  // namespace lh
