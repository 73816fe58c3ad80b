#include "tools/tool_runner.h"

#include <array>
#include <charconv>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "tools/archive_batch.h"
#include "tools/color_sort.h"
#include "formats/format_table.h"
#include "tools/pes_recovery.h"
#include "tools/setting_keys.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

using enum ToolCommandId;

// In the order of ToolCommandId, which toolCommand() indexes by. The conversion commands show
// their format's menu text from the format table.
const std::array<ToolCommand, 17> kCommands{{
    {ConvertToPes, 32789, formatMenuText(FormatPes), Tool::Conversion, FormatPes, ""},
    {ConvertToSew, 32793, formatMenuText(FormatSew), Tool::Conversion, FormatSew, ""},
    {ConvertToJef, 32798, formatMenuText(FormatJef), Tool::Conversion, FormatJef, ""},
    {ConvertToHus, 32790, formatMenuText(FormatHus), Tool::Conversion, FormatHus, ""},
    {ConvertToPcs, 32791, formatMenuText(FormatPcs), Tool::Conversion, FormatPcs, ""},
    {ConvertToDst, 32792, formatMenuText(FormatDst), Tool::Conversion, FormatDst, ""},
    {ConvertToXxx, 32799, formatMenuText(FormatXxx), Tool::Conversion, FormatXxx, ""},
    {ConvertToExp, 32835, formatMenuText(FormatExp), Tool::Conversion, FormatExp, ""},
    {ConvertToVip, 32848, formatMenuText(FormatVip), Tool::Conversion, FormatVip, ""},
    {ConvertToVp3, 32855, formatMenuText(FormatVp3), Tool::Conversion, FormatVp3, ""},
    {ConvertToToolFormat, 32807, "Convert to On-The-Fly Setting", Tool::Conversion, FormatNone, ""},
    {ColorSort, 32795, "Color sort designs", Tool::ColorSort, FormatNone, " Sorted"},
    {AutoBaste, 32794, "Create Auto-Baste file", Tool::AutoBaste, FormatNone, "+Baste"},
    {DesignNotes, 32796, "Create design notes", Tool::Notes, FormatTxt, ""},
    {PreviewBitmap, 32788, "Save preview as BMP file", Tool::Preview, FormatBmp, ""},
    {ReduceColors, 32852, "Reduce Colors", Tool::ReduceNeedles, FormatNone, " Reduced"},
    {RecoverPes, 32797, "Recover PES 1.0 file", Tool::RecoverPes, FormatNone, " Fixed"},
}};

// Settings over a shared store that is only read: writes (the loader's crash guard) stay
// with the one design they belong to, so threads never write to the shared store.
class OverlaySettings final : public SettingsStore {
 public:
  explicit OverlaySettings(const SettingsStore& base) : base_(base) {}
  int getInt(std::string_view section, std::string_view key, int defaultValue) const override {
    const auto it = own_.find(joined(section, key));
    if (it == own_.end()) return base_.getInt(section, key, defaultValue);
    int v = defaultValue;
    const std::string& text = it->second;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() ? v : defaultValue;
  }
  std::string getString(std::string_view section, std::string_view key, std::string_view defaultValue) const override {
    const auto it = own_.find(joined(section, key));
    return it == own_.end() ? base_.getString(section, key, defaultValue) : it->second;
  }
  void setInt(std::string_view section, std::string_view key, int value) override {
    own_[joined(section, key)] = std::to_string(value);
  }
  void setString(std::string_view section, std::string_view key, std::string_view value) override {
    own_[joined(section, key)] = std::string(value);
  }

 private:
  static std::string joined(std::string_view section, std::string_view key) {
    std::string k(section);
    k += '/';
    k += key;
    return k;
  }
  const SettingsStore& base_;
  std::map<std::string, std::string, std::less<>> own_;
};

// Collects a design's codec messages so they are passed on in input order.
class BufferedMessages final : public MessageSink {
 public:
  void showMessage(std::string_view text, std::string_view caption) override {
    messages.emplace_back(std::string(text), std::string(caption));
  }
  std::vector<std::pair<std::string, std::string>> messages;
};

