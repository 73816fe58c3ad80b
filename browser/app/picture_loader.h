#pragma once
// Hands the thumbnail service's pictures to the user-interface thread. The grid's cells and
// the preview pane ask together in one batch (the preview first); results arrive through a
// queued signal, and those of a batch that has since been replaced are dropped.
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "browser/view_core/shared_palette.h"
#include "browser/view_core/thumbnail_service.h"
#include "render/palette_manager.h"

namespace lh {

class PictureLoader : public QObject {
  Q_OBJECT

 public:
  // The tag of the preview pane's picture; grid requests carry their item's index.
  static constexpr std::uint64_t kPreviewTag = ~std::uint64_t{0};

  explicit PictureLoader(QObject* parent = nullptr, int threads = 0);
  ~PictureLoader() override;

  // Replaces the grid's part (or the preview's part) of the batch; the other part is asked
  // again with it.
  void setGridRequests(std::vector<ThumbnailRequest> requests);
  void setPreviewRequest(std::optional<ThumbnailRequest> request);

  std::uint64_t generation() const { return generation_; }
  // Every picture asked for, the pages either side too, is made or was dropped.
  bool idle() const { return service_->idle(); }

 signals:
  // On the user-interface thread, for the current batch only.
  void pictureReady(std::uint64_t tag, const QString& item, std::shared_ptr<const lh::Thumbnail> thumbnail);
  // Internal: from a worker thread to the user-interface thread.
  void resultArrived(lh::ThumbnailResult result);

 private:
  void onResult(const ThumbnailResult& result);
  void submit();

  PaletteManager screen_;
  SharedPalette palette_{screen_};
  std::vector<ThumbnailRequest> grid_;
  std::optional<ThumbnailRequest> preview_;
  std::uint64_t generation_ = 0;
  std::unique_ptr<ThumbnailService> service_;  // last: stopped before the rest goes
};

}  // namespace lh
