#include "browser/view_core/thumbnail_cache.h"

namespace lh {

std::shared_ptr<const Thumbnail> ThumbnailCache::find(const std::string& key) {
  const auto it = index_.find(key);
  if (it == index_.end()) return nullptr;
  order_.splice(order_.begin(), order_, it->second);
  return it->second->thumbnail;
}

void ThumbnailCache::insert(const std::string& key, std::shared_ptr<const Thumbnail> thumbnail) {
  if (const auto old = index_.find(key); old != index_.end()) erase(old->second);
  if (!thumbnail) return;
  const std::size_t bytes = thumbnail->bytes() + key.capacity() + sizeof(Entry);
  if (bytes > maxBytes_) return;
  order_.push_front({key, std::move(thumbnail), bytes});
  index_.emplace(key, order_.begin());
  bytes_ += bytes;
  while (bytes_ > maxBytes_) erase(std::prev(order_.end()));
}

void ThumbnailCache::clear() {
  order_.clear();
  index_.clear();
  bytes_ = 0;
}

void ThumbnailCache::erase(std::list<Entry>::iterator it) {
  bytes_ -= it->bytes;
  index_.erase(it->key);
  order_.erase(it);
}

}  // namespace lh
