#pragma once
// Saving files safely, the one way every save goes: the bytes go to a new file beside the
// target, are flushed to disk, and the file then takes its name in one atomic step that never
// replaces a file. A failed save leaves nothing behind. Where the file system allows, the new
// file has no name at all until it is published (O_TMPFILE), so a process that is killed
// leaves nothing; elsewhere it has a hidden name ".lh-<pid>-<n>" that carries the process id,
// and the first save into a folder removes such files of processes that no longer exist.
// New files are created with mode 0666, so the kernel applies the user's umask; nothing here
// reads or changes the umask (other threads would see it).
#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace lh {

using SaveBytes = std::span<const std::uint8_t>;

// The folder of a '/' path: "." for a bare name, "/" for a name in the root.
std::string folderOf(std::string_view path);

// The next name to try after `path` is taken: a title (name without extension) ending in
// "(n)" gets n + 1, any other title gets "(2)"; folder and extension stay.
// "Rose.pes" -> "Rose(2).pes", "Rose(2).pes" -> "Rose(3).pes". Works on '/' and '\' paths.
std::string nextUniqueName(std::string_view path);

// What giving an existing file a further name did.
enum class NameResult {
  Linked,  // both names now stand for the file
  Moved,   // the file system has no hard links: the file was renamed, `from` is gone
  Taken,   // something already has the name; nothing changed
  Failed,
};

// Gives the file `from` the name `to` unless `to` exists, atomically.
NameResult nameWithoutReplacing(const std::string& from, const std::string& to);

struct Naming {
  NameResult result = NameResult::Failed;
  std::string name;  // the name tried last: the one given when Linked or Moved
};
// nameWithoutReplacing under `to` or, when taken, the first free name of the nextUniqueName
// sequence after it.
Naming nameFirstFree(const std::string& from, const std::string& to);

// The folders of a run's files that were written without their own flush to disk: the run
// makes them durable at its end, once per file system, instead of once per file (which costs
// a journal commit each). Safe to use from several threads.
class FolderSync {
 public:
  // Files were written in `folder` and are not yet known to be on disk.
  void add(const std::string& folder);
  // Flushes the file system of every folder added (syncfs, once per file system) and forgets
  // them; false when a flush failed.
  bool syncAll();

 private:
  std::mutex m_;
  std::set<std::string> folders_;
};

// Removes the hidden stage files in `folder` whose creating process no longer exists (a run
// that was killed); files of live processes, and names of other forms, stay. Each folder is
// looked at once per process; staging a file in a folder calls this.
void removeStaleStageFiles(const std::string& folder);

// A new file beside the file it is to become, without a name or under a hidden temporary one.
// Writing it (the slow part, with the flush to disk) can happen on any thread; publishing then
// names it. A file that is never published is removed.
class StagedFile {
 public:
  // An empty, open file under a hidden temporary name (path()) in the folder of `target`,
  // mode 0666 less the umask, or exactly `mode` when given (a rewritten file keeps its mode).
  // With `deferred` its folder is added there and publishing does not flush it (the caller
  // flushes later, or never for a file that is only a cache). Nothing when it cannot be
  // created.
  static std::optional<StagedFile> create(const std::string& target, std::optional<mode_t> mode = std::nullopt,
                                          FolderSync* deferred = nullptr);
  // A complete file, waiting for its name, without one where the file system allows; nothing
  // when writing failed. It is flushed to disk now, or, with `deferred`, its folder is added
  // there and the caller flushes it later (FolderSync::syncAll).
  static std::optional<StagedFile> stage(const std::string& target, SaveBytes bytes, FolderSync* deferred = nullptr);

  // Appends `bytes` to the open file; false when not all were written (a full disk, say),
  // and then the file is never published.
  bool write(SaveBytes bytes);
  // Closes a file from create(), so that other code can change it through path(); false on
  // failure.
  bool close();
  // The temporary name; empty for a file without a name, and once published or discarded.
  const std::string& path() const { return tmp_; }

  // Gives the file the name `path`, or the next free name after it; returns the name used,
  // nothing when that failed. Each of these publishing calls flushes the file to disk first
  // (unless stage did) and leaves the temporary name gone, whatever the outcome.
  std::optional<std::string> publish(const std::string& path);
  // The same with `path` alone: false when it is taken or naming failed.
  bool publishExactly(const std::string& path);
  // Puts a file from create() in place of `path`, replacing what is there: only for
  // rewriting a file whose old version is kept under another name. False on failure.
  bool replace(const std::string& path);
  // Removes the file now.
  void discard();

  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&& other) noexcept;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile() { discard(); }

 private:
  StagedFile(std::string tmp, int fd) : tmp_(std::move(tmp)), fd_(fd) {}
  // A file without a name in the folder of `target`; nothing where the system has none.
  static std::optional<StagedFile> createUnnamed(const std::string& target);
  // True until the file is published or discarded.
  bool live() const { return unnamed_ ? fd_ >= 0 : !tmp_.empty(); }
  // Flushes the file to disk (opening it again when closed) unless that was deferred; a
  // named file is closed.
  bool flush();
  // Gives the file the name `to` unless something has it.
  NameResult nameOnce(const std::string& to) const;
  // Names the flushed file `path` (or the first free name after it); the temporary name
  // goes once the file has its name.
  Naming claim(const std::string& path, bool firstFree);

  std::string tmp_;
  int fd_ = -1;
  bool unnamed_ = false;   // O_TMPFILE: reachable through fd_ alone
  bool deferred_ = false;  // the caller flushes the folder at the end of its run
  bool flushed_ = false;
  bool broken_ = false;  // a write failed: the file is incomplete
};

// Writes `bytes` to a new file at `path`; false when `path` exists or writing failed.
bool writeNewFile(const std::string& path, SaveBytes bytes);

// Writes `bytes` under `path`, or under the first free name of the nextUniqueName sequence;
// returns the path written, nothing when writing failed. The file is on disk when this
// returns, or, with `deferred`, once the caller's FolderSync::syncAll has run.
std::optional<std::string> saveUnique(const std::string& path, SaveBytes bytes, FolderSync* deferred = nullptr);

// Appends the regular file `from` to `to`; false when it cannot be read or not all of it was
// written (errno tells why).
bool appendFile(const std::string& from, StagedFile& to);

}  // namespace lh
