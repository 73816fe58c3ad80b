// Arbitrary bytes as a zip archive: listing and reading every member stays inside the image,
// never yields more than the member size limit, and reads the same by any letter case.
#include <cstddef>
#include <cstdint>

#include "zip/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> archive(data, size);
  const auto members = lh::ZipArchive::listMembers(archive);
  for (const std::string& member : members) {
    const auto bytes = lh::ZipArchive::readMember(archive, member);
    if (bytes.size() > lh::ZipArchive::kMaxMemberSize) __builtin_trap();
    (void)lh::ZipArchive::safeFileName(member);
  }
  (void)lh::splitZipPath(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
