#include "browser/core/key_file_text.h"

#include <unistd.h>

#include "files/regular_file.h"

namespace lh {
namespace {

constexpr std::size_t kMaxKeyFileSize = 1u << 20;

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// "name" of a "[name]" line; nothing for other lines.
std::optional<std::string_view> headerName(std::string_view line) {
  const std::string_view t = trimmed(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
  return t.substr(1, t.size() - 2);
}

}  // namespace

std::string asciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::optional<std::string> readKeyFile(const std::string& path) {
  const OpenedFile opened = openRegularFile(path);
  if (opened.check != OpenCheck::Regular) return std::nullopt;
  std::string text(kMaxKeyFileSize + 1, '\0');
  std::size_t used = 0;
  while (used < text.size()) {
    const ssize_t got = ::read(opened.fd, text.data() + used, text.size() - used);
    if (got < 0) {
      ::close(opened.fd);
      return std::nullopt;
    }
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  ::close(opened.fd);
  if (used > kMaxKeyFileSize) return std::nullopt;
  text.resize(used);
  return text;
}

KeyFileLines::KeyFileLines(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = text.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    lines_.push_back(text.substr(start, end - start));
    start = end;
  }
}

std::optional<KeyFileLines::Group> KeyFileLines::group(std::string_view name) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (headerName(lines_[i]) != name) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !headerName(lines_[end])) ++end;
    return Group{i, i + 1, end};
  }
  return std::nullopt;
}

KeyFileLines::Entry KeyFileLines::entry(std::size_t i) const {
  const std::string_view t = trimmed(lines_[i]);
  if (t.empty() || t.front() == '#' || t.front() == '[') return {};
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) return {};
  return Entry{trimmed(t.substr(0, eq)), trimmed(t.substr(eq + 1))};
}

}  // namespace lh
