#include "design/attribute_list.h"

#include <algorithm>
#include <cstring>

namespace lh {

namespace {
char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::vector<std::uint8_t> bytesOf(const void* p, std::size_t n) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  return {b, b + n};
}
}  // namespace

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  return true;
}

void AttributeList::set(std::string_view key, std::vector<std::uint8_t> value) {
  remove(key);
  entries_.push_back({std::string(key), std::move(value)});
}

void AttributeList::setInt(std::string_view key, std::int32_t value) { set(key, bytesOf(&value, 4)); }

void AttributeList::setPoint(std::string_view key, std::int32_t x, std::int32_t y) {
  std::int32_t xy[2] = {x, y};
  set(key, bytesOf(xy, 8));
}

void AttributeList::setText(std::string_view key, std::string_view text) {
  set(key, bytesOf(text.data(), text.size()));
}

const AttributeList::Entry* AttributeList::find(std::string_view key) const {
  for (const auto& e : entries_)
    if (equalsNoCase(e.key, key)) return &e;
  return nullptr;
}

std::optional<std::int32_t> AttributeList::getInt(std::string_view key) const {
  const Entry* e = find(key);
  if (!e || e->value.size() < 4) return std::nullopt;
  std::int32_t v;
  std::memcpy(&v, e->value.data(), 4);
  return v;
}

std::optional<std::pair<std::int32_t, std::int32_t>> AttributeList::getPoint(std::string_view key) const {
  const Entry* e = find(key);
  if (!e || e->value.size() < 8) return std::nullopt;
  std::int32_t xy[2];
  std::memcpy(xy, e->value.data(), 8);
  return std::pair{xy[0], xy[1]};
}

std::optional<std::string> AttributeList::getText(std::string_view key) const {
  const Entry* e = find(key);
  if (!e) return std::nullopt;
  return std::string(e->value.begin(), e->value.end());
}

int AttributeList::remove(std::string_view key) {
  auto it = std::remove_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return equalsNoCase(e.key, key); });
  int n = static_cast<int>(entries_.end() - it);
  entries_.erase(it, entries_.end());
  return n;
}

}  // namespace lh
