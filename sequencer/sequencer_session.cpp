#include "sequencer/sequencer_session.h"

#include <cstdio>
#include <utility>

#include "design/attribute_list.h"
#include "plugin/payload.h"
#include "sequencer/sequencer_keys.h"

namespace lh {

const Notice SequencerSession::kNoMoreEntries{"No more selected entries", "Last Selection"};
const Notice SequencerSession::kUnreadableDesign{"The design sent by the browser could not be read.",
                                                 "Loomhall Huetide"};
const Notice SequencerSession::kNothingToSave{
    "There is nothing to save: the design has no stitches or no colors left.", "Loomhall Huetide"};

namespace {

constexpr std::string_view kTitlePrefix = "Loomhall Huetide - ";
constexpr std::string_view kSaveSuffix = "+HT";
constexpr std::string_view kMadeiraPoly = "Madeira Poly";
constexpr std::string_view kPolyneon = "MA Polyneon";

Message requestOf(Navigation to) {
  switch (to) {
    case Navigation::First:
      return Message::GetFirst;
    case Navigation::Previous:
      return Message::GetPrevFile;
    case Navigation::Next:
      return Message::Call;
    case Navigation::Last:
      return Message::GetLast;
  }
  return Message::GetFirst;
}

}  // namespace

SequencerSession::SequencerSession(const SettingsStore& browserSettings, SettingsStore& settings,
                                   SessionPoster& poster)
    : browserSettings_(browserSettings), settings_(settings), poster_(poster) {}

void SequencerSession::post(Message message, std::optional<ByteSpan> block) {
  poster_.post(requestFrom(identity_, message), block);
}

void SequencerSession::start(std::string_view commandLine, std::int64_t token) {
  hostVersion_ = browserSettings_.getInt(kHostVersionSection, kHostVersionKey, kDefaultHostVersion);
  identity_.number = pluginNumberFromCommandLine(commandLine);
  identity_.token = token;
  post(Message::MessageReceived);
  if (settings_.getInt(kSequencerSection, kSequencerVersionKey, kDefaultHostVersion) != kSequencerVersion)
    settings_.setInt(kSequencerSection, kSequencerVersionKey, kSequencerVersion);
}

std::optional<ScreenRect> SequencerSession::windowReady() {
  waitingForFile_ = true;
  post(Message::GetFirst);
  ScreenRect r;
  r.top = settings_.getInt(kSequencerSection, kChooserTopKey, 0);
  r.left = settings_.getInt(kSequencerSection, kChooserLeftKey, 0);
  r.bottom = settings_.getInt(kSequencerSection, kChooserBottomKey, 0);
  r.right = settings_.getInt(kSequencerSection, kChooserRightKey, 0);
  if (r.left == 0 && r.top == 0) return std::nullopt;
  return r;
}

void SequencerSession::pauseSimulation() {
  if (simulation_.timerRunning()) simulation_.stop();
}

SessionUpdate SequencerSession::navigate(Navigation to) {
  pauseSimulation();
  if (waitingForFile_) return {};
  post(Message::MessageReceived);
  post(requestOf(to));
  waitingForFile_ = true;
  return {};
}

SessionUpdate SequencerSession::handleMessage(std::string_view name, std::int64_t wParam, std::int64_t lParam,
                                              std::optional<ByteSpan> block) {
  SessionUpdate update;
  const std::optional<Message> message = findMessage(name);
  if (!message) return update;
  if (*message == Message::PlugInStop) {
    update.close = true;
    return update;
  }
  const bool fileReply = *message == Message::Callback;
  const bool colorReply = *message == Message::ColorArray || *message == Message::ThreadColorArray;
  if ((!fileReply && !colorReply) || !pluginAccepts(identity_, PostedMessage{*message, wParam, lParam}))
    return update;
  // Acknowledged before anything is read, so that the browser may answer the next request.
  post(Message::MessageReceived);
  const bool arrived = takeReply(wParam, block, update);
  if (fileReply)
    fileReceived(arrived, update);
  else
    colorsReceived(arrived, update);
  return update;
}

bool SequencerSession::takeReply(std::int64_t wParam, std::optional<ByteSpan> block, SessionUpdate& update) {
  if (wParam == 0) {
    update.notice = kNoMoreEntries;
    return false;
  }
  // A reply announcing a block that is missing or unreadable brings nothing new: what the
  // buffer holds from an earlier reply must not be taken for it.
  if (!block || readDesignPayload(*block, received_, PayloadSide::Plugin) == PayloadRead::Refused) {
    update.notice = kUnreadableDesign;
    return false;
  }
  return true;
}

void SequencerSession::fileReceived(bool arrived, SessionUpdate& update) {
  if (!waitingForFile_) return;
  model_.clearHistory();
  waitingForFile_ = false;
  waitingForColors_ = false;
  simulation_.end();
  // Without a new design the one being edited stays as it is.
  if (!arrived || received_.stitches.empty()) return;
  palette_.reset();
  palette_.enterAll(received_.threads);
  update.edit = model_.load(received_);
  simulation_.setStitchCount(static_cast<std::int64_t>(model_.design().stitches.size()));
  fileSaveCount_ = 0;
  waitingForColors_ = true;
  post(hostVersion_ < kThreadChartsHostVersion ? Message::ReqColorArray : Message::ReqThreadColorArray);
}

void SequencerSession::colorsReceived(bool arrived, SessionUpdate& update) {
  if (!waitingForColors_) return;
  // A file asked for after the colours is still on its way: it must not be ignored when it
  // comes.
  waitingForColors_ = false;
  const std::string path = model_.design().path;
  showTitle(update);
  // Without a new list the chooser keeps the palettes it has.
  if (!arrived || received_.threads.empty()) return;
  if (equalsNoCase(extensionOf(path), "pes")) renameMadeiraPoly(received_.threads);
  chooser_.reloadPalettes(received_.threads, path);
  update.colorsReloaded = true;
  if (const std::optional<std::size_t> row = model_.selection()) update.edit = model_.select(*row);
}

std::string SequencerSession::showTitle(SessionUpdate& update) {
  title_ = std::string(kTitlePrefix) + model_.design().path;
  update.title = title_;
  return title_;
}

SessionUpdate SequencerSession::save() {
  SessionUpdate update;
  pauseSimulation();
  EmbDesign design = model_.designForSaving();
  // A design without stitches or threads cannot be handed back: say so rather than report
  // a save that never happened.
  if (design.threads.empty() || design.stitches.empty()) {
    update.notice = kNothingToSave;
    return update;
  }
  if (fileSaveCount_ == 0) {
    model_.setPath(withNameSuffix(model_.design().path, kSaveSuffix));
    design.path = model_.design().path;
    showTitle(update);
  }
  const std::optional<ByteBuffer> payload = writeDesignPayload(design, PayloadSide::Plugin);
  if (!payload) {
    update.notice = kNothingToSave;
    return update;
  }
  // The acknowledgement first: a browser still waiting for one would drop the save.
  post(Message::MessageReceived);
  post(Message::RequestSave, ByteSpan(*payload));
  ++fileSaveCount_;
  ++totalSaveCount_;
  update.saved = saveReport(totalSaveCount_, fileSaveCount_);
  return update;
}

void SequencerSession::closeWindow(const ScreenRect& chooser) {
  pauseSimulation();
  settings_.setInt(kSequencerSection, kChooserTopKey, chooser.top);
  settings_.setInt(kSequencerSection, kChooserLeftKey, chooser.left);
  settings_.setInt(kSequencerSection, kChooserBottomKey, chooser.bottom);
  settings_.setInt(kSequencerSection, kChooserRightKey, chooser.right);
}

void SequencerSession::end() {
  if (ended_) return;
  ended_ = true;
  post(Message::MessageReceived);
  post(Message::PlugInEnded);
}

std::string SequencerSession::aboutText() const {
  const int version = settings_.getInt(kSequencerSection, kSequencerVersionKey, kDefaultHostVersion);
  char text[64];
  std::snprintf(text, sizeof text, "Loomhall Huetide Version %2.2f", version / 100.0);
  return text;
}

SaveReport saveReport(int totalSaveCount, int fileSaveCount) {
  SaveReport report;
  if (totalSaveCount == 1) {
    report.firstLine = "This is the first file saved this session.";
  } else {
    report.firstLine = "This is " + std::to_string(totalSaveCount) + " total saves this session.";
  }
  report.secondLine = "Saving file version " + std::to_string(fileSaveCount) + ".";
  return report;
}

std::string withNameSuffix(std::string_view path, std::string_view suffix) {
  std::size_t nameStart = path.find_last_of('/');
  // The member of a "Zip:" path begins after the separator that follows the archive.
  if (path.starts_with("Zip:")) {
    const std::size_t colon = path.find_last_of(':');
    if (colon > 3 && (nameStart == std::string_view::npos || colon > nameStart)) nameStart = colon;
  }
  nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
  const std::size_t dot = path.find_last_of('.');
  const std::size_t at = dot != std::string_view::npos && dot > nameStart ? dot : path.size();
  std::string out(path.substr(0, at));
  out += suffix;
  out += path.substr(at);
  return out;
}

void renameMadeiraPoly(std::vector<ThreadColor>& threads) {
  for (ThreadColor& t : threads) {
    if (!t.displayName.starts_with(kMadeiraPoly)) continue;
    t.displayName = std::string(kPolyneon) + t.displayName.substr(kMadeiraPoly.size());
    t.chartCode = ChartMadeiraPoly;
  }
}

}  // namespace lh
