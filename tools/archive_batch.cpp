#include "tools/archive_batch.h"

#include "files/save_file.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

std::string folded(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

std::optional<std::string> ArchiveBatch::add(const std::string& zipPath, ByteSpan bytes) {
  const auto zip = splitZipPath(zipPath);
  if (!zip || zip->member.empty()) return std::nullopt;
  auto [it, fresh] = pending_.try_emplace(zip->archive);
  Pending& p = it->second;
  if (fresh)
    for (const std::string& m : ZipArchive::listMembers(zip->archive)) p.taken.insert(folded(m));
  // The "(n)" sequence of a wanted name goes on where it stopped: every name before is taken.
  std::string& last = p.last[zip->member];
  std::string name = last.empty() ? zip->member : last;
  while (p.taken.contains(folded(name))) name = nextUniqueName(name);
  p.taken.insert(folded(name));
  last = name;
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
