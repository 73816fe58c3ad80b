#pragma once
// The compound-document container (structured storage) that ART, EMB and JAN designs are
// kept in: a header, a sector allocation table, a mini-sector table for small streams and
// a directory of named storages and streams. Every offset, chain and size is checked
// against the file; a broken container is rejected, never followed outside the data.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/design_codec.h"

namespace lh {

struct CompoundEntry {
  enum Type : std::uint8_t { Empty = 0, Storage = 1, Stream = 2, Root = 5 };

  std::u16string name;
  Type type = Empty;
  std::uint32_t left = 0, right = 0, child = 0;  // directory tree links (entry indexes)
  std::uint32_t startSector = 0;
  std::uint64_t size = 0;

  // The name as UTF-8.
  std::string nameUtf8() const;
};

class CompoundFile {
 public:
  enum class Status {
    Ok,
    NotCompound,     // no container signature
    BadHeader,       // sector sizes, byte order or table counts out of range
    BadSectorTable,  // the allocation table's sectors lie outside the file
    BadDirectory,    // the directory chain or its root entry is broken
    BadMiniStream,   // the mini-sector table or the mini stream is broken
  };

  static constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
  static constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
  static constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

  // Reads the header, the sector and mini-sector tables and the directory of `file`, which
  // must stay alive while streams are read.
  Status parse(ByteSpan file);

  std::size_t sectorSize() const { return sectorSize_; }
  const std::vector<CompoundEntry>& entries() const { return entries_; }
  // The first storage or stream entry whose name equals `name`, compared without regard to
  // the case of ASCII letters; null when there is none.
  const CompoundEntry* find(std::u16string_view name) const;
  // The content of a stream entry; nothing when its chain is broken or shorter than its size.
  std::optional<ByteBuffer> readStream(const CompoundEntry& entry) const;

 private:
  // The sectors of a chain from `start`; nothing when it leaves `table` or loops.
  static std::optional<std::vector<std::uint32_t>> chain(const std::vector<std::uint32_t>& table,
                                                         std::uint32_t start);
  // Bytes of regular sector s, or an empty span when it lies outside the file.
  ByteSpan sector(std::uint32_t s) const;
  std::optional<ByteBuffer> readChain(std::uint32_t start, std::uint64_t size) const;
  Status readSectorTable(std::uint32_t fatSectors, std::uint32_t difatStart, std::uint32_t difatSectors);
  Status readDirectory(std::uint32_t start);
  Status readMiniStream(std::uint32_t miniFatStart, std::uint32_t miniFatSectors);

  ByteSpan file_;
  std::size_t sectorSize_ = 512;
  std::size_t miniSectorSize_ = 64;
  std::uint32_t miniCutoff_ = 4096;
  bool version4_ = false;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> miniFat_;
  ByteBuffer miniStream_;
  std::vector<CompoundEntry> entries_;
};

// Reader of ART, EMB and JAN designs (the extension of design.path picks the variant): the
// design is one stream of the container. Returns ReadResult::Unsupported whenever no stitch is read,
// a broken container included.
ReadResult readCompound(DesignCodec& codec, EmbDesign& design, ByteSpan file);

}  // namespace lh
