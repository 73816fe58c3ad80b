#include "plugin/plugin_host.h"

#include "formats/design_codec.h"
#include "plugin/payload.h"
#include "tools/tool_runner.h"

namespace lh {

namespace {

BusBlock designBlock(ByteBuffer bytes) { return BusBlock{std::string(kDesignBlockFormat), std::move(bytes)}; }

// The block of a request when it has the format asked for.
const BusBlock* blockOf(const BusFrame& frame, std::string_view format) {
  return frame.block && frame.block->format == format ? &*frame.block : nullptr;
}

}  // namespace

PluginHost::PluginHost(const FileList& files, SettingsStore& settings, Poster post)
    : files_(files),
      settings_(settings),
      post_(std::move(post)),
      saving_(PluginSaving::fromSettings(settings)) {}

void PluginHost::beginRun() {
  cursor_.reset();
  currentFile_.clear();
  sent_ = 0;
  created_.clear();
  origins_.clear();
  failures_.clear();
  saveFailures_ = 0;
}

bool PluginHost::handlePluginMessage(const BusFrame& frame) {
  const std::optional<Message> message = findMessage(frame.name);
  if (!message || !hostAccepts(PostedMessage{*message, frame.wParam, frame.lParam})) return false;
  if (cursor_ && *cursor_ >= files_.size()) cursor_.reset();  // the list became shorter
  switch (*message) {
    case Message::Call:
    case Message::GetPrevFile:
    case Message::GetLast:
    case Message::GetWholeFile:
    case Message::ReqColorArray:
    case Message::ReqThreadColorArray:
    case Message::GetFileTypeList: {
      if (awaitingAck_) return true;
      awaitingAck_ = true;
      Answer a = serve(*message);
      if (a.result == 0) awaitingAck_ = false;
      reply(frame, *answerOf(*message), std::move(a));
      return true;
    }
    case Message::GetFirst:
    case Message::GetSelEmb: {
      if (awaitingAck_) return true;
      reply(frame, *answerOf(*message), serve(*message));
      awaitingAck_ = true;  // also when nothing was sent: the plug-in acknowledges every answer
      return true;
    }
    case Message::RequestSave:
    case Message::ReqMultiSave:
      // A save brings its design with it and places nothing for the plug-in to take, so it is
      // served also while an acknowledgement is awaited: dropping it would lose the design.
      save(frame, *message);
      reply(frame, Message::FileSaved, {});
      return true;
    case Message::ReqCanMultiSave:
      awaitingAck_ = false;
      reply(frame, Message::CanMultiSave, {});
      return true;
    case Message::PlugInEnded:
      awaitingAck_ = false;
      if (pluginEnded_) pluginEnded_();
      return true;
    case Message::MessageReceived:
      awaitingAck_ = false;
      return true;
    default:
      return false;  // the host's own answers and the messages to plug-ins
  }
}

void PluginHost::reply(const BusFrame& request, Message answer, Answer a) {
  const PostedMessage m =
      replyTo(PostedMessage{*findMessage(request.name), request.wParam, request.lParam}, answer, a.result);
  post_(BusFrame{std::string(messageName(m.message)), m.wParam, m.lParam, std::move(a.block)});
}

PluginHost::Answer PluginHost::serve(Message request) {
  switch (request) {
    case Message::GetFirst:
      return first();
    case Message::Call:
      return next();
    case Message::GetPrevFile:
      return previous();
    case Message::GetLast:
      return last();
    case Message::GetWholeFile:
      return wholeFile();
    case Message::ReqColorArray:
      return colorArray();
    case Message::ReqThreadColorArray:
      return threadColorArray();
    case Message::GetFileTypeList:
      return fileTypeList();
    case Message::GetSelEmb:
      return selectedDesigns();
    default:
      return {};
  }
}

// --- the walk over the selected files ---

bool PluginHost::eligible(std::size_t i) const {
  const FileItem& item = files_[i];
  return item.isSelected && !isCompanionFile(item.name);
}

std::optional<std::size_t> PluginHost::forward(std::size_t from) const {
  for (std::size_t i = from; i < files_.size(); ++i)
    if (eligible(i)) return i;
  return std::nullopt;
}

std::optional<std::size_t> PluginHost::backward(std::size_t from) const {
  if (files_.empty()) return std::nullopt;
  for (std::size_t i = std::min(from, files_.size() - 1) + 1; i-- > 0;)
    if (eligible(i)) return i;
  return std::nullopt;
}

std::optional<std::size_t> PluginHost::lastEligible() const {
  return files_.empty() ? std::nullopt : backward(files_.size() - 1);
}

PluginHost::Answer PluginHost::first() {
  cursor_ = forward(0);
  return sendCurrent();
}

PluginHost::Answer PluginHost::last() {
  cursor_ = lastEligible();
  return sendCurrent();
}

PluginHost::Answer PluginHost::next() {
  if (files_.empty()) return {};
  if (!cursor_) cursor_ = 0;
  const std::size_t at = *cursor_;
  // At the last eligible file the cursor stays, so that previous still finds the one before.
  if (eligible(at) && !forward(at + 1)) return {};
  cursor_ = forward(at + 1);
  if (!cursor_) {
    cursor_ = lastEligible();
    return {};
  }
  return sendCurrent();
}

PluginHost::Answer PluginHost::previous() {
  if (files_.empty()) return {};
  if (cursor_ && *cursor_ == 0) {
    cursor_ = forward(0);
    return {};
  }
  cursor_ = backward(cursor_ ? *cursor_ - 1 : files_.size() - 1);
  if (!cursor_) {
    cursor_ = forward(0);
    return {};
  }
  return sendCurrent();
}

PluginHost::Answer PluginHost::sendCurrent() {
  if (!cursor_) return {};
  const std::string location = files_[*cursor_].location();
  SilentMessages silent;
  DesignCodec codec(&settings_, &silent, media_);
  EmbDesign design;
  codec.busyCount.fetch_add(1);
  if (codec.loadDesign(&design, location) != LoadResult::Ok) return {};
  std::optional<ByteBuffer> block = writeDesignPayload(design, PayloadSide::Host);
  if (!block) return {};
  currentFile_ = location;
  ++sent_;
  return {1, designBlock(std::move(*block))};
}

PluginHost::Answer PluginHost::wholeFile() {
  const std::size_t from = cursor_ ? *cursor_ + 1 : 0;
  cursor_.reset();
  for (std::size_t i = from; i < files_.size() && !cursor_; ++i)
    if (files_[i].isSelected) cursor_ = i;
  if (!cursor_) return {};
  // The bytes and one zero byte: the whole-file block as it stands. Nothing when the medium
  // is not ready or the file cannot be read.
  SilentMessages silent;
  const DesignCodec codec(&settings_, &silent, media_);
  std::optional<ByteBuffer> bytes = codec.readFileBlock(files_[*cursor_].location());
  if (!bytes) return {};
  return {1, designBlock(std::move(*bytes))};
}

// --- colours, file types and the selected designs ---

PluginHost::Answer PluginHost::colorArray() {
  const std::string path = cursor_ ? files_[*cursor_].location() : untitledPath(settings_);
  std::optional<ByteBuffer> block = writeColorArrayPayload(path);
  if (!block) return {};
  return {1, designBlock(std::move(*block))};
}

PluginHost::Answer PluginHost::threadColorArray() {
  if (!cursor_) return {};
  std::optional<ByteBuffer> block = writeThreadColorArrayPayload(files_[*cursor_].location(), settings_);
  if (!block) return {};
  return {1, designBlock(std::move(*block))};
}

PluginHost::Answer PluginHost::fileTypeList() {
  if (!cursor_) return {};
  return {1, designBlock(writeFileTypeListPayload())};
}

PluginHost::Answer PluginHost::selectedDesigns() {
  std::vector<EmbDesign> designs;
  SilentMessages silent;
  DesignCodec codec(&settings_, &silent, media_);
  for (std::size_t i = 0; i < files_.size() && designs.size() < kMaxSelectedDesigns; ++i) {
    if (!eligible(i)) continue;
    EmbDesign& design = designs.emplace_back();
    codec.busyCount.fetch_add(1);
    codec.loadDesign(&design, files_[i].location());
  }
  MultiPayloadBlock block = writeMultiPayload(designs, PayloadSide::Host);
  if (block.count == 0) return {};
  return {block.count, BusBlock{std::string(kMultiBlockFormat), std::move(block.bytes)}};
}

// --- designs handed back ---

void PluginHost::save(const BusFrame& frame, Message request) {
  if (request == Message::RequestSave) {
    const BusBlock* block = blockOf(frame, kDesignBlockFormat);
    EmbDesign design;
    if (block && readDesignPayload(block->bytes, design, PayloadSide::Host) != PayloadRead::Refused)
      saveDesign(design);
    return;
  }
  if (const BusBlock* block = blockOf(frame, kMultiBlockFormat))
    for (const EmbDesign& design : readMultiPayload(block->bytes, PayloadSide::Host).designs)
      saveDesign(design);
}

void PluginHost::saveDesign(const EmbDesign& design) {
  const PluginSaveResult result = savePluginDesign(
      design, currentFile_, settings_, saving_, [&](const std::string& source, const std::string& created) {
        created_.push_back(created);
        origins_.push_back(source);
        if (catalog_) catalog_->fileCreated(source, created);
        if (fileCreated_) fileCreated_(source, created);
      });
  failures_ += result.report;
  if (result.failed) ++saveFailures_;
}

std::string PluginHost::runReport() const {
  std::string report = failures_;
  if (!created_.empty() && saving_.run.toolsReport)
    report += std::string(kPluginReportHeading) + createdFilesLine(created_.size());
  return report;
}

}  // namespace lh
