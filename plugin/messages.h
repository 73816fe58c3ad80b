#pragma once
// The names the browser and its plug-ins post to each other, the two block format names, and
// the identity rules that let each side ignore traffic meant for someone else. Both sides
// build from this header; the payload layouts are in plugin/payload.h.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace lh {

// Every posted message of the protocol.
enum class Message {
  Callback,             // H to P: a design of the new current file (wParam 1) or none (0)
  Call,                 // P to H: the next selected file
  PlugInStop,           // H to P: close, whatever the token
  RequestSave,          // P to H: save the design block placed with it
  PlugInEnded,          // P to H: the plug-in is exiting
  GetWholeFile,         // P to H: the raw bytes of the next selected file
  WholeFile,            // H to P
  ColorArray,           // H to P: the machine palette of the current file's format
  ReqColorArray,        // P to H
  GetPrevFile,          // P to H
  GetFirst,             // P to H
  GetLast,              // P to H
  MessageReceived,      // P to H: acknowledgement
  FileSaved,            // H to P
  GetFileTypeList,      // P to H
  FileTypeList,         // H to P
  ThreadColorArray,     // H to P: the charts offered for the current file's format
  ReqThreadColorArray,  // P to H
  GetSelEmb,            // P to H: the selected designs, at most kMaxSelectedDesigns
  EmbSelCB,             // H to P: wParam = number of designs in the multi-design block
  ReqMultiSave,         // P to H: save every design of the multi-design block placed with it
  CanMultiSave,         // H to P
  ReqCanMultiSave,      // P to H
};

// What a name of the table stands for.
enum class NameKind {
  Mutex,        // the sequencer's single-instance name
  BlockFormat,  // the format name a data block is placed under
  Posted,       // a posted message
};

// Which program uses a name; the sequencer needs only the names marked Both or PluginOnly.
enum class NameUse { Both, HostOnly, PluginOnly };

struct ProtocolName {
  int stringId;           // the id both programs keep the name under
  std::string_view name;  // the registered name, exactly as posted
  NameKind kind;
  NameUse use;
  std::optional<Message> message;  // set for kind Posted
};

// Every name of the protocol, by string id.
std::span<const ProtocolName> protocolNames();

// The registered name of a message ("LHGetFirst", "Plug-in ended").
std::string_view messageName(Message message);
// The message registered under `name` (compared exactly), or nothing.
std::optional<Message> findMessage(std::string_view name);
// The message a request is answered with (GetFirst -> Callback, RequestSave -> FileSaved);
// nothing for replies, acknowledgements and the messages that need no answer.
std::optional<Message> answerOf(Message request);

// The format of every single-block payload (design, whole file, file-type list).
inline constexpr std::string_view kDesignBlockFormat = "LHEmbroideryFile";
// The format of the multi-design payload.
inline constexpr std::string_view kMultiBlockFormat = "LHMultEmbroideryFiles";
// The sequencer's single-instance name.
inline constexpr std::string_view kSequencerInstanceName = "LHSequencer";

// The plug-in number this host passes as a plug-in's only argument and accepts in wParam.
inline constexpr std::int64_t kHostPluginNumber = 1;
// Designs at most in one answer to GetSelEmb.
inline constexpr int kMaxSelectedDesigns = 20;

// One posted message: its name and the two parameters.
struct PostedMessage {
  Message message;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
};

// A running plug-in's identity, kept for its whole life: the number from its command line
// and a token unique to the instance (its process id).
struct PluginIdentity {
  std::int64_t number = kHostPluginNumber;
  std::int64_t token = 0;
};

// The plug-in number from the program's command-line text: its leading integer (optional
// sign and decimal digits after leading blanks; 0 when there is none, clamped to the int32
// range), and kHostPluginNumber for an empty command line.
std::int64_t pluginNumberFromCommandLine(std::string_view commandLine);

// A plug-in's request: wParam = its number, lParam = its token.
PostedMessage requestFrom(const PluginIdentity& plugin, Message request);
// The host's reply to `request`: wParam = result, lParam copied from the request.
PostedMessage replyTo(const PostedMessage& request, Message reply, std::int64_t result);
// The host takes a message only when its wParam is the plug-in number it passed.
constexpr bool hostAccepts(const PostedMessage& m) { return m.wParam == kHostPluginNumber; }
// A plug-in takes a reply only when it carries its own token.
constexpr bool pluginAccepts(const PluginIdentity& plugin, const PostedMessage& reply) {
  return reply.lParam == plugin.token;
}

}  // namespace lh
