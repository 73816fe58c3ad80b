// Arbitrary bytes as the two non-design types the loader shows: a text file (8-bit or UTF-16,
// cut as the loader cuts it) and a bitmap file taken into picture mode.
#include <cstddef>
#include <cstdint>

#include "formats/format_table.h"
#include "formats/text_file.h"
#include "render/cdib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lh::ByteSpan bytes(data, size);
  const std::string text = lh::decodeText(bytes.first(std::min(size, lh::kTextLimit)));
  if (text.size() > 3 * lh::kTextLimit) __builtin_trap();  // at most three UTF-8 bytes per input pair
  lh::EmbDesign design;
  if (lh::setPicture(design, bytes) && (!design.holdsPicture || design.picture.size() != size))
    __builtin_trap();
  return 0;
}
