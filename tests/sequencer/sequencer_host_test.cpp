// The sequencer against the browser's real plug-in host, in one process: designs on disk in a
// listed folder, every post delivered to both sides as the bus broadcasts it, and the design
// handed back saved as a new file beside its source.
#include <gtest/gtest.h>

#include <deque>

#include "plugin/plugin_host.h"
#include "sequencer/sequencer_keys.h"
#include "sequencer/sequencer_session.h"
#include "tests/sequencer/sequencer_fixtures.h"
#include "tests/tools/tool_fixtures.h"

namespace lh {
namespace {

using test::blocksDesign;
using test::needlePositions;

constexpr std::int64_t kToken = 4242;

// The bus in one process: posts of both sides queue up and go to everyone, the sender too.
class LoopBus : public SessionPoster {
 public:
  void post(const PostedMessage& m, std::optional<ByteSpan> block) override {
    std::optional<BusBlock> b;
    if (block) b = BusBlock{std::string(kDesignBlockFormat), ByteBuffer(block->begin(), block->end())};
    frames.push_back({std::string(messageName(m.message)), m.wParam, m.lParam, std::move(b)});
  }
  std::deque<BusFrame> frames;
};

void writePes(EmbDesign design, const std::string& path) {
  DesignCodec codec;
  design.path = path;
  const std::optional<ByteBuffer> image = writeAs(codec, design, FormatPes);
  ASSERT_TRUE(image);
  test::writeAll(path, std::string_view(reinterpret_cast<const char*>(image->data()), image->size()));
}

EmbDesign load(const std::string& path) {
  DesignCodec codec;
  EmbDesign d;
  codec.busyCount.fetch_add(1);
  EXPECT_EQ(codec.loadDesign(&d, path), LoadResult::Ok) << path;
  return d;
}

// The selected folder's designs served by a PluginHost to a SequencerSession.
class SequencerWithHost : public ::testing::Test {
 protected:
  SequencerWithHost() : host(files, browser, [this](const BusFrame& f) { bus.frames.push_back(f); }) {
    browser.setInt(kHostVersionSection, kHostVersionKey, 258);
    browser.setInt("Workspace", "workspace", 0);
    host.setSaving(PluginSaving::fromSettings(browser));
    host.setPluginEnded([this] { ended = true; });
  }

  void list() {
    const std::vector<std::string> pes{"PES"};
    files.addFolder(1, dir.path(), pes, nullptr);
    files.selectAll();
    host.beginRun();
  }

  // Delivers every frame, and the frames they cause, to both sides; the last notice shown.
  std::optional<Notice> pump() {
    std::optional<Notice> notice;
    for (int n = 0; !bus.frames.empty(); ++n) {
      if (n == 1000) {
        ADD_FAILURE() << "the exchange does not settle";
        break;
      }
      const BusFrame f = std::move(bus.frames.front());
      bus.frames.pop_front();
      host.handlePluginMessage(f);
      const std::optional<ByteSpan> block = f.block ? std::optional<ByteSpan>(f.block->bytes) : std::nullopt;
      const SessionUpdate u = session.handleMessage(f.name, f.wParam, f.lParam, block);
      if (u.notice) notice = u.notice;
    }
    return notice;
  }

  test::ScratchDir dir;
  FileList files;
  MemorySettings browser, own;
  LoopBus bus;
  PluginHost host;
  SequencerSession session{browser, own, bus};
  bool ended = false;
};

TEST_F(SequencerWithHost, AMovedStopIsSavedAsANewFileInItsNewOrder) {
  writePes(blocksDesign({0x0000AA, 0x00BB00, 0xCC0000}, {12, 5, 30}), dir / "rose.pes");
  writePes(blocksDesign({0x0000AA, 0x00BB00}), dir / "tulip.pes");
  const std::vector<std::uint8_t> roseBytes = test::readAll(dir / "rose.pes");
  list();
  ASSERT_EQ(files.selectionCount(), 2u);

  session.start("1", kToken);
  session.windowReady();
  pump();
  ASSERT_EQ(session.model().stops().size(), 3u);
  EXPECT_EQ(session.receiveBuffer().path, dir / "rose.pes");
  EXPECT_FALSE(session.waitingForColors());
  EXPECT_FALSE(session.chooser().palettes().empty());

  session.model().move(MoveCommand::Last);
  ASSERT_TRUE(session.save().saved);
  pump();
  ASSERT_EQ(host.created(), std::vector<std::string>{dir / "rose+HT.pes"});
  EXPECT_EQ(host.saveFailures(), 0);
  EXPECT_EQ(test::readAll(dir / "rose.pes"), roseBytes);

  // Block by block: the saved file's stops sew what the moved stops of the original sewed.
  SequenceModel original, saved;
  original.load(load(dir / "rose.pes"));
  saved.load(load(dir / "rose+HT.pes"));
  ASSERT_EQ(original.stops().size(), 3u);
  ASSERT_EQ(saved.stops().size(), 3u);
  const std::size_t from[] = {1, 2, 0};
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(saved.stops()[k].thread.rgb, original.stops()[from[k]].thread.rgb) << k;
    EXPECT_EQ(needlePositions(saved.stops()[k]), needlePositions(original.stops()[from[k]])) << k;
  }
  EXPECT_NE(original.stops()[0].thread.rgb, original.stops()[1].thread.rgb);
  EXPECT_NE(original.stops()[1].thread.rgb, original.stops()[2].thread.rgb);

  // The walk goes on to the next design and stops at the end of the selection.
  session.navigate(Navigation::Next);
  pump();
  EXPECT_EQ(session.receiveBuffer().path, dir / "tulip.pes");
  EXPECT_EQ(session.model().stops().size(), 2u);
  session.navigate(Navigation::Next);
  EXPECT_EQ(pump(), SequencerSession::kNoMoreEntries);
  EXPECT_EQ(session.model().stops().size(), 2u);
  session.end();
  pump();
  EXPECT_TRUE(ended);
}

}  // namespace
}  // namespace lh