struct ItemOutcome {
  bool skipped = false;
  std::string existing;  // skipExisting: the output found
  bool failed = false;  // before its conversion: not loaded, refused by the tool, or it threw
  LoadResult loadResult = LoadResult::Ok;
  bool endRun = false;  // needle reduction declined: the run ends at once
  bool last = false;    // needle reduction done: no further design is handled
  ToolReport report;
  PreparedConversion prepared;
  std::vector<std::pair<std::string, std::string>> messages;
  std::vector<std::string> notes;  // for RunCallbacks::note
};


// A design handled, waiting to be told to the caller: a design stored into an archive is
// told once the archive is written, and the designs after it wait with it, so that the
// caller hears of them in input order.
struct Handled {
  std::string source;
  bool failed = false;
  ToolReport report;
  std::vector<std::pair<std::string, std::string>> messages;
  std::vector<std::string> notes;
  std::optional<std::pair<ConversionStatus, ConversionFailure>> failure;  // of a loaded design
  std::vector<std::string> files;
  DesignOutcome outcome;  // for designDone: filled in when the files are known
};

class Runner {
 public:
  Runner(const ToolCommand& command, std::span<const std::string> items, const SettingsStore& settings,
         const RunSettings& run, const RunCallbacks& callbacks)
      : command_(command), items_(items), run_(run), callbacks_(callbacks),
        base_(ConversionContext::fromSettings(settings, nullptr)) {
    base_.deferredSync = &sync_;
  }

  // Prepares one design; whatever its processing throws makes it a design not converted.
  ItemOutcome prepare(std::size_t i, SettingsStore& store) const;
  // Saves one prepared design; false when the run ends with it.
  bool commit(std::size_t i, ItemOutcome& item, DesignCodec& codec);
  // Writes the gathered archive members (each archive once) and tells what waited for them.
  void writeArchives();
  void finish();
  // The last file created, or the last design handled when none was.
  std::string lastFile() const { return result.created.empty() ? lastHandled_ : result.created.back(); }
  // Flushes the run's new files to disk.
  bool flushFiles() { return sync_.syncAll(); }
  RunResult result;
  ToolReport runReport;

 private:
  ItemOutcome prepareDesign(std::size_t i, SettingsStore& store) const;
  // The first name the design at `item` would be saved under.
  std::string plannedOutput(const std::string& item) const;
  ItemOutcome notConverted(std::size_t i) const;
  ConversionStatus save(std::size_t i, ItemOutcome& item, DesignCodec& codec, std::vector<std::string>& files);
  void tell(Handled& done);

  const ToolCommand& command_;
  std::span<const std::string> items_;
  const RunSettings& run_;
  const RunCallbacks& callbacks_;
  ConversionContext base_;
  FolderSync sync_;
  std::string lastHandled_;
  ArchiveBatch archives_;
  std::vector<Handled> waiting_;
};

// Gathered archive members are written early when they hold this much.
constexpr std::uint64_t kMaxGatheredBytes = 256ull * 1024 * 1024;
constexpr std::string_view kMessageCaption = "Loomhall";

ItemOutcome Runner::prepare(std::size_t i, SettingsStore& store) const {
  try {
    return prepareDesign(i, store);
  } catch (...) {
    // An allocation failure on a huge design, say: that design fails, the run goes on.
    return notConverted(i);
  }
}

ItemOutcome Runner::notConverted(std::size_t i) const {
  ItemOutcome out;
  out.failed = true;
  out.last = command_.tool == Tool::ReduceNeedles;
  out.report.addLine(items_[i] + " could not be converted.");
  out.prepared.status = ConversionStatus::NotConvertible;  // its line is the one above
  return out;
}

