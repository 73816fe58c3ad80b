#pragma once
// The object whose operations are every reader and writer, and the load entry point.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
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

// A sink that drops every message.
class SilentMessages final : public MessageSink {
 public:
  void showMessage(std::string_view, std::string_view) override {}
};

// Every medium is ready (tests, the command-line tool, platforms without removable drives).
class AlwaysReady final : public MediaCheck {
 public:
  bool isReady(std::string_view) const override { return true; }
};

// Results of loadDesign.
inline constexpr std::int32_t kLoadOk = 0;
inline constexpr std::int32_t kLoadNoDesign = -1;
inline constexpr std::int32_t kLoadUnsupported = -252;
inline constexpr std::int32_t kLoadNoMedium = -253;
inline constexpr std::int32_t kLoadFailed = -255;

// Design attribute set by loadDesign when a file starts with the signature of another format
// than its extension names and was read as that format: the format's upper-case name ("PES").
inline constexpr std::string_view kReadAsAttribute = "Read as";

// Largest file the loader reads: no design, text or picture file it shows comes near this.
inline constexpr std::size_t kMaxLoadedFileSize = 64u * 1024 * 1024;

// Reader results: 0 failure, -1 unsupported version, anything else success.
inline constexpr int kReadFailed = 0;
inline constexpr int kReadUnsupported = -1;
inline constexpr int kReadOk = 1;

class DesignCodec;
struct FormatInfo;  // formats/format_table.h

// A reader fills a design from a whole file image (the span covers the file's bytes and
// nothing else) and never reads outside it. It clears stitches and threads itself and
// leaves the design centred.
using ReaderFn = int (*)(DesignCodec& codec, EmbDesign& design, ByteSpan file);
// A writer takes a working copy it may change and returns the file image, or nothing when
// the design cannot be written in its format.
using WriterFn = std::optional<ByteBuffer> (*)(DesignCodec& codec, EmbDesign& design);

// Every reader and writer is an operation over a DesignCodec: it carries the settings, the
// message sink and the media check they use. Cheap to create; busyCount counts loads in
// progress and is its only state between calls.
class DesignCodec {
 public:
  // Null arguments use defaults: settings of its own in memory (every value at its default
  // until written), a sink that drops messages, and a media check that is always ready.
  explicit DesignCodec(SettingsStore* settings = nullptr, MessageSink* messages = nullptr,
                       const MediaCheck* media = nullptr);

  SettingsStore& settings() const { return *settings_; }
  MessageSink& messages() const { return *messages_; }
  const MediaCheck& media() const { return *media_; }

  std::atomic<std::int32_t> busyCount{0};

  // The single load entry point (plain paths and "Zip:" member paths). The caller increments
  // busyCount first; every return decrements it. Results are the kLoad* values. The
  // extension chooses the reader, except that a design file starting with another format's
  // signature is read as that format (noted in kReadAsAttribute). A design type whose bytes
  // no reader took (an unknown type, a file too short for any design) fails.
  std::int32_t loadDesign(EmbDesign* design, std::string_view path);
  // The same over another format table (tests use it to plant readers).
  std::int32_t loadDesign(EmbDesign* design, std::string_view path, std::span<const FormatInfo> formats);

  // The file's (or "Zip:" member's) bytes followed by one zero byte; nothing when the medium
  // is not ready or the file cannot be read or is empty.
  std::optional<ByteBuffer> readFileBlock(std::string_view path) const;

 private:
  std::unique_ptr<SettingsStore> ownSettings_;  // used when no store was given
  SettingsStore* settings_;
  MessageSink* messages_;
  const MediaCheck* media_;
};

}  // namespace lh
