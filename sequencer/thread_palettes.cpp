#include "sequencer/thread_palettes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <list>

#include "design/emb_design.h"
#include "threads/offered_charts.h"

namespace lh {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string upper(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), upperAscii);
  return out;
}

// Brands by the words of a name in capitals; every later test overrides an earlier one.
int brandOf(const std::string& u) {
  auto starts = [&](std::string_view w) { return u.starts_with(w); };
  auto has = [&](std::string_view w) { return u.find(w) != std::string::npos; };
  int brand = -1;
  if (starts("MA") || has("MADEIRA")) brand = 0;
  if (starts("SU") || has("SULKY")) brand = 1;
  if (has("ISAFIL")) brand = 2;
  if (has("ISACORD")) brand = 3;
  if (starts("RA") || starts("R-A") || has("ROBISON")) brand = 4;
  if (has("STICKMA")) brand = 5;
  if (has("ALCAZAR")) brand = 6;
  return brand;
}

template <typename Fn>
void withList(std::vector<ThreadColor>& entries, Fn fn) {
  std::list<ThreadColor> list(std::make_move_iterator(entries.begin()),
                              std::make_move_iterator(entries.end()));
  fn(list);
  entries.assign(std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()));
}

float colorKey(const ThreadColor& s, const ThreadColor& p) {
  return static_cast<float>(s.rgbSum - p.rgbSum) * 0.13020834f +
         static_cast<float>(std::abs(s.hueGroup - p.hueGroup) * 1000);
}

}  // namespace

int compareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(lowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(lowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int chartKey(std::string_view name) {
  const std::string u = upper(name);
  const bool poly = u.find("POLY") != std::string::npos && u.find("RAYON") == std::string::npos;
  switch (brandOf(u)) {
    case 0:
      return poly ? 7 : 1;
    case 1:
      return 2;
    case 2:
      return 3;
    case 3:
      return 8;
    case 4:
      return poly ? 5 : 4;
    case 5:
      return 6;
    case 6:
      return 9;
    default:
      return 0;
  }
}

// Seeded with the entry of the smallest hue group, each entry is followed by its nearest one
// left: the same hue group first, there the largest channel sum, then the nearest group. The
// seed goes to the end after the first step and is pulled into place when its group comes.
void sortByColor(std::vector<ThreadColor>& entries) {
  if (entries.size() <= 2) return;
  for (ThreadColor& e : entries) e.updateHsb();
  withList(entries, [](std::list<ThreadColor>& list) {
    auto seed = std::min_element(list.begin(), list.end(), [](const ThreadColor& a, const ThreadColor& b) {
      return a.hueGroup < b.hueGroup;
    });
    list.splice(list.begin(), list, seed);
    bool first = true;
    for (auto s = list.begin(); std::next(s) != list.end();) {
      float best = 1000000.0f;
      auto winner = list.end();
      for (auto p = std::next(s); p != list.end(); ++p) {
        const float key = colorKey(*s, *p);
        if (key <= best) {
          best = key;
          winner = p;
        }
      }
      const auto after = std::next(s);
      if (winner != list.end() && winner != after) list.splice(after, list, winner);
      const auto next = std::next(s);
      if (first) list.splice(list.end(), list, s);
      first = false;
      s = next;
    }
  });
}

// A selection scan: whenever a later entry has a smaller name it moves in front of the current
// one and becomes the current one.
void sortByName(std::vector<ThreadColor>& entries) {
  if (entries.size() <= 2) return;
  withList(entries, [](std::list<ThreadColor>& list) {
    for (auto cur = list.begin(); cur != list.end(); ++cur) {
      for (auto p = std::next(cur); p != list.end();) {
        const auto next = std::next(p);
        if (compareNoCase(p->displayName, cur->displayName) < 0) {
          list.splice(cur, list, p);
          cur = p;
        }
        p = next;
      }
    }
  });
}

void sortByCloseness(std::vector<ThreadColor>& entries, const ThreadColor& thread) {
  if (entries.size() <= 2) return;
  ThreadColor t = thread;
  std::vector<float> distance(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) distance[i] = colorDistance(t, entries[i]);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    for (std::size_t j = i + 1; j < entries.size(); ++j) {
      if (distance[j] < distance[i]) {
        std::swap(entries[i], entries[j]);
        std::swap(distance[i], distance[j]);
      }
    }
  }
}

std::vector<ThreadPalette> splitPalettes(std::span<const ThreadColor> received, std::string_view designPath) {
  std::vector<ThreadPalette> palettes;
  if (received.empty()) return palettes;
  if (!isChartHeader(received.front().rgb))
    palettes.push_back({upper(extensionOf(designPath)) + " colors", {}});
  for (const ThreadColor& t : received) {
    if (isChartHeader(t.rgb)) {
      palettes.push_back({t.displayName, {}});
      continue;
    }
    ThreadColor entry = t;
    entry.chartIndex = static_cast<std::int32_t>(palettes.size() - 1);
    entry.updateHsb();
    palettes.back().entries.push_back(std::move(entry));
  }
  for (ThreadPalette& p : palettes) sortByColor(p.entries);
  return palettes;
}

}  // namespace lh
