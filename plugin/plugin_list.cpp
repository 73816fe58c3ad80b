#include "plugin/plugin_list.h"

#include <algorithm>
#include <cctype>

namespace lh {

namespace {

char lowerAscii(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool lessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return lowerAscii(x) < lowerAscii(y); });
}

bool startsWithRunDigit(std::string_view value) {
  return !value.empty() && value[0] >= '1' && value[0] <= '9';
}

}  // namespace

std::string PluginEntry::program() const {
  const bool digit = !value.empty() && value[0] >= '0' && value[0] <= '9';
  return digit ? value.substr(1) : value;
}

bool PluginEntry::runsOnItsOwn() const { return startsWithRunDigit(value); }

PluginList::PluginList(const std::map<std::string, std::string>& values) {
  entries_.reserve(values.size());
  for (const auto& [name, value] : values) entries_.push_back({name, value, std::nullopt});
  // The map's exact order breaks ties between names equal but for case.
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const PluginEntry& a, const PluginEntry& b) { return lessIgnoringCase(a.name, b.name); });
  const std::size_t withCommands = std::min<std::size_t>(entries_.size(), kMaxPluginCommands);
  for (std::size_t k = 0; k < withCommands; ++k) entries_[k].command = kFirstPluginCommand + static_cast<int>(k);
}

const PluginEntry* PluginList::byCommand(int command) const {
  const long k = static_cast<long>(command) - kFirstPluginCommand;
  if (k < 0 || k >= kMaxPluginCommands || static_cast<std::size_t>(k) >= entries_.size()) return nullptr;
  return &entries_[static_cast<std::size_t>(k)];
}

const PluginEntry* PluginList::byName(std::string_view name) const {
  const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const PluginEntry& e) { return e.name == name; });
  return it == entries_.end() ? nullptr : &*it;
}

const PluginEntry* PluginList::sequencer() const {
  for (const PluginEntry& e : entries_) {
    std::string lower = e.value;
    std::transform(lower.begin(), lower.end(), lower.begin(), lowerAscii);
    if (lower.find(kSequencerProgramMark) != std::string::npos) return &e;
  }
  return nullptr;
}

const PluginEntry* PluginList::withProgram(std::string_view name) const {
  const PluginEntry* e = byName(name);
  return e != nullptr && !e->program().empty() ? e : nullptr;
}

bool PluginList::hasHuetide() const { return withProgram(kHuetideName) != nullptr; }

const PluginEntry* PluginList::cardWriter() const {
  const PluginEntry* newer = withProgram(kCardWriterName);
  return newer != nullptr ? newer : withProgram(kOldCardWriterName);
}

bool PluginList::hasNewerCardWriter() const { return withProgram(kCardWriterName) != nullptr; }

}  // namespace lh
