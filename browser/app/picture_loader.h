#pragma once
// Hands the thumbnail service's pictures to the user-interface thread. The grid's cells and
// the preview pane ask together in one batch (the preview first); the workers queue their
// results under a lock of ours and wake the user-interface thread once for all that arrive
// before it gets to them, and results of a batch that has since been replaced are dropped.
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "browser/view_core/shared_palette.h"
#include "browser/view_core/thumbnail_service.h"
#include "render/palette_manager.h"

namespace lh {

class CrashGuard;

class PictureLoader : public QObject {
  Q_OBJECT

 public:
  // The tag of the preview pane's picture; grid requests carry their item's index.
  static constexpr std::uint64_t kPreviewTag = ~std::uint64_t{0};

  // Every load is recorded in `guard` first, when there is one.
  explicit PictureLoader(QObject* parent = nullptr, int threads = 0, CrashGuard* guard = nullptr);
  ~PictureLoader() override;

  // Replaces the grid's part (or the preview's part) of the batch; the other part is asked
  // again with it.
  void setGridRequests(std::vector<ThumbnailRequest> requests);
  void setPreviewRequest(std::optional<ThumbnailRequest> request);

  std::uint64_t generation() const { return generation_; }
  // Every picture asked for, the pages either side too, is made or was dropped.
  bool idle() const { return service_->idle(); }
  // Loads in progress over the workers' codecs.
  std::int32_t busyLoads() const { return service_->busyLoads(); }

 signals:
  // On the user-interface thread, for the current batch only.
  void pictureReady(std::uint64_t tag, const QString& item, std::shared_ptr<const lh::Thumbnail> thumbnail);

 private:
  // On a worker thread: queues the result, waking the user-interface thread when the queue
  // was empty.
  void arrive(ThumbnailResult result);
  // On the user-interface thread: hands on every queued result.
  void takeResults();
  void submit();

  PaletteManager screen_;
  SharedPalette palette_{screen_};
  std::vector<ThumbnailRequest> grid_;
  std::optional<ThumbnailRequest> preview_;
  std::uint64_t generation_ = 0;
  std::mutex arrivedMutex_;
  std::vector<ThumbnailResult> arrived_;  // from the workers, not yet handed on
  std::unique_ptr<ThumbnailService> service_;  // last: stopped before the rest goes
};

}  // namespace lh
