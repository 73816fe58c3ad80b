#include "browser/app/picture_loader.h"

#include <QMetaType>

#include "browser/app/crash_guard.h"

namespace lh {

PictureLoader::PictureLoader(QObject* parent, int threads, CrashGuard* guard) : QObject(parent) {
  qRegisterMetaType<std::shared_ptr<const lh::Thumbnail>>("std::shared_ptr<const lh::Thumbnail>");
  ThumbnailOptions options;
  options.threads = threads;
  if (guard != nullptr) {
    options.load = [guard](DesignCodec& codec, EmbDesign& design, const std::string& location) {
      guard->reading(location);
      codec.busyCount.fetch_add(1);
      return codec.loadDesign(&design, location);
    };
  }
  service_ = std::make_unique<ThumbnailService>(
      palette_, [this](ThumbnailResult result) { arrive(std::move(result)); }, options);
}

PictureLoader::~PictureLoader() { service_.reset(); }

void PictureLoader::setGridRequests(std::vector<ThumbnailRequest> requests) {
  grid_ = std::move(requests);
  submit();
}

void PictureLoader::setPreviewRequest(std::optional<ThumbnailRequest> request) {
  preview_ = std::move(request);
  if (preview_) preview_->tag = kPreviewTag;
  submit();
}

void PictureLoader::submit() {
  std::vector<ThumbnailRequest> batch;
  batch.reserve(grid_.size() + 1);
  if (preview_) batch.push_back(*preview_);
  batch.insert(batch.end(), grid_.begin(), grid_.end());
  generation_ = service_->request(std::move(batch));
}

void PictureLoader::arrive(ThumbnailResult result) {
  bool wake = false;
  {
    const std::lock_guard lock(arrivedMutex_);
    wake = arrived_.empty();
    arrived_.push_back(std::move(result));
  }
  if (wake) QMetaObject::invokeMethod(this, &PictureLoader::takeResults, Qt::QueuedConnection);
}

void PictureLoader::takeResults() {
  std::vector<ThumbnailResult> results;
  {
    const std::lock_guard lock(arrivedMutex_);
    results.swap(arrived_);
  }
  for (ThumbnailResult& r : results) {
    if (r.generation == generation_ && r.thumbnail)
      emit pictureReady(r.tag, QString::fromStdString(r.item), std::move(r.thumbnail));
  }
}

}  // namespace lh
