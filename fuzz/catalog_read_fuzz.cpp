// Arbitrary bytes as a catalog file: reading stays inside them, and what is read writes back
// into bytes that read again as the same tree and write again as the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "catalog/catalog_file.h"

namespace {

bool sameCategory(const lh::Category& a, const lh::Category& b) {
  if (a.name() != b.name() || a.entries() != b.entries() || a.childCount() != b.childCount()) return false;
  for (std::size_t i = 0; i < a.childCount(); ++i)
    if (!sameCategory(a.child(i), b.child(i))) return false;
  return true;
}

bool sameTree(const lh::Catalog& a, const lh::Catalog& b) {
  if (a.topLevelCount() != b.topLevelCount()) return false;
  for (std::size_t i = 0; i < a.topLevelCount(); ++i)
    if (!sameCategory(a.topLevel(i), b.topLevel(i))) return false;
  return true;
}

std::span<const std::uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lh::Catalog read = lh::readCatalog({data, size});
  const std::string written = lh::writeCatalog(read);
  lh::CatalogReadStats stats;
  const lh::Catalog again = lh::readCatalog(bytesOf(written), &stats);
  if (!sameTree(read, again) || stats.droppedEntries != 0 || stats.nulBytes != 0) __builtin_trap();
  if (lh::writeCatalog(again) != written) __builtin_trap();
  return 0;
}
