#include "formats/compound.h"

#include <algorithm>
#include <array>

#include "design/emb_design.h"
#include "formats/text_file.h"

namespace lh {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t kHeaderSize = 512;
constexpr std::uint16_t kByteOrderMark = 0xFFFE;
constexpr std::size_t kHeaderDifatAt = 76;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kNameBytes = 64;

char16_t foldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool sameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return foldAscii(x) == foldAscii(y);
         });
}

std::uint32_t u32At(ByteSpan s, std::size_t at) {
  ByteReader r(s, std::min(at, s.size()));
  return r.u32le();
}

}  // namespace

std::string CompoundEntry::nameUtf8() const { return utf16ToUtf8(name); }

CompoundFile::Status CompoundFile::parse(ByteSpan file) {
  *this = CompoundFile();
  file_ = file;
  ByteReader r(file);
  ByteSpan magic = r.bytes(kSignature.size());
  if (!r.good() || !std::equal(magic.begin(), magic.end(), kSignature.begin())) return Status::NotCompound;
  if (file.size() < kHeaderSize) return Status::BadHeader;

  r.seek(26);
  const std::uint16_t major = r.u16le();
  const std::uint16_t byteOrder = r.u16le();
  const std::uint16_t sectorShift = r.u16le();
  const std::uint16_t miniShift = r.u16le();
  // Version 3 uses 512-byte sectors, version 4 4096-byte ones.
  const bool sizeMatchesVersion = (major == 3 && sectorShift == 9) || (major == 4 && sectorShift == 12);
  if (byteOrder != kByteOrderMark || !sizeMatchesVersion || miniShift != 6) return Status::BadHeader;
  version4_ = major == 4;
  sectorSize_ = std::size_t{1} << sectorShift;
  miniSectorSize_ = std::size_t{1} << miniShift;
  if (file.size() < sectorSize_) return Status::BadHeader;

  r.seek(44);
  const std::uint32_t fatSectors = r.u32le();
  const std::uint32_t directoryStart = r.u32le();
  r.skip(4);  // transaction signature
  miniCutoff_ = r.u32le();
  const std::uint32_t miniFatStart = r.u32le();
  const std::uint32_t miniFatSectors = r.u32le();
  const std::uint32_t difatStart = r.u32le();
  const std::uint32_t difatSectors = r.u32le();

  if (Status s = readSectorTable(fatSectors, difatStart, difatSectors); s != Status::Ok) return s;
  if (Status s = readDirectory(directoryStart); s != Status::Ok) return s;
  return readMiniStream(miniFatStart, miniFatSectors);
}

ByteSpan CompoundFile::sector(std::uint32_t s) const {
  // Sector 0 follows the header, which takes one sector of its own.
  const std::uint64_t at = (std::uint64_t{s} + 1) * sectorSize_;
  if (at + sectorSize_ > file_.size()) return {};
  return file_.subspan(static_cast<std::size_t>(at), sectorSize_);
}

std::optional<std::vector<std::uint32_t>> CompoundFile::chain(const std::vector<std::uint32_t>& table,
                                                              std::uint32_t start) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t s = start; s != kEndOfChain; s = table[s]) {
    // A chain can hold each sector once; a longer one loops.
    if (s >= table.size() || out.size() >= table.size()) return std::nullopt;
    out.push_back(s);
  }
  return out;
}

std::optional<ByteBuffer> CompoundFile::readChain(std::uint32_t start, std::uint64_t size) const {
  auto sectors = chain(fat_, start);
  if (!sectors || std::uint64_t{sectors->size()} * sectorSize_ < size) return std::nullopt;
  ByteBuffer out;
  out.reserve(static_cast<std::size_t>(size));
  for (std::uint32_t s : *sectors) {
    if (out.size() >= size) break;
    ByteSpan data = sector(s);
    if (data.empty()) return std::nullopt;
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(data.size(), size - out.size()));
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
  }
  return out;
}

CompoundFile::Status CompoundFile::readSectorTable(std::uint32_t fatSectors, std::uint32_t difatStart,
                                                   std::uint32_t difatSectors) {
  const std::size_t fileSectors = file_.size() / sectorSize_ - 1;
  if (fatSectors == 0 || fatSectors > fileSectors || difatSectors > fileSectors) return Status::BadHeader;

  std::vector<std::uint32_t> fatIds;
  fatIds.reserve(fatSectors);
  for (std::size_t i = 0; i < kHeaderDifatEntries && fatIds.size() < fatSectors; ++i)
    fatIds.push_back(u32At(file_, kHeaderDifatAt + 4 * i));
  // Further table sectors are listed in a chain of DIFAT sectors, each ending with the next.
  const std::size_t perDifat = sectorSize_ / 4 - 1;
  std::uint32_t next = difatStart;
  for (std::size_t seen = 0; fatIds.size() < fatSectors; ++seen) {
    if (seen >= difatSectors || next == kEndOfChain || next == kFreeSector) return Status::BadSectorTable;
    ByteSpan data = sector(next);
    if (data.empty()) return Status::BadSectorTable;
    for (std::size_t i = 0; i < perDifat && fatIds.size() < fatSectors; ++i) fatIds.push_back(u32At(data, 4 * i));
    next = u32At(data, 4 * perDifat);
  }

  fat_.reserve(fatIds.size() * (sectorSize_ / 4));
  for (std::uint32_t id : fatIds) {
    ByteSpan data = sector(id);
    if (data.empty()) return Status::BadSectorTable;
    for (std::size_t i = 0; i < sectorSize_ / 4; ++i) fat_.push_back(u32At(data, 4 * i));
  }
  return Status::Ok;
}

