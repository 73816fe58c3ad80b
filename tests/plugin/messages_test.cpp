// The protocol's names and the identity rules.
#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "plugin/messages.h"

namespace lh {
namespace {

TEST(ProtocolNames, TableAndLookups) {
  std::set<int> ids;
  std::set<std::string_view> names;
  int messages = 0;
  for (const ProtocolName& n : protocolNames()) {
    EXPECT_TRUE(ids.insert(n.stringId).second) << n.stringId;
    EXPECT_TRUE(names.insert(n.name).second) << n.name;
    EXPECT_EQ(n.message.has_value(), n.kind == NameKind::Posted) << n.name;
    if (!n.message) continue;
    ++messages;
    EXPECT_EQ(messageName(*n.message), n.name);
    EXPECT_EQ(findMessage(n.name), n.message);
  }
  EXPECT_EQ(messages, 23);
  EXPECT_EQ(ids.count(32226), 0u);
  EXPECT_EQ(findMessage("Plug-in ended"), Message::PlugInEnded);
  EXPECT_EQ(messageName(Message::GetSelEmb), "LHGetSelEmb");
  EXPECT_FALSE(findMessage("lhgetfirst"));
  EXPECT_FALSE(findMessage(kDesignBlockFormat));
  EXPECT_EQ(protocolNames().front().name, "LHSequencer");
}

TEST(ProtocolNames, AnswerOfEachRequest) {
  const struct {
    Message request;
    std::optional<Message> answer;
  } cases[] = {
      {Message::GetFirst, Message::Callback},        {Message::Call, Message::Callback},
      {Message::GetPrevFile, Message::Callback},     {Message::GetLast, Message::Callback},
      {Message::GetWholeFile, Message::WholeFile},   {Message::ReqColorArray, Message::ColorArray},
      {Message::ReqThreadColorArray, Message::ThreadColorArray},
      {Message::GetFileTypeList, Message::FileTypeList}, {Message::GetSelEmb, Message::EmbSelCB},
      {Message::RequestSave, Message::FileSaved},    {Message::ReqMultiSave, Message::FileSaved},
      {Message::ReqCanMultiSave, Message::CanMultiSave}, {Message::MessageReceived, std::nullopt},
      {Message::PlugInEnded, std::nullopt},          {Message::Callback, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(answerOf(c.request), c.answer) << messageName(c.request);
}

TEST(Identity, PluginNumberFromTheCommandLine) {
  const struct {
    std::string_view line;
    std::int64_t number;
  } cases[] = {
      {"", 1},      {"1", 1},     {"2", 2},   {" 7", 7},   {"12abc", 12}, {"x", 0},
      {"-3", -3},   {"+4", 4},    {" ", 0},   {"99999999999", std::numeric_limits<std::int32_t>::max()},
      {"-99999999999", std::numeric_limits<std::int32_t>::min()},
  };
  for (const auto& c : cases) EXPECT_EQ(pluginNumberFromCommandLine(c.line), c.number) << "'" << c.line << "'";
}

TEST(Identity, TokenTravelsBackAndWParamSelectsTheHost) {
  const PluginIdentity plugin{1, 4242};
  const PostedMessage request = requestFrom(plugin, Message::GetFirst);
  EXPECT_EQ(request.wParam, 1);
  EXPECT_EQ(request.lParam, 4242);
  EXPECT_TRUE(hostAccepts(request));

  const PostedMessage reply = replyTo(request, Message::Callback, 0);
  EXPECT_EQ(reply.message, Message::Callback);
  EXPECT_EQ(reply.wParam, 0);
  EXPECT_EQ(reply.lParam, 4242);
  EXPECT_TRUE(pluginAccepts(plugin, reply));
  EXPECT_FALSE(pluginAccepts(PluginIdentity{1, 4243}, reply));

  // The host's own broadcasts and requests from a plug-in started with another number.
  EXPECT_FALSE(hostAccepts(reply));
  EXPECT_FALSE(hostAccepts(requestFrom(PluginIdentity{2, 4242}, Message::GetFirst)));
}

}  // namespace
}  // namespace lh
