// A design of 200,000 stitches handed from a plug-in to the host and answered: the plug-in
// writes the design payload and posts it with "LHRequestSave", the host reads the payload
// and posts "LHFileSaved", and the round trip ends when the plug-in has the answer. Two Bus
// objects in one process play the two programs on a private socket.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <string>

#include "plugin/bus/bus.h"
#include "plugin/messages.h"
#include "plugin/payload.h"

namespace lh {
namespace {

constexpr int kStitches = 200'000;
constexpr int kBlocks = 20;

EmbDesign bigDesign() {
  EmbDesign d;
  d.path = "/designs/big.pes";
  d.stitches.reserve(kStitches);
  for (int i = 0; i < kStitches; ++i) {
    if (i % (kStitches / kBlocks) == kStitches / kBlocks - 1)
      d.stitches.push_back(Stitch(0, 0, false, true));
    else
      d.stitches.push_back(
          Stitch(static_cast<std::int16_t>((i / 60) % 2 ? -35 : 35), static_cast<std::int16_t>(i % 3 - 1)));
  }
  for (int b = 0; b < kBlocks; ++b) {
    ThreadColor t("Isacord", "Poly", std::to_string(1000 + b), 0x101010u * static_cast<unsigned>(b % 15 + 1),
                  0, 1);
    t.displayName = "Thread " + std::to_string(b);
    d.threads.push_back(t);
  }
  return d;
}

void ensureApplication() {
  static int argc = 1;
  static char name[] = "plugin_roundtrip_bench";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

void BM_DesignRoundTripOverTheBus(benchmark::State& state) {
  ensureApplication();
  QTemporaryDir dir;
  const QString socket = dir.filePath("bus");
  Bus host(socket);
  Bus plugin(socket);
  const EmbDesign design = bigDesign();
  const PluginIdentity me{kHostPluginNumber, ::getpid()};

  std::size_t stitchesRead = 0;
  QObject::connect(&host, &Bus::frameReceived, &host, [&](const BusFrame& f) {
    if (f.name != messageName(Message::RequestSave) || !f.block) return;
    EmbDesign received;
    readDesignPayload(f.block->bytes, received, PayloadSide::Host);
    stitchesRead = received.stitches.size();
    const PostedMessage r =
        replyTo(PostedMessage{Message::RequestSave, f.wParam, f.lParam}, Message::FileSaved, 0);
    host.post(BusFrame{std::string(messageName(r.message)), r.wParam, r.lParam, std::nullopt});
  });
  bool answered = false;
  QObject::connect(&plugin, &Bus::frameReceived, &plugin, [&](const BusFrame& f) {
    if (f.name == messageName(Message::FileSaved) &&
        pluginAccepts(me, PostedMessage{Message::FileSaved, f.wParam, f.lParam}))
      answered = true;
  });

  std::size_t bytes = 0;
  for (auto _ : state) {
    answered = false;
    std::optional<ByteBuffer> block = writeDesignPayload(design, PayloadSide::Plugin);
    bytes = block->size();
    const PostedMessage m = requestFrom(me, Message::RequestSave);
    plugin.post(BusFrame{std::string(messageName(m.message)), m.wParam, m.lParam,
                         BusBlock{std::string(kDesignBlockFormat), std::move(*block)}});
    while (!answered) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  if (stitchesRead != static_cast<std::size_t>(kStitches))
    state.SkipWithError("the host read a different design");
  state.counters["payload_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_DesignRoundTripOverTheBus)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lh

BENCHMARK_MAIN();
