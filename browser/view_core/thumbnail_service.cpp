#include "browser/view_core/thumbnail_service.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "formats/error_pictures.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

// Niceness a worker adds to its own: pictures are background work, and on a machine with
// fewer free processors than workers the user-interface thread should get one first.
constexpr int kWorkerNice = 5;

// Lowers the calling thread's priority only (on Linux a thread id names one thread).
void giveWayToInterface() {
  const auto self = static_cast<id_t>(::gettid());
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, self);
  if (errno == 0) ::setpriority(PRIO_PROCESS, self, nice + kWorkerNice);
}

int poolSize(int asked) {
  if (asked > 0) return std::max(2, asked);
  return std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
}

// Everything the picture depends on; a change in any part makes another picture.
std::string cacheKey(const ThumbnailRequest& r, const FileStamp& stamp) {
  std::string key = r.item;
  key += '\n';
  key += std::to_string(stamp.exists) + ' ' + std::to_string(stamp.time) + ' ' + std::to_string(stamp.size);
  key += ' ' + std::to_string(r.spec.width) + 'x' + std::to_string(r.spec.height);
  key += ' ' + std::to_string(r.spec.shaded) + std::to_string(r.spec.thickLines) + std::to_string(r.spec.showJumps);
  key += ' ' + std::to_string(r.spec.background) + ' ' + std::to_string(r.inches);
  return key;
}

}  // namespace

FileStamp fileStampOf(const std::string& location) {
  namespace fs = std::filesystem;
  const std::optional<ZipPath> zip = splitZipPath(location);
  const fs::path file(zip ? zip->archive : location);
  std::error_code ec;
  FileStamp stamp;
  const fs::file_status status = fs::status(file, ec);
  if (ec || !fs::is_regular_file(status)) return stamp;
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) return stamp;
  const fs::file_time_type time = fs::last_write_time(file, ec);
  if (ec) return stamp;
  stamp.exists = true;
  stamp.size = size;
  stamp.time = static_cast<std::int64_t>(time.time_since_epoch().count());
  return stamp;
}

ThumbnailService::ThumbnailService(SharedPalette& palette, Deliver deliver, ThumbnailOptions options)
    : palette_(palette), deliver_(std::move(deliver)), options_(std::move(options)), cache_(options_.cacheBytes) {
  if (!options_.stamp) options_.stamp = fileStampOf;
  const int n = poolSize(options_.threads);
  for (int i = 0; i < n; ++i) workers_.push_back(std::make_unique<Worker>(options_.media));
  for (int i = 0; i < n; ++i)
    threads_.emplace_back([this, i](std::stop_token stop) { work(stop, *workers_[static_cast<std::size_t>(i)]); });
}

ThumbnailService::~ThumbnailService() {
  {
    const std::scoped_lock lock(deliverMutex_, mutex_);
    ++generation_;  // nothing asked so far is handed back any more
    queue_.clear();
  }
  for (std::jthread& t : threads_) t.request_stop();
  threads_.clear();  // joins
}

std::uint64_t ThumbnailService::request(std::vector<ThumbnailRequest> batch) {
  const std::lock_guard delivering(deliverMutex_);
  const std::lock_guard lock(mutex_);
  const std::uint64_t generation = ++generation_;
  queue_.clear();
  for (ThumbnailRequest& r : batch) queue_.push_back({generation, std::move(r)});
  wake_.notify_all();
  if (queue_.empty() && active_ == 0) idle_.notify_all();
  return generation;
}

std::uint64_t ThumbnailService::generation() const {
  const std::lock_guard lock(mutex_);
  return generation_;
}

void ThumbnailService::waitIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [&] { return queue_.empty() && active_ == 0; });
}

bool ThumbnailService::idle() const {
  const std::lock_guard lock(mutex_);
  return queue_.empty() && active_ == 0;
}

void ThumbnailService::clearCache() {
  const std::lock_guard lock(mutex_);
  cache_.clear();
}

ThumbnailCounts ThumbnailService::counts() const {
  const std::lock_guard lock(mutex_);
  return {cache_.size(), cache_.bytes(), hits_, made_};
}

std::int32_t ThumbnailService::busyLoads() const {
  std::int32_t n = 0;
  for (const auto& w : workers_) n += w->codec.busyCount.load();
  return n;
}

void ThumbnailService::work(std::stop_token stop, Worker& worker) {
  giveWayToInterface();
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [&] { return !queue_.empty(); })) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      ++active_;
    }
    process(worker, job);
    const std::lock_guard lock(mutex_);
    --active_;
    if (queue_.empty() && active_ == 0) idle_.notify_all();
  }
}

// A cached picture is handed back at once; a picture another worker is making is handed to
// this request too when it is done; otherwise this worker makes it.
void ThumbnailService::process(Worker& worker, Job& job) {
  const ThumbnailRequest& r = job.request;
  const std::string key = cacheKey(r, options_.stamp(r.location));
  Waiter self{job.generation, r.tag, r.item, r.prefetch};
  std::shared_ptr<const Thumbnail> hit;
  {
    const std::lock_guard lock(mutex_);
    hit = cache_.find(key);
    if (hit) {
      ++hits_;
    } else {
      auto [it, first] = inFlight_.try_emplace(key);
      it->second.push_back(std::move(self));
      if (!first) return;
    }
  }
  if (hit) {
    deliver(self, hit);
    return;
  }
  std::shared_ptr<const Thumbnail> made = make(worker, r);
  std::vector<Waiter> waiters;
  {
    const std::lock_guard lock(mutex_);
    ++made_;
    cache_.insert(key, made);
    const auto it = inFlight_.find(key);
    waiters = std::move(it->second);
    inFlight_.erase(it);
  }
  for (const Waiter& w : waiters) deliver(w, made);
}

std::shared_ptr<const Thumbnail> ThumbnailService::make(Worker& worker, const ThumbnailRequest& r) {
  EmbDesign design;
  LoadResult result = LoadResult::Failed;
  try {
    if (options_.load) {
      result = options_.load(worker.codec, design, r.location);
    } else {
      worker.codec.busyCount.fetch_add(1);
      result = worker.codec.loadDesign(&design, r.location);
    }
    return std::make_shared<const Thumbnail>(makeThumbnail(design, result, r.spec, r.inches, palette_));
  } catch (...) {
    // A file that cannot be shown (out of memory on a damaged one) shows as unreadable.
    Thumbnail failed;
    failed.picture = CellPicture::Unreadable;
    failed.loadResult = LoadResult::Failed;
    failed.spec = r.spec;
    const auto picture = missingFilePicture();
    failed.bitmapFile.assign(picture.begin(), picture.end());
    return std::make_shared<const Thumbnail>(std::move(failed));
  }
}

void ThumbnailService::deliver(const Waiter& waiter, const std::shared_ptr<const Thumbnail>& thumbnail) {
  if (waiter.prefetch || !deliver_) return;
  const std::lock_guard lock(deliverMutex_);
  if (waiter.generation != generation_) return;
  deliver_({waiter.generation, waiter.tag, waiter.item, thumbnail});
}

}  // namespace lh
