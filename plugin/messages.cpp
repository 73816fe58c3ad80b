#include "plugin/messages.h"

#include <algorithm>
#include <array>
#include <limits>

namespace lh {

namespace {

using enum NameKind;
using enum NameUse;
using M = Message;

constexpr std::array<ProtocolName, 26> kNames{{
    {32200, kSequencerInstanceName, Mutex, PluginOnly, std::nullopt},
    {32202, kMultiBlockFormat, BlockFormat, HostOnly, std::nullopt},
    {32203, "LHCallback", Posted, Both, M::Callback},
    {32204, "LHCall", Posted, Both, M::Call},
    {32205, kDesignBlockFormat, BlockFormat, Both, std::nullopt},
    {32208, "LHPlugInStop", Posted, Both, M::PlugInStop},
    {32209, "LHRequestSave", Posted, Both, M::RequestSave},
    {32210, "Plug-in ended", Posted, Both, M::PlugInEnded},
    {32211, "LHGetWholeFile", Posted, Both, M::GetWholeFile},
    {32212, "LHWholeFile", Posted, Both, M::WholeFile},
    {32213, "LHColorArray", Posted, Both, M::ColorArray},
    {32214, "LHReqColorArray", Posted, Both, M::ReqColorArray},
    {32215, "LHGetPrevFile", Posted, Both, M::GetPrevFile},
    {32216, "LHGetFirst", Posted, Both, M::GetFirst},
    {32217, "LHGetLast", Posted, Both, M::GetLast},
    {32218, "LHMessageReceived", Posted, Both, M::MessageReceived},
    {32219, "LHFileSaved", Posted, HostOnly, M::FileSaved},
    {32220, "LHGetFileTypeList", Posted, HostOnly, M::GetFileTypeList},
    {32221, "LHFileTypeList", Posted, HostOnly, M::FileTypeList},
    {32222, "LHThreadColorArray", Posted, Both, M::ThreadColorArray},
    {32223, "LHReqThreadColorArray", Posted, Both, M::ReqThreadColorArray},
    {32224, "LHGetSelEmb", Posted, HostOnly, M::GetSelEmb},
    {32225, "LHEmbSelCB", Posted, HostOnly, M::EmbSelCB},
    {32227, "LHReqMultiSave", Posted, HostOnly, M::ReqMultiSave},
    {32228, "LHCanMultiSave", Posted, HostOnly, M::CanMultiSave},
    {32229, "LHReqCanMultiSave", Posted, HostOnly, M::ReqCanMultiSave},
}};

struct Answer {
  Message request, answer;
};

constexpr std::array<Answer, 12> kAnswers{{
    {M::GetFirst, M::Callback},
    {M::Call, M::Callback},
    {M::GetPrevFile, M::Callback},
    {M::GetLast, M::Callback},
    {M::GetWholeFile, M::WholeFile},
    {M::ReqColorArray, M::ColorArray},
    {M::ReqThreadColorArray, M::ThreadColorArray},
    {M::GetFileTypeList, M::FileTypeList},
    {M::GetSelEmb, M::EmbSelCB},
    {M::RequestSave, M::FileSaved},
    {M::ReqMultiSave, M::FileSaved},
    {M::ReqCanMultiSave, M::CanMultiSave},
}};

}  // namespace

std::span<const ProtocolName> protocolNames() { return kNames; }

std::string_view messageName(Message message) {
  for (const ProtocolName& n : kNames)
    if (n.message == message) return n.name;
  return {};
}

std::optional<Message> findMessage(std::string_view name) {
  for (const ProtocolName& n : kNames)
    if (n.message && n.name == name) return n.message;
  return std::nullopt;
}

std::optional<Message> answerOf(Message request) {
  for (const Answer& a : kAnswers)
    if (a.request == request) return a.answer;
  return std::nullopt;
}

std::int64_t pluginNumberFromCommandLine(std::string_view commandLine) {
  if (commandLine.empty()) return kHostPluginNumber;
  std::size_t i = 0;
  while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  bool negative = false;
  if (i < commandLine.size() && (commandLine[i] == '-' || commandLine[i] == '+')) negative = commandLine[i++] == '-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (; i < commandLine.size() && commandLine[i] >= '0' && commandLine[i] <= '9'; ++i)
    value = std::min(kLimit, value * 10 + (commandLine[i] - '0'));
  if (negative) return -value;
  return std::min(value, kLimit - 1);
}

PostedMessage requestFrom(const PluginIdentity& plugin, Message request) {
  return {request, plugin.number, plugin.token};
}

PostedMessage replyTo(const PostedMessage& request, Message reply, std::int64_t result) {
  return {reply, result, request.lParam};
}

}  // namespace lh
