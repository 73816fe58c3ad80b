// A small plug-in for the host's integration test. It walks first, next, last and previous,
// asks for the colours and the thread charts, hands back the design it holds with its first
// colour changed to $PLUGIN_CLIENT_COLOUR (hex, 0x00BBGGRR; default 0x563412), and ends. Its
// argument is its plug-in number, as a host passes it.
// It prints one line per answer: "file NAME" or "none", "colors N", "charts N", "saved".
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/bus/bus.h"
#include "plugin/messages.h"
#include "plugin/payload.h"

namespace {

using lh::Message;

std::string fileName(const std::string& path) { return path.substr(path.find_last_of("/:") + 1); }

class Client {
 public:
  Client(lh::Bus& bus, std::int64_t number, std::uint32_t colour) : bus_(bus), colour_(colour) {
    me_.number = number;
    me_.token = QCoreApplication::applicationPid();
    QObject::connect(&bus_, &lh::Bus::frameReceived, &bus_, [this](const lh::BusFrame& f) { received(f); });
  }

  void start() {
    post(Message::MessageReceived);  // as a plug-in does when it starts
    step();
  }

 private:
  void post(Message m, std::optional<lh::BusBlock> block = std::nullopt) {
    const lh::PostedMessage r = lh::requestFrom(me_, m);
    bus_.post(lh::BusFrame{std::string(lh::messageName(m)), r.wParam, r.lParam, std::move(block)});
  }

  void step() {
    if (next_ == script_.size()) {
      post(Message::MessageReceived);
      post(Message::PlugInEnded);
      QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
      return;
    }
    const Message m = script_[next_++];
    if (m != Message::RequestSave) return post(m);
    held_.threads.at(0).rgb = colour_;
    const auto block = lh::writeDesignPayload(held_, lh::PayloadSide::Plugin);
    post(m, lh::BusBlock{std::string(lh::kDesignBlockFormat), *block});
  }

  void received(const lh::BusFrame& f) {
    const auto m = lh::findMessage(f.name);
    if (!m || !lh::pluginAccepts(me_, lh::PostedMessage{*m, f.wParam, f.lParam})) return;
    const lh::ByteSpan bytes = f.block ? lh::ByteSpan(f.block->bytes) : lh::ByteSpan();
    if (*m == Message::Callback) {
      post(Message::MessageReceived);
      if (f.wParam != 0 &&
          lh::readDesignPayload(bytes, held_, lh::PayloadSide::Plugin) != lh::PayloadRead::Refused)
        std::printf("file %s\n", fileName(held_.path).c_str());
      else
        std::printf("none\n");
    } else if (*m == Message::ColorArray || *m == Message::ThreadColorArray) {
      post(Message::MessageReceived);
      lh::EmbDesign colours;
      if (f.wParam != 0) lh::readDesignPayload(bytes, colours, lh::PayloadSide::Plugin);
      std::size_t charts = 0;
      for (const lh::ChartGroup& g : lh::chartGroups(colours.threads)) charts += g.hasHeader ? 1 : 0;
      if (*m == Message::ColorArray)
        std::printf("colors %zu\n", colours.threads.size());
      else
        std::printf("charts %zu\n", charts);
    } else if (*m == Message::FileSaved) {
      std::printf("saved\n");
    } else {
      return;
    }
    std::fflush(stdout);
    step();
  }

  lh::Bus& bus_;
  std::uint32_t colour_;
  lh::PluginIdentity me_;
  lh::EmbDesign held_;
  const std::vector<Message> script_{Message::GetFirst,      Message::Call,
                                     Message::GetLast,       Message::GetPrevFile,
                                     Message::ReqColorArray, Message::ReqThreadColorArray,
                                     Message::RequestSave};
  std::size_t next_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const char* colourText = std::getenv("PLUGIN_CLIENT_COLOUR");
  const auto colour =
      static_cast<std::uint32_t>(colourText ? std::strtoul(colourText, nullptr, 16) : 0x563412);
  const std::int64_t number = lh::pluginNumberFromCommandLine(argc > 1 ? argv[1] : "");
  lh::Bus bus;
  if (!bus.isJoined()) {
    std::fprintf(stderr, "plugin_client: no bus\n");
    return 2;
  }
  Client client(bus, number, colour);
  client.start();
  QTimer::singleShot(30000, &app, [] {
    std::fprintf(stderr, "plugin_client: no answer in time\n");
    QCoreApplication::exit(3);
  });
  return app.exec();
}
