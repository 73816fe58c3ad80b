#pragma once
// Loads and renders the grid's pictures on a pool of threads so that the user-interface
// thread never waits for a design. The grid asks for a batch (the shown cells first, then
// the pages either side); a new batch replaces whatever of the old one has not started, and
// results of an old batch are no longer handed back. Finished pictures are kept in a cache
// keyed by the item, its file's time and size, the picture size and the flags.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "browser/view_core/design_cell.h"
#include "browser/view_core/shared_palette.h"
#include "browser/view_core/thumbnail.h"
#include "browser/view_core/thumbnail_cache.h"
#include "formats/design_codec.h"

namespace lh {

// One picture wanted.
struct ThumbnailRequest {
  std::string item;      // the item's text form
  std::string location;  // what loadDesign takes (FileItem::location())
  PictureSpec spec;
  bool inches = false;   // units of the info text and the colour list
  std::uint64_t tag = 0;     // the caller's own (e.g. the item's index), handed back
  bool prefetch = false;     // only fill the cache: no result is handed back
};

struct ThumbnailResult {
  std::uint64_t generation = 0;  // the batch it was asked in
  std::uint64_t tag = 0;
  std::string item;
  std::shared_ptr<const Thumbnail> thumbnail;
};

// A file's identity for the cache: a picture of an older version of the file is not reused.
struct FileStamp {
  bool exists = false;
  std::int64_t time = 0;  // modification time, file-clock ticks
  std::uint64_t size = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// The stamp of a plain file, or of the archive holding a "Zip:" member.
FileStamp fileStampOf(const std::string& location);

struct ThumbnailOptions {
  int threads = 0;  // 0: one per hardware thread; never fewer than 2
  std::size_t cacheBytes = std::size_t{128} << 20;
  const MediaCheck* media = nullptr;  // shared by the workers' codecs (must allow concurrent calls)
  // In place of DesignCodec::loadDesign (which the service calls with busyCount raised).
  // Called on worker threads, several at once.
  std::function<LoadResult(DesignCodec& codec, EmbDesign& design, const std::string& location)> load;
  // In place of fileStampOf.
  std::function<FileStamp(const std::string& location)> stamp;
};

struct ThumbnailCounts {
  std::size_t cached = 0;       // pictures in the cache
  std::size_t cachedBytes = 0;
  std::uint64_t hits = 0;       // requests answered from the cache
  std::uint64_t made = 0;       // pictures loaded and rendered
};

class ThumbnailService {
 public:
  // Called on a worker thread for every finished request of the current batch that is not
  // a prefetch. It runs under the service's delivery lock, so that no result of a batch
  // arrives once request() has replaced it: it should only pass the result on (a queued
  // signal) and must not call the service.
  using Deliver = std::function<void(ThumbnailResult)>;

  ThumbnailService(SharedPalette& palette, Deliver deliver, ThumbnailOptions options = {});
  // Waits for the pictures being made; hands none back.
  ~ThumbnailService();
  ThumbnailService(const ThumbnailService&) = delete;
  ThumbnailService& operator=(const ThumbnailService&) = delete;

  // Replaces every request not yet started with `batch`, worked through in its order, and
  // returns the batch's generation. Any thread may call it.
  std::uint64_t request(std::vector<ThumbnailRequest> batch);
  // Drops every request not yet started (a new, empty batch).
  void cancel() { request({}); }
  std::uint64_t generation() const;

  // Blocks until no request waits and no picture is being made.
  void waitIdle();
  // No request waits and no picture is being made, now.
  bool idle() const;
  // Empties the cache (the background colour changed, the files were rewritten, ...).
  void clearCache();

  int threadCount() const { return static_cast<int>(threads_.size()); }
  ThumbnailCounts counts() const;
  // Loads in progress over every worker's codec.
  std::int32_t busyLoads() const;

 private:
  struct Job {
    std::uint64_t generation = 0;
    ThumbnailRequest request;
  };
  struct Waiter {
    std::uint64_t generation = 0;
    std::uint64_t tag = 0;
    std::string item;
    bool prefetch = false;
  };
  struct Worker {
    explicit Worker(const MediaCheck* media) : codec(nullptr, nullptr, media) {}
    DesignCodec codec;  // one per worker; its settings are its own (the crash guard's writes)
  };

  void work(std::stop_token stop, Worker& worker);
  void process(Worker& worker, Job& job);
  std::shared_ptr<const Thumbnail> make(Worker& worker, const ThumbnailRequest& request);
  void deliver(const Waiter& waiter, const std::shared_ptr<const Thumbnail>& thumbnail);

  SharedPalette& palette_;
  Deliver deliver_;
  ThumbnailOptions options_;

  mutable std::mutex deliverMutex_;  // taken before mutex_ when both are held
  std::uint64_t generation_ = 0;      // written under both locks

  mutable std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable idle_;
  std::deque<Job> queue_;
  int active_ = 0;
  std::unordered_map<std::string, std::vector<Waiter>> inFlight_;  // by cache key
  ThumbnailCache cache_;
  std::uint64_t hits_ = 0;
  std::uint64_t made_ = 0;

  std::vector<std::unique_ptr<Worker>> workers_;
  std::vector<std::jthread> threads_;  // last: stopped and joined before the rest goes
};

}  // namespace lh