ItemOutcome Runner::prepareDesign(std::size_t i, SettingsStore& store) const {
  ItemOutcome out;
  const std::string& item = items_[i];
  if (isCompanionFile(item)) {
    out.skipped = true;
    return out;
  }
  if (run_.skipExisting) {
    std::string planned = plannedOutput(item);
    if (!planned.empty() && outputExists(planned)) {
      out.existing = std::move(planned);
      return out;
    }
  }
  BufferedMessages sink;
  DesignCodec codec(&store, &sink);
  ConversionContext ctx = base_;
  ctx.codec = &codec;
  EmbDesign design;
  if (callbacks_.load) {
    out.loadResult = callbacks_.load(codec, design, item);
  } else {
    codec.busyCount.fetch_add(1);
    out.loadResult = codec.loadDesign(&design, item);
  }
  if (out.loadResult != LoadResult::Ok) out.failed = true;
  if (const auto readAs = design.attributes.getText(kReadAsAttribute))
    out.notes.push_back("read as " + *readAs + ": the file starts with that format's signature");

  const int target = command_.target;
  bool force = run_.force;
  // A design that did not load gets no tool; the conversion reports what it can.
  const Tool tool = out.failed ? Tool::Conversion : command_.tool;
  if (command_.tool == Tool::ReduceNeedles) out.last = true;
  switch (tool) {
    case Tool::Conversion:
    case Tool::Notes:
    case Tool::Preview:
      break;
    case Tool::ColorSort:
      force = colorSort(design, run_.sortThreshold, out.report) > 0 || force;
      break;
    case Tool::AutoBaste: {
      const HoopRect hoop = hoopRectFor(design.path, ctx.tools, ctx.table);
      if (!autoBaste(design, run_.baste, hoop, out.report)) {
        out.failed = true;
        out.messages = std::move(sink.messages);
        return out;
      }
      force = true;
      break;
    }
    case Tool::RecoverPes: {
      const std::optional<ByteBuffer> file = codec.readFileBlock(item);
      const bool rebuilt =
          file && !file->empty() && recoverPes10(design, ByteSpan(file->data(), file->size() - 1), out.report) == 1;
      // A sound file gets no " Fixed" copy unless every design is to be written.
      if (!rebuilt && !run_.force) {
        out.notes.push_back("not a damaged PES 1.0 file; nothing was written");
        out.messages = std::move(sink.messages);
        return out;
      }
      force = true;
      break;
    }
    case Tool::ReduceNeedles:
      if (!callbacks_.reduce || !callbacks_.reduce(design)) {
        out.endRun = true;
        return out;
      }
      force = true;
      break;
  }
  if (!command_.suffix.empty()) design.path = appendToTitle(design.path, command_.suffix);
  if (run_.workspace) {
    // An archive member becomes a plain file there.
    design.path = pathInFolder(run_.directory, design.path);
    force = true;
  }
  out.prepared = prepareConversion(design, target, force, ctx, out.report);
  // The file goes to disk here, beside its final name; saving in input order only names it.
  stageConversion(out.prepared, base_.deferredSync);
  out.messages = std::move(sink.messages);
  return out;
}

std::string Runner::plannedOutput(const std::string& item) const {
  const int target = conversionTarget(item, command_.target, base_.tools);
  if (!isDesignFormat(target) && target != FormatTxt && target != FormatBmp) return {};
  std::string path = command_.suffix.empty() ? item : appendToTitle(item, command_.suffix);
  if (run_.workspace) path = pathInFolder(run_.directory, path);
  return replaceExtension(path, formatExtension(target).substr(1));
}

ConversionStatus Runner::save(std::size_t i, ItemOutcome& item, DesignCodec& codec,
                              std::vector<std::string>& files) {
  ConversionContext ctx = base_;
  ctx.codec = &codec;
  ctx.archives = &archives_;
  try {
    return saveConversion(item.prepared, &files, ctx, item.report);
  } catch (...) {
    // The later parts of a split design are written here: their failure is the design's.
    item.report.addLine(items_[i] + " could not be converted.");
    return ConversionStatus::NotConvertible;
  }
}

bool Runner::commit(std::size_t i, ItemOutcome& item, DesignCodec& codec) {
  if (item.skipped) return true;
  const std::string& source = items_[i];
  if (item.endRun) return false;
  ++result.processed;
  lastHandled_ = source;
  if (callbacks_.status) callbacks_.status(source);
  if (item.loadResult != LoadResult::Ok && callbacks_.loadFailed)
    callbacks_.loadFailed(source, item.loadResult);
  Handled done;
  done.source = source;
  DesignOutcome& outcome = done.outcome;
  outcome.source = source;
  outcome.loadResult = item.loadResult;
  outcome.fit = item.prepared.fit;
  outcome.failure = item.prepared.failure;
  outcome.existing = std::move(item.existing);
  outcome.conversion = outcome.existing.empty() ? save(i, item, codec, done.files) : item.prepared.status;
  done.failed = item.failed || isFailure(outcome.conversion);
  done.report = std::move(item.report);
  done.messages = std::move(item.messages);
  done.notes = std::move(item.notes);
  // A design that did not load has had its own callback.
  if (isFailure(outcome.conversion) && item.loadResult == LoadResult::Ok)
    done.failure.emplace(outcome.conversion, item.prepared.failure);
  waiting_.push_back(std::move(done));
  if (archives_.empty() || archives_.pendingBytes() > kMaxGatheredBytes) writeArchives();
  return !item.last;
}

