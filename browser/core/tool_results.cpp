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
  std::vector<std::size_t> placed;
  for (std::size_t n = 0; n < created.size(); ++n) {
    FileItem item = parseItemText(created[n]);
    const FileItem* source = n < origins.size() ? sourceOf(sources, origins[n]) : nullptr;
    std::optional<std::size_t> at;
    if (source != nullptr) {
      item.treeItem = source->treeItem;
      if (!as.temporary) item.extra = source->extra;
      if (const auto i = listed(list, *source)) {
        // After the source and the files already put after it in this run.
        std::size_t after = *i + 1;
        while (std::find(placed.begin(), placed.end(), after) != placed.end()) ++after;
        at = after;
      }
    }
    item.isSelected = as.select;
    item.isAnchor = as.select && placed.empty();
    item.isTemporary = as.temporary;
    item.deleteAtClose = as.temporary && as.deleteAtClose;
    const std::size_t index = at.value_or(list.size());
    list.insert(index, std::move(item));
    for (std::size_t& p : placed)
      if (p >= index) ++p;
    placed.push_back(index);
  }
  std::sort(placed.begin(), placed.end());
  return placed;
}

}  // namespace lh
