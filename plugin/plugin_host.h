#pragma once
// The host's side of the plug-in exchange, without a window. It takes the messages of the bus,
// serves a plug-in's requests from the selected files of a file list (first, next, previous,
// last, the whole file, the colour lists, the file types, the selected designs), saves the
// designs a plug-in hands back as the tool runner saves its results, and answers by posting.
//
// One request is answered at a time: after an answer that placed a block, further requests
// are dropped until the plug-in acknowledges (awaitingAck), so a block the plug-in has not
// taken is never replaced. Everything runs on the caller's thread, loads included.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browser/core/file_list.h"
#include "catalog/cataloguing.h"
#include "design/settings.h"
#include "formats/design_codec.h"
#include "plugin/bus/bus_frame.h"
#include "plugin/messages.h"
#include "plugin/plugin_save.h"

namespace lh {

class PluginHost {
 public:
  using Poster = std::function<void(const BusFrame&)>;
  using FileCreated = std::function<void(const std::string& source, const std::string& created)>;

  // Serves the selection of `files` (which must outlive the host); loads, the colour lists
  // and the saves read `settings`; answers go to `post`. Saving follows the stored settings
  // until setSaving.
  PluginHost(const FileList& files, SettingsStore& settings, Poster post);

  // Takes one message of the bus: true when it was a plug-in's request to this host (wParam
  // is the plug-in number the host passes) and has been consumed, answered or not; false for
  // everything else (replies, other programs' traffic), which the caller dispatches as usual.
  bool handlePluginMessage(const BusFrame& frame);

  // A plug-in run begins: the cursor is emptied, the current file forgotten, the run's lists
  // of created files and its report emptied, the count of files sent reset.
  void beginRun();
  // The selection of the file list changed: the walk starts afresh.
  void selectionChanged() { cursor_.reset(); }
  // A second start of the host brought it to the front: a lost acknowledgement is forgiven.
  void activated() { awaitingAck_ = false; }

  // Tells whether the medium holding a file is ready (null: always; must outlive the host).
  void setMediaCheck(const MediaCheck* media) { media_ = media; }
  void setSaving(PluginSaving saving) { saving_ = std::move(saving); }
  // Every file saved from a handed-back design is also listed in the catalog right after the
  // design's source (null: no catalog).
  void setCatalog(CatalogFollower* follower) { catalog_ = follower; }
  // Hears every file saved, with the design's path it came from.
  void setFileCreated(FileCreated callback) { fileCreated_ = std::move(callback); }
  // Hears "Plug-in ended": the owner ends the run.
  void setPluginEnded(std::function<void()> callback) { pluginEnded_ = std::move(callback); }

  bool awaitingAck() const { return awaitingAck_; }
  // The position in the file list the walk stands on; nothing when empty.
  std::optional<std::size_t> cursor() const { return cursor_; }
  // The location of the last design sent (empty before the first of a run).
  const std::string& currentFile() const { return currentFile_; }
  // Designs sent by first, next, previous and last in this run.
  int filesSent() const { return sent_; }
  // The files created in this run and the design path each came from.
  const std::vector<std::string>& created() const { return created_; }
  const std::vector<std::string>& origins() const { return origins_; }
  // Handed-back designs of this run that could not be saved.
  int saveFailures() const { return saveFailures_; }
  // The run's report as a finished tool run shows it: the lines of designs that could not
  // be saved, then, when files were created and "Tools report" is set, the plug-in heading
  // and the count.
  std::string runReport() const;

 private:
  struct Answer {
    std::int64_t result = 0;
    std::optional<BusBlock> block;
  };

  // Requests answered at once, their acknowledgement awaited only when a block was placed.
  Answer serve(Message request);
  Answer first();
  Answer next();
  Answer previous();
  Answer last();
  Answer wholeFile();
  Answer colorArray();
  Answer threadColorArray();
  Answer fileTypeList();
  Answer selectedDesigns();
  // Loads the design at the cursor into a design block; remembers it as the current file.
  Answer sendCurrent();
  void save(const BusFrame& frame, Message request);
  void saveDesign(const EmbDesign& design);
  void reply(const BusFrame& request, Message answer, Answer a);

  bool eligible(std::size_t i) const;
  // The first eligible position at or after `from` / at or before `from`.
  std::optional<std::size_t> forward(std::size_t from) const;
  std::optional<std::size_t> backward(std::size_t from) const;
  std::optional<std::size_t> lastEligible() const;

  const FileList& files_;
  SettingsStore& settings_;
  Poster post_;
  PluginSaving saving_;
  const MediaCheck* media_ = nullptr;
  CatalogFollower* catalog_ = nullptr;
  FileCreated fileCreated_;
  std::function<void()> pluginEnded_;

  bool awaitingAck_ = false;
  std::optional<std::size_t> cursor_;
  std::string currentFile_;  // the last design sent: names a design handed back without a path
  int sent_ = 0;
  std::vector<std::string> created_;
  std::vector<std::string> origins_;
  std::string failures_;  // report lines (CR LF)
  int saveFailures_ = 0;
};

}  // namespace lh
