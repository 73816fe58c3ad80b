#pragma once
// Rendered pictures kept for reuse, bounded by the memory they hold; the least recently used
// go first. Not locked: its owner serialises access.
#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "browser/view_core/thumbnail.h"

namespace lh {

class ThumbnailCache {
 public:
  explicit ThumbnailCache(std::size_t maxBytes) : maxBytes_(maxBytes) {}

  // The picture stored under `key`, now the most recently used; null when there is none.
  std::shared_ptr<const Thumbnail> find(const std::string& key);
  // Stores (or replaces) the picture under `key`, then drops the least recently used ones
  // until the budget holds. A picture larger than the whole budget is not kept.
  void insert(const std::string& key, std::shared_ptr<const Thumbnail> thumbnail);
  void clear();

  std::size_t size() const { return index_.size(); }
  std::size_t bytes() const { return bytes_; }
  std::size_t maxBytes() const { return maxBytes_; }

 private:
  struct Entry {
    std::string key;
    std::shared_ptr<const Thumbnail> thumbnail;
    std::size_t bytes = 0;
  };
  void erase(std::list<Entry>::iterator it);

  std::size_t maxBytes_;
  std::size_t bytes_ = 0;
  std::list<Entry> order_;  // most recently used first
  std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

}  // namespace lh