CompoundFile::Status CompoundFile::readDirectory(std::uint32_t start) {
  auto sectors = chain(fat_, start);
  if (!sectors || sectors->empty()) return Status::BadDirectory;
  for (std::uint32_t s : *sectors) {
    ByteSpan data = sector(s);
    if (data.empty()) return Status::BadDirectory;
    for (std::size_t at = 0; at + kEntrySize <= data.size(); at += kEntrySize) {
      ByteReader r(data.subspan(at, kEntrySize));
      CompoundEntry e;
      r.seek(kNameBytes);
      // The stored length counts the terminating zero, in bytes.
      const std::size_t nameBytes = std::min<std::size_t>(r.u16le(), kNameBytes);
      const std::uint8_t type = r.u8();
      e.type = type == CompoundEntry::Storage || type == CompoundEntry::Stream || type == CompoundEntry::Root
                   ? static_cast<CompoundEntry::Type>(type)
                   : CompoundEntry::Empty;
      r.skip(1);  // red-black colour
      e.left = r.u32le();
      e.right = r.u32le();
      e.child = r.u32le();
      r.seek(116);
      e.startSector = r.u32le();
      const std::uint32_t sizeLow = r.u32le();
      const std::uint32_t sizeHigh = r.u32le();
      // Version 3 files may leave garbage in the high half of the size.
      e.size = version4_ ? (std::uint64_t{sizeHigh} << 32 | sizeLow) : sizeLow;
      r.seek(0);
      for (std::size_t c = 0; c + 1 < nameBytes / 2; ++c) e.name.push_back(static_cast<char16_t>(r.u16le()));
      entries_.push_back(std::move(e));
    }
  }
  if (entries_.empty() || entries_.front().type != CompoundEntry::Root) return Status::BadDirectory;
  return Status::Ok;
}

CompoundFile::Status CompoundFile::readMiniStream(std::uint32_t miniFatStart, std::uint32_t miniFatSectors) {
  if (miniFatSectors != 0 && miniFatStart != kEndOfChain) {
    auto sectors = chain(fat_, miniFatStart);
    if (!sectors) return Status::BadMiniStream;
    for (std::uint32_t s : *sectors) {
      ByteSpan data = sector(s);
      if (data.empty()) return Status::BadMiniStream;
      for (std::size_t i = 0; i < sectorSize_ / 4; ++i) miniFat_.push_back(u32At(data, 4 * i));
    }
  }
  // The small streams live in the root entry's stream.
  const CompoundEntry& root = entries_.front();
  if (root.size == 0) return Status::Ok;
  auto stream = readChain(root.startSector, root.size);
  if (!stream) return Status::BadMiniStream;
  miniStream_ = std::move(*stream);
  return Status::Ok;
}

const CompoundEntry* CompoundFile::find(std::u16string_view name) const {
  for (const CompoundEntry& e : entries_)
    if ((e.type == CompoundEntry::Stream || e.type == CompoundEntry::Storage) && sameName(e.name, name)) return &e;
  return nullptr;
}

std::optional<ByteBuffer> CompoundFile::readStream(const CompoundEntry& entry) const {
  if (entry.type != CompoundEntry::Stream) return std::nullopt;
  if (entry.size >= miniCutoff_) return readChain(entry.startSector, entry.size);

  auto sectors = chain(miniFat_, entry.startSector);
  if (!sectors || std::uint64_t{sectors->size()} * miniSectorSize_ < entry.size) return std::nullopt;
  ByteBuffer out;
  out.reserve(static_cast<std::size_t>(entry.size));
  for (std::uint32_t s : *sectors) {
    if (out.size() >= entry.size) break;
    const std::uint64_t at = std::uint64_t{s} * miniSectorSize_;
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(miniSectorSize_, entry.size - out.size()));
    if (at + take > miniStream_.size()) return std::nullopt;
    const auto from = miniStream_.begin() + static_cast<std::ptrdiff_t>(at);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(take));
  }
  return out;
}

namespace {

// The three formats differ in the name of their design stream and in a byte substitution
// the EMB and JAN streams go through before inflating. Neither the names nor the
// substitution tables are known to this reader, so no design stream is ever found and these
// files are reported as not readable.
struct CompoundVariant {
  std::string_view extension;
  std::u16string_view designStream;
};

constexpr std::array<CompoundVariant, 3> kVariants{{
    {"art", u""},
    {"emb", u""},
    {"jan", u""},
}};

const CompoundVariant* variantOf(std::string_view extension) {
  for (const CompoundVariant& v : kVariants) {
    if (v.extension.size() != extension.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < extension.size() && same; ++i)
      same = static_cast<char>(extension[i] | 0x20) == v.extension[i];
    if (same) return &v;
  }
  return nullptr;
}

}  // namespace

ReadResult readCompound(DesignCodec&, EmbDesign& design, ByteSpan file) {
  design.stitches.clear();
  design.threads.clear();
  const CompoundVariant* variant = variantOf(extensionOf(design.path));
  CompoundFile container;
  if (variant == nullptr || container.parse(file) != CompoundFile::Status::Ok) return ReadResult::Unsupported;
  if (variant->designStream.empty() || container.find(variant->designStream) == nullptr)
    return ReadResult::Unsupported;
  // The layout of the design stream is not known either: nothing is decoded from it.
  return ReadResult::Unsupported;
}

}  // namespace lh
