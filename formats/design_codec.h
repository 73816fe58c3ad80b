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

// Results of loadDesign. The values are the load dispatcher's codes, the integers the
// browser shows and plug-in payloads carry; loadCode gives them where an integer is needed.
// formats/README.md sets out the result convention of every kind of operation.
enum class LoadResult : std::int32_t {
  Ok = 0,              // loaded, or the path is the design's current one
  NoDesign = -1,       // no design given
  Unsupported = -252,  // the reader does not support the file's version
  NoMedium = -253,     // the drive holding the file has no medium
  Failed = -255,       // the file could not be read, or the reader failed
};
constexpr std::int32_t loadCode(LoadResult result) { return static_cast<std::int32_t>(result); }

// Design attribute set by loadDesign when a file starts with the signature of another format
// than its extension names and was read as that format: the format's upper-case name ("PES").
inline constexpr std::string_view kReadAsAttribute = "Read as";

// Largest file the loader reads: no design, text or picture file it shows comes near this.
inline constexpr std::size_t kMaxLoadedFileSize = 64u * 1024 * 1024;

// Results of a reader. The values are the reader contract's integers (0 failure, -1 an
// unsupported version, 1 success); nothing converts them to or from int implicitly.
enum class ReadResult {
  Failed = 0,
  Unsupported = -1,
  Ok = 1,
};

class DesignCodec;
struct FormatInfo;  // formats/format_table.h

// A reader fills a design from a whole file image (the span covers the file's bytes and
// nothing else) and never reads outside it. It clears stitches and threads itself and
// leaves the design centred.
using ReaderFn = ReadResult (*)(DesignCodec& codec, EmbDesign& design, ByteSpan file);
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
  // busyCount first; every return decrements it. The
  // extension chooses the reader, except that a design file starting with another format's
  // signature is read as that format (noted in kReadAsAttribute). A design type whose bytes
  // no reader took (an unknown type, a file too short for any design) fails.
  LoadResult loadDesign(EmbDesign* design, std::string_view path);
  // The same over another format table (tests use it to plant readers).
  LoadResult loadDesign(EmbDesign* design, std::string_view path, std::span<const FormatInfo> formats);

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
