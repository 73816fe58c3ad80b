#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

// Case-insensitive comparison of UTF-8 keys (ASCII letters fold; other bytes compare exactly).
bool equalsNoCase(std::string_view a, std::string_view b);

// Ordered named byte values on a design or a colour block.
class AttributeList {
 public:
  struct Entry {
    std::string key;
    std::vector<std::uint8_t> value;
    friend bool operator==(const Entry&, const Entry&) = default;
  };

  // Removes every entry with an equal key, then appends the new one.
  void set(std::string_view key, std::vector<std::uint8_t> value);
  void setInt(std::string_view key, std::int32_t value);
  void setPoint(std::string_view key, std::int32_t x, std::int32_t y);
  void setText(std::string_view key, std::string_view text);

  // The first entry with an equal key, or null.
  const Entry* find(std::string_view key) const;
  std::optional<std::int32_t> getInt(std::string_view key) const;
  std::optional<std::pair<std::int32_t, std::int32_t>> getPoint(std::string_view key) const;
  std::optional<std::string> getText(std::string_view key) const;

  // Removes all entries with an equal key; returns how many went.
  int remove(std::string_view key);
  void clear() { entries_.clear(); }

  const std::vector<Entry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  friend bool operator==(const AttributeList&, const AttributeList&) = default;

 private:
  std::vector<Entry> entries_;
};

}  // namespace lh
