#include "browser/app/tips.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <system_error>

#include "files/regular_file.h"

namespace lh {
namespace {

constexpr std::size_t kMaxTipsFileSize = 4u << 20;

bool isTipLine(std::string_view line) {
  if (line.empty()) return false;
  const char c = line.front();
  return c != ' ' && c != '\t' && c != '\r' && c != ';';
}

// The first tip line starting in [from, to); nothing when there is none.
std::optional<TipRead> firstTipBetween(std::string_view text, std::size_t from, std::size_t to) {
  for (std::size_t start = from; start < to;) {
    const std::size_t newline = text.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
    std::string_view line = text.substr(start, end - start);
    const std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
    if (isTipLine(line)) {
      if (line.back() == '\r') line.remove_suffix(1);
      return TipRead{TipStatus::Ok, std::string(line.substr(0, kMaxTipLength)),
                     static_cast<std::int64_t>(next)};
    }
    start = next;
  }
  return std::nullopt;
}

std::optional<std::string> readTipsFile(const std::string& path) {
  if (checkRegularFile(path) != OpenCheck::Regular) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  text.resize(kMaxTipsFileSize);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return std::nullopt;
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

}  // namespace

TipRead nextTipIn(std::string_view text, std::int64_t pos) {
  if (pos < 0 || static_cast<std::uint64_t>(pos) > text.size()) return TipRead{TipStatus::BadPosition, {}, 0};
  const auto at = static_cast<std::size_t>(pos);
  if (auto tip = firstTipBetween(text, at, text.size())) return *tip;
  if (auto tip = firstTipBetween(text, 0, text.size())) return *tip;
  return TipRead{TipStatus::NoTips, {}, 0};
}

std::string tipsTimeStamp(const std::string& path) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(path, error);
  if (error) return {};
  const auto since1970 = std::chrono::file_clock::to_sys(time).time_since_epoch();
  return std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count());
}

TipFile::TipFile(SettingsStore& store, std::string path) : store_(store), path_(std::move(path)) {
  const std::string stamp = tipsTimeStamp(path_);
  exists_ = !stamp.empty();
  pos_ = store_.getInt(kTipStartUp.section, kTipFilePosKey, 0);
  if (exists_ && stamp != store_.getString(kTipStartUp.section, kTipTimeStampKey, "")) {
    store_.setString(kTipStartUp.section, kTipTimeStampKey, stamp);
    pos_ = 0;
  }
}

TipRead TipFile::next() {
  const std::optional<std::string> text = readTipsFile(path_);
  if (!text) return TipRead{TipStatus::NoFile, std::string(kNoTipsFile), pos_};
  TipRead read = nextTipIn(*text, pos_);
  pos_ = read.nextPos;
  if (read.status == TipStatus::BadPosition) read.tip = kTipsTrouble;
  return read;
}

void TipFile::savePosition() {
  const auto stored = std::min<std::int64_t>(pos_, std::numeric_limits<int>::max());
  store_.setInt(kTipStartUp.section, kTipFilePosKey, static_cast<int>(stored));
}

bool tipsAtStartUp(const SettingsStore& store) { return readSetting(store, kTipStartUp) == 0; }

void setTipsAtStartUp(SettingsStore& store, bool show) {
  store.setInt(kTipStartUp.section, kTipStartUp.key, show ? 0 : 1);
}

}  // namespace lh
