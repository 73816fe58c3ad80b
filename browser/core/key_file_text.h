#pragma once
// The lines of a key file (desktop entries, mimeapps.list) as they stand, for reading values
// and for rewriting one line while every other byte of the file stays as it was.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

// `text` with A to Z in lower case (desktop names, program names to sort by).
std::string asciiLower(std::string text);

// Reads a key file of at most 1 MiB; nothing when it is missing, not a regular file, larger
// or unreadable.
std::optional<std::string> readKeyFile(const std::string& path);

class KeyFileLines {
 public:
  // Views into `text`, which must outlive this object.
  explicit KeyFileLines(std::string_view text);

  std::size_t size() const { return lines_.size(); }
  // Line `i` with its line end ("\n", "\r\n" or none for a last line without one).
  std::string_view line(std::size_t i) const { return lines_[i]; }

  // The lines [first, end) after the first "[name]" header, up to the next header.
  struct Group {
    std::size_t header = 0;
    std::size_t first = 0;
    std::size_t end = 0;
  };
  std::optional<Group> group(std::string_view name) const;

  // Line `i` as "key=value", blanks around both trimmed; an empty key for comments, blank
  // lines and headers.
  struct Entry {
    std::string_view key;
    std::string_view value;
  };
  Entry entry(std::size_t i) const;

 private:
  std::vector<std::string_view> lines_;
};

}  // namespace lh
