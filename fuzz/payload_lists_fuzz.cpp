// The small payload readers, chosen by the first byte: the whole-file payload, the file-type
// list and the thread text (read onto as many threads as the second byte says).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "plugin/payload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const lh::ByteSpan rest(data + 2, size - 2);
  switch (data[0] % 3) {
    case 0: {
      const lh::WholeFilePayload file = lh::readWholeFilePayload(rest);
      if (file.file.size() > rest.size()) __builtin_trap();
      break;
    }
    case 1: {
      const lh::FileTypeList list = lh::readFileTypeListPayload(rest);
      for (const std::string& name : list.names)
        if (name.empty() || name.size() > rest.size()) __builtin_trap();
      break;
    }
    default: {
      std::vector<lh::ThreadColor> threads(data[1]);
      const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
      const auto named = lh::applyThreadText(text, threads);
      if (named && *named > threads.size()) __builtin_trap();
      if (named && *named > 0 && lh::threadText(std::span(threads).first(*named)).size() > text.size() + 1) __builtin_trap();
      break;
    }
  }
  return 0;
}
