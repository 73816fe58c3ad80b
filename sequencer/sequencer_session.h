#pragma once
// The sequencer as the browser's plug-in, without its window: who it is on the bus, what it
// has asked the browser for, the receive buffer every reply is read into, the save counts,
// and every step of its life from start-up to the end.
//
// Messages from the bus go to handleMessage(); the user's commands are methods; what the
// program posts goes out through a SessionPoster. Every call returns what the window shows
// afterwards (a message box, a new title, the model's edit result, the "File Saved" dialog,
// closing). Nothing here owns a timer or waits.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "design/emb_design.h"
#include "design/settings.h"
#include "formats/bytes.h"
#include "plugin/messages.h"
#include "sequencer/color_chooser.h"
#include "sequencer/display_palette.h"
#include "sequencer/sequence_model.h"
#include "sequencer/sewing_simulation.h"

namespace lh {

// This program's version times 100, stored at every start when another value is stored.
inline constexpr int kSequencerVersion = 213;
// Hosts from this version on answer the thread colour array; older ones only the colour array.
inline constexpr int kThreadChartsHostVersion = 230;

// Where the session's posts go (the bus in the program, a recorder in tests).
class SessionPoster {
 public:
  virtual ~SessionPoster() = default;
  // Posts `message`; `block`, when given, travels with it under kDesignBlockFormat.
  virtual void post(const PostedMessage& message, std::optional<ByteSpan> block) = 0;
};

enum class Navigation { First, Previous, Next, Last };

// A window's screen rectangle.
struct ScreenRect {
  int top = 0, left = 0, bottom = 0, right = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The "File Saved" dialog: two lines of text and the buttons OK (stay) and Exit (close).
struct SaveReport {
  std::string firstLine;
  std::string secondLine;
  friend bool operator==(const SaveReport&, const SaveReport&) = default;
};

// What the window shows after a call, in this order.
struct SessionUpdate {
  std::optional<Notice> notice;      // a message box with an OK button
  std::optional<std::string> title;  // the main window's new title
  EditResult edit;                   // a new design or selection, as the model reports it
  bool colorsReloaded = false;       // the chooser's palettes were replaced: refill its lists
  std::optional<SaveReport> saved;   // the "File Saved" dialog
  bool close = false;                // the main window closes (then call closeWindow)
};

class SequencerSession {
 public:
  // `browserSettings` is the browser's profile (read only), `settings` the sequencer's own.
  SequencerSession(const SettingsStore& browserSettings, SettingsStore& settings, SessionPoster& poster);
  SequencerSession(const SequencerSession&) = delete;
  SequencerSession& operator=(const SequencerSession&) = delete;

  // Start-up, once the single-instance guard is held: the host version is read, the plug-in
  // number taken from the command line, the browser told that the plug-in is there, and the
  // stored version brought up to this program's.
  void start(std::string_view commandLine, std::int64_t token);
  // The main window is up: the first file is requested. Returns where the chooser goes when
  // a place is stored ("CCLeft" or "CCTop" not 0).
  std::optional<ScreenRect> windowReady();

  // First, Previous, Next, Last. Nothing while a file is still on its way.
  SessionUpdate navigate(Navigation to);
  // One message from the bus: its name, parameters and the block that came with it.
  SessionUpdate handleMessage(std::string_view name, std::int64_t wParam, std::int64_t lParam,
                              std::optional<ByteSpan> block);
  // Save && Exit: the edited design goes back to the browser.
  SessionUpdate save();
  // The main window closes (Exit, its close box, the browser's stop): the simulation stops
  // and the chooser's place is stored.
  void closeWindow(const ScreenRect& chooser);
  // The process ends: the browser is told, once.
  void end();

  const PluginIdentity& identity() const { return identity_; }
  int hostVersion() const { return hostVersion_; }
  bool waitingForFile() const { return waitingForFile_; }
  bool waitingForColors() const { return waitingForColors_; }
  int fileSaveCount() const { return fileSaveCount_; }
  int totalSaveCount() const { return totalSaveCount_; }
  const EmbDesign& receiveBuffer() const { return received_; }
  const std::string& title() const { return title_; }
  // "Loomhall Huetide Version 2.13" from the stored version.
  std::string aboutText() const;

  SequenceModel& model() { return model_; }
  const SequenceModel& model() const { return model_; }
  ColorChooser& chooser() { return chooser_; }
  const ColorChooser& chooser() const { return chooser_; }
  DisplayPalette& palette() { return palette_; }
  SewingSimulation& simulation() { return simulation_; }
  const SewingSimulation& simulation() const { return simulation_; }

  static const Notice kNoMoreEntries;
  static const Notice kUnreadableDesign;
  static const Notice kNothingToSave;

 private:
  void post(Message message, std::optional<ByteSpan> block = std::nullopt);
  // Reads a reply's block into the receive buffer; true when a new design or list arrived.
  bool takeReply(std::int64_t wParam, std::optional<ByteSpan> block, SessionUpdate& update);
  void fileReceived(bool arrived, SessionUpdate& update);
  void colorsReceived(bool arrived, SessionUpdate& update);
  void pauseSimulation();
  std::string showTitle(SessionUpdate& update);

  const SettingsStore& browserSettings_;
  SettingsStore& settings_;
  SessionPoster& poster_;

  PluginIdentity identity_;
  int hostVersion_ = 0;
  EmbDesign received_;
  bool waitingForFile_ = false;
  bool waitingForColors_ = false;
  int fileSaveCount_ = 0;
  int totalSaveCount_ = 0;
  bool ended_ = false;
  std::string title_;

  SequenceModel model_;
  ColorChooser chooser_;
  DisplayPalette palette_;
  SewingSimulation simulation_;
};

// The texts of the "File Saved" dialog for the given counts.
SaveReport saveReport(int totalSaveCount, int fileSaveCount);
// `path` with `suffix` put before the extension of its file name (or of the member's name
// in a "Zip:" path), or at the end when the name has none.
std::string withNameSuffix(std::string_view path, std::string_view suffix);
// Threads of the "Madeira Poly" charts are offered to PES designs as "MA Polyneon".
void renameMadeiraPoly(std::vector<ThreadColor>& threads);

}  // namespace lh
