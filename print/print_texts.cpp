#include "print/print_texts.h"

#include <array>
#include <cstdio>

namespace lh::print {

std::string printedLine(std::time_t when) {
  static constexpr std::array<const char*, 7> kDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm t{};
  if (localtime_r(&when, &t) == nullptr) return "Printed ";
  char text[64];
  std::snprintf(text, sizeof text, "Printed %s %s %2d %02d:%02d:%02d %d", kDays[static_cast<std::size_t>(t.tm_wday % 7)],
                kMonths[static_cast<std::size_t>(t.tm_mon % 12)], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                t.tm_year + 1900);
  return text;
}

std::string pageLine(int page) { return "Page: " + std::to_string(page); }

std::string countsLine(int records, int colors) {
  return std::to_string(records - colors + 1) + " stitches : " + std::to_string(colors) + " colors";
}

std::string contentsNumeral(int k) {
  if (k == 50) return "L";
  if (k < 1 || k > 50) return "";
  static constexpr std::array<const char*, 5> kTens{"", "x", "xx", "xxx", "xl"};
  static constexpr std::array<const char*, 10> kUnits{"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"};
  return std::string(kTens[static_cast<std::size_t>(k / 10)]) + kUnits[static_cast<std::size_t>(k % 10)];
}

std::string contentsFootLine(int k) {
  const std::string numeral = contentsNumeral(k);
  return numeral.empty() ? "Page " : "Page (" + numeral + ")";
}

std::string contentsLine(int page, std::string_view location) {
  char number[32];
  std::snprintf(number, sizeof number, "%-4i ... ", page);
  return number + std::string(location);
}

std::string printedName(const FileItem& item) {
  const auto slash = item.name.find_last_of('/');
  return slash == std::string::npos ? item.name : item.name.substr(slash + 1);
}

std::string cellLocation(const FileItem& item, std::string_view categoryName) {
  if (!categoryName.empty()) return std::string(categoryName);
  if (!item.folder.empty()) return item.folder;
  return item.archive;
}

std::string folderLocation(const FileItem& item) {
  if (!item.isArchiveMember() || item.folder.empty()) return item.isArchiveMember() ? item.archive : item.folder;
  return "Zip:" + item.archive + ":" + item.folder;
}

}  // namespace lh::print
