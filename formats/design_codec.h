#pragma once
// The object whose operations are every reader and writer, and the load entry point.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "design/emb_design.h"
#include "design/settings.h"
#include "formats/bytes.h"

namespace lh {

// Where user-facing failure texts go (the CLI prints them to stderr, the GUI shows a box).
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void showMessage(std::string_view text, std::string_view caption) = 0;
};

// "Is the medium holding this path ready?" (no disc in a removable drive answers false).
class MediaCheck {
 public:
  virtual ~MediaCheck() = default;
  virtual bool isReady(std::string_view path) const = 0;
};

// Reader results: 0 failure, -1 unsupported version, anything else success.
inline constexpr int kReadFailed = 0;
inline constexpr int kReadUnsupported = -1;
inline constexpr int kReadOk = 1;

class DesignCodec;

// A reader fills a design from a whole file image (the span covers the file's bytes and
// nothing else) and never reads outside it. It clears stitches and threads itself and
// leaves the design centred.
using ReaderFn = int (*)(DesignCodec& codec, EmbDesign& design, ByteSpan file);
// A writer takes a working copy it may change and returns the file image, or nothing when
// the design cannot be written in its format.
using WriterFn = std::optional<ByteBuffer> (*)(DesignCodec& codec, EmbDesign& design);

}  // namespace lh
