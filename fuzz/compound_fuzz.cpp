// Arbitrary bytes as a compound document (ART, EMB, JAN): the container parser must stay
// inside them and every stream it lists must read or fail cleanly.
#include <cstddef>
#include <cstdint>

#include "formats/compound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lh::ByteSpan file(data, size);
  lh::CompoundFile container;
  if (container.parse(file) == lh::CompoundFile::Status::Ok) {
    for (const lh::CompoundEntry& e : container.entries()) {
      if (auto stream = container.readStream(e)) {
        if (stream->size() != e.size) __builtin_trap();
      }
      (void)e.nameUtf8();
    }
  }
  lh::DesignCodec codec;
  lh::EmbDesign design;
  design.path = "design.emb";
  if (lh::readCompound(codec, design, file) != lh::ReadResult::Unsupported) __builtin_trap();
  return 0;
}
