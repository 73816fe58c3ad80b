#pragma once
// The messages of starting plug-ins and of the commands refused while a run is active, with
// their captions: every such text is here and nowhere else.
#include <string_view>

namespace lh {

// A message box: its text and caption.
struct Refusal {
  std::string_view text;
  std::string_view caption;
  friend bool operator==(const Refusal&, const Refusal&) = default;
};

inline constexpr Refusal kNoFileSelected{"No file selected.\nPlease select a file to use tool on.",
                                         "File Not Selected"};
inline constexpr Refusal kToolInOperation{
    "You currently have a tool running.\nPlease complete that operation or click the Stop icon on the toolbar.",
    "Loomhall Tool In Operation"};
inline constexpr Refusal kToolNotExecuted{
    "The tool was unable to execute.\nPlease check that the file is undamaged and available and then try again.",
    "Tool Not Executed"};

// String 32206: a command refused during a plug-in run.
inline constexpr int kPluginRunningStringId = 32206;
inline constexpr Refusal kPluginRunning{
    "You currently have a Plug-in running.\nPlease complete that operation or click the Stop icon on the toolbar.",
    "Plug-in Running"};
// String 32207: the preferences refused during a tool run.
inline constexpr int kToolRunningStringId = 32207;
inline constexpr Refusal kToolRunning{
    "You currently have a Tool running.\nPlease complete that operation or click the Stop icon on the toolbar.",
    "Tool Running"};

}  // namespace lh
