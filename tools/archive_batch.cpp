#include "tools/archive_batch.h"

#include "zip/zip_archive.h"

namespace lh {

std::optional<std::string> ArchiveBatch::add(const std::string& zipPath, ByteSpan bytes) {
  const auto zip = splitZipPath(zipPath);
  if (!zip || zip->member.empty()) return std::nullopt;
  auto [it, fresh] = pending_.try_emplace(zip->archive);
  Pending& p = it->second;
  if (fresh) p.taken = TakenMemberNames(ZipArchive::listMembers(zip->archive));
  const std::string name = p.taken.takeFirstFree(zip->member);
  p.members.emplace_back(name, ByteBuffer(bytes.begin(), bytes.end()));
  bytes_ += bytes.size();
  return makeZipPath(zip->archive, name);
}

ArchiveBatch::Written ArchiveBatch::write() {
  Written out;
  for (auto& [archive, p] : pending_) {
    std::vector<ZipArchive::NewMember> members;
    members.reserve(p.members.size());
    for (const auto& [name, bytes] : p.members) members.push_back({name, bytes});
    // Unique names again: another program may have stored a member of a taken name meanwhile.
    const auto names = ZipArchive::storeMembers(archive, members, ZipUniqueName);
    if (!names) {
      out.failedArchives.push_back(archive);
      if (!ZipArchive::mayRewrite(archive)) out.readOnlyArchives.push_back(archive);
      continue;
    }
    for (std::size_t i = 0; i < names->size(); ++i)
      out.stored[makeZipPath(archive, p.members[i].first)] = makeZipPath(archive, (*names)[i]);
  }
  pending_.clear();
  bytes_ = 0;
  return out;
}

}  // namespace lh
