// Damaged bitmap files: CDib must reject or hold them without reading outside the data, and
// what it holds must write back to a file it reads again identically.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "render/cdib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lh::CDib dib;
  if (dib.readFromMemory(std::span<const std::uint8_t>(data, size)) == 0) return 0;
  for (int i = 0; i < dib.colourCount(); ++i) (void)dib.colourAt(i);
  const std::vector<std::uint8_t> out = dib.write();
  lh::CDib again;
  if (again.readFromMemory(out) != out.size() || again.write() != out) std::abort();
  (void)lh::CDib::paintPlan({0, 0, 200, 150}, {0, 0, dib.width(), dib.height()});
  return 0;
}