void Runner::writeArchives() {
  const ArchiveBatch::Written written = archives_.write();
  if (callbacks_.message)
    for (const std::string& archive : written.readOnlyArchives) callbacks_.message("cannot write " + archive, kMessageCaption);
  for (Handled& done : waiting_) {
    std::vector<std::string> files;
    for (const std::string& f : done.files) {
      if (!isZipPath(f)) {
        files.push_back(f);
      } else if (const auto it = written.stored.find(f); it != written.stored.end()) {
        files.push_back(it->second);
      } else {
        done.report.addLine(f + " could not be saved.");
        done.failed = true;
        if (!done.failure) {
          ConversionFailure why;
          why.cause = FailureCause::NotSaved;
          why.path = f;
          done.failure.emplace(ConversionStatus::NotSaved, why);
        }
        done.outcome.conversion = ConversionStatus::NotSaved;
        done.outcome.failure = done.failure->second;
      }
    }
    done.files = std::move(files);
    tell(done);
  }
  waiting_.clear();
}

void Runner::tell(Handled& done) {
  if (done.failed) ++result.failed;
  if (callbacks_.note)
    for (const std::string& note : done.notes) callbacks_.note(done.source, note);
  runReport.append(done.report);
  if (callbacks_.message)
    for (const auto& [text, caption] : done.messages) callbacks_.message(text, caption);
  if (done.failure && callbacks_.conversionFailed)
    callbacks_.conversionFailed(done.source, done.failure->first, done.failure->second);
  for (const std::string& f : done.files) {
    result.created.push_back(f);
    result.origins.push_back(done.source);
    if (callbacks_.fileCreated) callbacks_.fileCreated(done.source, f);
  }
  if (callbacks_.designDone) {
    DesignOutcome& o = done.outcome;
    o.files = done.files;
    if (done.failed)
      o.result = DesignResult::Failed;
    else if (!o.existing.empty())
      o.result = DesignResult::Skipped;
    else
      o.result = o.files.empty() ? DesignResult::Unchanged : DesignResult::Written;
    callbacks_.designDone(o);
  }
}

// Order in which threads take the designs: largest file first, so that no big design is
// left for the end while the other threads have nothing to do. Members of an archive weigh
// their uncompressed size.
std::vector<std::size_t> largestFirst(std::span<const std::string> items) {
  std::vector<std::uint64_t> weight(items.size(), 0);
  // Per archive: member sizes by name, and by name in lower case.
  using Sizes = std::pair<std::unordered_map<std::string, std::uint64_t>, std::unordered_map<std::string, std::uint64_t>>;
  std::map<std::string, Sizes> archives;
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::error_code ec;
    if (const auto zip = splitZipPath(items[i])) {
      auto it = archives.find(zip->archive);
      if (it == archives.end()) {
        it = archives.emplace(zip->archive, Sizes()).first;
        for (const ZipMemberInfo& m : ZipArchive::memberInfos(zip->archive)) {
          it->second.first.try_emplace(m.path, m.size);
          it->second.second.try_emplace(foldedMemberName(m.path), m.size);
        }
      }
      const auto& [exact, folded] = it->second;
      if (const auto e = exact.find(zip->member); e != exact.end())
        weight[i] = e->second;
      else if (const auto f = folded.find(foldedMemberName(zip->member)); f != folded.end())
        weight[i] = f->second;
    } else {
      const auto size = std::filesystem::file_size(items[i], ec);
      weight[i] = ec ? 0 : size;
    }
  }
  std::vector<std::size_t> order(items.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return weight[a] > weight[b]; });
  return order;
}

// Threads prepare the designs (largest first); the caller's thread saves them in input order
// as soon as each is ready. A prepared design waiting to be saved holds little: its file is
// already written, unnamed, and holds an open descriptor; so no more than kMaxHeld wait, and
// when that many do, a thread takes the design the saving thread waits for or waits itself.
// A stop request ends the dispatch; the designs in hand are finished, and every design that
// was prepared is saved, in input order. The object joins its threads on every way out; an
// exception from the caller's callbacks, on any thread, reaches the caller after that.
class ParallelRun {
 public:
  ParallelRun(Runner& runner, std::span<const std::string> items, SettingsStore& settings,
              std::function<bool()> stopRequested)
      : runner_(runner), items_(items), settings_(settings), stopRequested_(std::move(stopRequested)),
        order_(largestFirst(items)), taken_(items.size(), false), untaken_(items.size()), ready_(items.size()) {}
  ParallelRun(const ParallelRun&) = delete;
  ParallelRun& operator=(const ParallelRun&) = delete;
  ~ParallelRun();

