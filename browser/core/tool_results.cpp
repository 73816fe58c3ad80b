#include "browser/core/tool_results.h"

#include <algorithm>
#include <optional>

namespace lh {

RunItems takeRunItems(FileList& list, bool keepSelection) {
  RunItems run;
  for (const std::size_t i : list.selectedIndexes()) {
    run.sources.push_back(list[i]);
    run.locations.push_back(list[i].location());
    if (!keepSelection) {
      list[i].isSelected = false;
      list[i].isAnchor = false;
    }
  }
  return run;
}

namespace {

const FileItem* sourceOf(const std::vector<FileItem>& sources, const std::string& origin) {
  const auto it = std::find_if(sources.begin(), sources.end(),
                               [&](const FileItem& s) { return s.location() == origin; });
  return it == sources.end() ? nullptr : &*it;
}

std::optional<std::size_t> listed(const FileList& list, const FileItem& source) {
  const std::string text = itemText(source);
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].treeItem == source.treeItem && itemText(list[i]) == text) return i;
  return std::nullopt;
}

}  // namespace

std::vector<std::size_t> placeCreated(FileList& list, const std::vector<FileItem>& sources,
                                      const std::vector<std::string>& created,
                                      const std::vector<std::string>& origins, const PlacedAs& as) {
  // The new items so far: where they are and the source each came from.
  std::vector<std::pair<std::size_t, std::string>> placed;
  const auto placedFrom = [&](std::size_t index, const std::string& origin) {
    return std::any_of(placed.begin(), placed.end(),
                       [&](const auto& p) { return p.first == index && p.second == origin; });
  };
  for (std::size_t n = 0; n < created.size(); ++n) {
    FileItem item = parseItemText(created[n]);
    const std::string origin = n < origins.size() ? origins[n] : std::string();
    const FileItem* source = sourceOf(sources, origin);
    std::optional<std::size_t> at;
    if (source != nullptr) {
      item.treeItem = source->treeItem;
      if (!as.temporary) item.extra = source->extra;
      if (const auto i = listed(list, *source)) {
        // After the source and the files already put after it in this run.
        std::size_t after = *i + 1;
        while (placedFrom(after, origin)) ++after;
        at = after;
      }
    }
    item.isSelected = as.select;
    item.isAnchor = as.select && placed.empty();
    item.isTemporary = as.temporary;
    item.deleteAtClose = as.temporary && as.deleteAtClose;
    const std::size_t index = at.value_or(list.size());
    list.insert(index, std::move(item));
    for (auto& p : placed)
      if (p.first >= index) ++p.first;
    placed.emplace_back(index, origin);
  }
  std::vector<std::size_t> indexes;
  for (const auto& p : placed) indexes.push_back(p.first);
  std::sort(indexes.begin(), indexes.end());
  return indexes;
}

}  // namespace lh
