#pragma once
// The tool report: lines collected during a tool run, each ending in CR LF.
#include <string>
#include <string_view>

namespace lh {

class ToolReport {
 public:
  void addLine(std::string_view line) {
    text_ += line;
    text_ += "\r\n";
  }
  // Appends another report's lines (a design handled on its own, merged in input order).
  void append(const ToolReport& other) { text_ += other.text_; }
  void clear() { text_.clear(); }
  bool empty() const { return text_.empty(); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace lh