  // Runs with up to `jobs` threads; the first design not prepared when a stop ended the run.
  std::optional<std::size_t> run(int jobs);
  // After a stop: the designs that were not prepared.
  std::size_t notHandled() const { return notHandled_; }

 private:
  static constexpr std::size_t kMaxHeld = 64;
  // The next design to prepare under the lock; nothing when a thread should wait instead.
  std::optional<std::size_t> pick();
  std::optional<std::size_t> take();
  void work();
  // Design i once prepared; nothing when the run stopped before it.
  std::unique_ptr<ItemOutcome> await(std::size_t i);

  Runner& runner_;
  std::span<const std::string> items_;
  SettingsStore& settings_;
  const std::function<bool()> stopRequested_;
  const std::vector<std::size_t> order_;
  std::mutex m_;
  std::condition_variable cv_;
  std::size_t next_ = 0, running_ = 0;
  std::vector<bool> taken_;
  std::size_t untaken_;
  std::size_t committing_ = 0;  // the design the saving thread saves next
  std::size_t held_ = 0;        // prepared designs waiting to be saved
  std::size_t notHandled_ = 0;
  bool stopping_ = false, quit_ = false;
  std::exception_ptr error_;  // the first exception a thread met, for the caller
  std::vector<std::unique_ptr<ItemOutcome>> ready_;
  std::vector<std::thread> threads_;
};

ParallelRun::~ParallelRun() {
  {
    std::lock_guard lock(m_);
    quit_ = true;
  }
  for (std::thread& t : threads_) t.join();
}

std::optional<std::size_t> ParallelRun::pick() {
  if (held_ >= kMaxHeld) {
    if (taken_[committing_]) return std::nullopt;
    return committing_;
  }
  while (taken_[order_[next_]]) ++next_;
  return order_[next_];
}

std::optional<std::size_t> ParallelRun::take() {
  for (;;) {
    {
      std::lock_guard lock(m_);
      if (quit_ || stopping_ || untaken_ == 0) return std::nullopt;
    }
    // The caller's callback, asked without the lock: it may wait for the saving thread.
    const bool stop = stopRequested_();
    std::unique_lock lock(m_);
    if (stop) {
      stopping_ = true;
      cv_.notify_all();
      return std::nullopt;
    }
    if (quit_ || stopping_ || untaken_ == 0) return std::nullopt;
    if (const std::optional<std::size_t> i = pick()) {
      taken_[*i] = true;
      --untaken_;
      ++running_;
      return i;
    }
    // Too many designs wait for saving: wait for room, then ask about stopping again.
    cv_.wait(lock, [&] { return quit_ || stopping_ || untaken_ == 0 || pick().has_value(); });
  }
}

void ParallelRun::work() {
  try {
    OverlaySettings own(settings_);
    while (const std::optional<std::size_t> i = take()) {
      auto item = std::make_unique<ItemOutcome>(runner_.prepare(*i, own));
      std::lock_guard lock(m_);
      ready_[*i] = std::move(item);
      ++held_;
      --running_;
      cv_.notify_all();
    }
  } catch (...) {
    std::lock_guard lock(m_);
    if (!error_) error_ = std::current_exception();
    cv_.notify_all();
  }
}

std::unique_ptr<ItemOutcome> ParallelRun::await(std::size_t i) {
  std::unique_lock lock(m_);
  committing_ = i;
  cv_.notify_all();  // a thread waiting for room may take design i
  cv_.wait(lock, [&] { return ready_[i] != nullptr || error_ || (stopping_ && running_ == 0); });
  if (error_) std::rethrow_exception(error_);
  if (ready_[i]) --held_;
  return std::move(ready_[i]);
}

