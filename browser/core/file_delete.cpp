#include "browser/core/file_delete.h"

#include <map>

#include "browser/core/file_list_texts.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

// The selected members of one archive, by list index.
struct ArchiveBatch {
  std::vector<std::size_t> indexes;
  std::vector<std::string> members;
};

// Deletes the batch's members in one rewrite; when that fails (a member already gone, say),
// one by one, so that those that can go do. Returns the indexes deleted.
std::vector<std::size_t> deleteMembers(const std::string& archive, const ArchiveBatch& batch) {
  if (ZipArchive::deleteMembers(archive, batch.members)) return batch.indexes;
  std::vector<std::size_t> done;
  for (std::size_t i = 0; i < batch.members.size(); ++i)
    if (ZipArchive::deleteMember(archive, batch.members[i])) done.push_back(batch.indexes[i]);
  return done;
}

}  // namespace

DeleteResult deleteSelected(FileList& list, const TrashFunction& trash, const RemovedFunction& removed) {
  DeleteResult result;
  std::map<std::string, ArchiveBatch> archives;
  std::vector<std::size_t> plain;
  for (const std::size_t i : list.selectedIndexes()) {
    const FileItem& item = list[i];
    if (item.isArchiveMember()) {
      ArchiveBatch& batch = archives[item.archive];
      batch.indexes.push_back(i);
      batch.members.push_back(item.path());
    } else {
      plain.push_back(i);
    }
  }
  std::vector<bool> gone(list.size(), false);
  for (const auto& [archive, batch] : archives)
    for (const std::size_t i : deleteMembers(archive, batch)) gone[i] = true;
  for (const std::size_t i : plain) gone[i] = trash && trash(list[i].path());

  std::vector<std::size_t> leaving;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!list[i].isSelected) continue;
    if (!gone[i]) {
      result.failed.push_back(list[i].location());
      continue;
    }
    leaving.push_back(i);
    if (removed) removed(itemText(list[i]));
  }
  list.removeAt(leaving);
  result.deleted = leaving.size();
  return result;
}

std::string deleteFailedText(const DeleteResult& result) {
  if (result.failed.empty()) return {};
  std::string names;
  for (const std::string& f : result.failed) names += f + "\n";
  return texts::pathText(texts::kDeleteFailed, names);
}

}  // namespace lh