std::optional<std::size_t> ParallelRun::run(int jobs) {
  const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(jobs), items_.size());
  for (std::size_t t = 0; t < count; ++t) threads_.emplace_back([this] { work(); });
  OverlaySettings own(settings_);
  DesignCodec codec(&own);
  // After a stop, what was prepared is saved all the same: the gaps are the designs no thread
  // had begun.
  std::optional<std::size_t> firstMissing;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    std::unique_ptr<ItemOutcome> item = await(i);
    if (!item) {
      if (!firstMissing) firstMissing = i;
      ++notHandled_;
      continue;
    }
    runner_.commit(i, *item, codec);  // only needle reduction ends a run early, and it runs alone
  }
  return firstMissing;
}

}  // namespace

std::span<const ToolCommand> toolCommands() { return kCommands; }

const ToolCommand& toolCommand(ToolCommandId id) { return kCommands[static_cast<std::size_t>(id)]; }

const ToolCommand* findToolCommand(int menuId) {
  for (const ToolCommand& c : kCommands)
    if (c.menuId == menuId) return &c;
  return nullptr;
}

std::optional<ToolCommandId> conversionTo(int target) {
  for (const ToolCommand& c : kCommands)
    if (c.tool == Tool::Conversion && target >= 0 && c.target == target) return c.id;
  return std::nullopt;
}

RunSettings RunSettings::fromSettings(const SettingsStore& store) {
  RunSettings s;
  s.toolsReport = readSetting(store, kToolsReport) != 0;
  s.workspace = readSetting(store, kWorkspaceOn) != 0;
  s.directory = readSetting(store, kWorkspaceDirectory);
  s.sortThreshold = loadColorSortThreshold(store);
  s.baste = loadBasteSettings(store);
  return s;
}

std::string reportHeading(int target, const ToolFormat& tools) {
  if (target < 0 && tools.keep) return "Keeping same file types.\r\n";
  const int code = target < 0 ? tools.selected : target;
  return "Preferred file type: " + std::string(formatName(code)) + "\r\n";
}

std::string createdFilesLine(std::size_t n) {
  return n == 1 ? std::string("1 file was created.\r\n") : std::to_string(n) + " files were created.\r\n";
}

void Runner::finish() {
  const std::size_t n = result.created.size();
  std::string local;
  if (n > 0 && run_.toolsReport)
    local = createdFilesLine(n);
  if (!local.empty()) local = reportHeading(command_.target, base_.tools) + local;
  result.report = runReport.text() + local;
}

RunResult runTool(ToolCommandId id, std::span<const std::string> items, SettingsStore& settings,
                  const RunSettings& run, const RunCallbacks& callbacks, int jobs) {
  const ToolCommand& command = toolCommand(id);
  Runner runner(command, items, settings, run, callbacks);
  // Needle reduction asks its question on the caller's thread and handles one design.
  if (command.tool == Tool::ReduceNeedles) jobs = 1;
  const auto stopRequested = [&] { return callbacks.stopRequested && callbacks.stopRequested(); };
  std::optional<std::size_t> haltedAt;
  std::size_t notHandled = 0;
  bool ended = false;  // the run ended early without a halt (needle reduction)

  try {
    if (jobs <= 1) {
      DesignCodec codec(&settings);
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (stopRequested()) {
          haltedAt = i;
          notHandled = items.size() - i;
          break;
        }
        ItemOutcome item = runner.prepare(i, settings);
        if (!runner.commit(i, item, codec)) {
          ended = true;
          break;
        }
      }
    } else {
      ParallelRun parallel(runner, items, settings, stopRequested);
      haltedAt = parallel.run(jobs);
      notHandled = parallel.notHandled();
    }
  } catch (...) {
    runner.flushFiles();  // what was published stays, and reaches the disk
    throw;
  }
  runner.result.flushed = runner.flushFiles();

  runner.writeArchives();
  if (haltedAt) {
    runner.result.halted = true;
    runner.result.haltedAt = *haltedAt;
    runner.result.notHandled = notHandled;
    runner.runReport.addLine("Operation halted by the user.");
    runner.runReport.addLine("Last file created: " + runner.lastFile());
  }
  if (!ended) {
    runner.result.nothingToDo = runner.result.processed == 0;
    if (runner.result.nothingToDo)
      runner.runReport.addLine("Please select a design to work on.");
    else if (runner.result.created.empty())
      runner.runReport.addLine("No work completed.");
  }
  runner.finish();
  return std::move(runner.result);
}

bool isCompanionFile(std::string_view path) {
  const std::string_view ext = extensionOf(path);
  return equalsNoCase(ext, "bmp") || equalsNoCase(ext, "txt");
}

}  // namespace lh
