#include "formats/design_codec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "design/attribute_list.h"
#include "design/design_limits.h"
#include "files/regular_file.h"
#include "formats/error_pictures.h"
#include "formats/format_table.h"
#include "formats/text_file.h"
#include "render/cdib.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

SilentMessages gSilent;
const AlwaysReady gAlwaysReady;

enum class ReadStatus { Ok, NoMedium, Failed };

// Up to `limit` bytes of a regular file (0 bytes for an empty one); Failed when it cannot be
// opened or read, is not a regular file (a FIFO would block the read), or is larger than the
// loader takes.
ReadStatus readPlainFile(const std::string& path, std::size_t limit, ByteBuffer& out) {
  const int fd = openRegularFile(path).fd;
  if (fd < 0) return ReadStatus::Failed;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) > kMaxLoadedFileSize) {
    ::close(fd);
    return ReadStatus::Failed;
  }
  const std::size_t want = std::min(static_cast<std::size_t>(st.st_size), limit);
  out.resize(want);
  std::size_t done = 0;
  while (done < want) {
    const ssize_t n = ::read(fd, out.data() + done, want - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // error, or the file shrank under us
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  out.resize(done);
  return done == want ? ReadStatus::Ok : ReadStatus::Failed;
}

// The bytes of a plain file or a "Zip:" member, after the medium check.
ReadStatus readSource(const DesignCodec& codec, std::string_view path, std::size_t limit, ByteBuffer& out) {
  const auto zip = splitZipPath(path);
  if (!codec.media().isReady(zip ? std::string_view(zip->archive) : path)) return ReadStatus::NoMedium;
  if (zip) {
    out = ZipArchive::readMember(zip->archive, zip->member);
    if (out.empty()) return ReadStatus::Failed;
    if (out.size() > limit) out.resize(limit);
    return ReadStatus::Ok;
  }
  if (isZipPath(path)) return ReadStatus::Failed;  // "Zip:" without a member
  return readPlainFile(std::string(path), limit, out);
}

// Forgets what was rendered from the previous content, so the next paint starts afresh.
void dropRendering(EmbDesign& design) {
  design.pixels.clear();
  design.dibBits.clear();
  design.dibInfo = DibInfo{};
  design.dibColours = 0;
}

void showPicture(EmbDesign& design, std::span<const std::uint8_t> picture) {
  dropRendering(design);
  setPicture(design, picture);
}

// True when `a` and `b` name the same source. Plain paths compare exactly: the file systems
// we run on tell "Rose.pes" from "rose.pes". Archive members are looked up without regard to
// case, so two member paths of the same archive (compared exactly) name one member when
// their member names differ only in case.
bool sameSource(std::string_view a, std::string_view b) {
  const auto zipA = splitZipPath(a);
  const auto zipB = splitZipPath(b);
  if (zipA && zipB) return zipA->archive == zipB->archive && equalsNoCase(zipA->member, zipB->member);
  return a == b;
}

// Files this short hold no design (nor picture) of any type.
constexpr std::size_t kShortestDesign = 10;

// The row whose reader takes a design file: the extension's, unless the file starts with the
// signature of a format read otherwise (a PES file named .dst).
const FormatInfo* readerRow(const FormatInfo* byExtension, ByteSpan file, std::span<const FormatInfo> formats) {
  const FormatInfo* bySignature = formatOfSignature(file, formats);
  if (bySignature == nullptr || bySignature->reader == nullptr) return byExtension;
  if (byExtension != nullptr && byExtension->reader == bySignature->reader) return byExtension;
  return bySignature;
}

// Reader run at the dispatcher's border: nothing thrown inside gets out. A reader that throws
// has failed, and so has one whose design is beyond the limits of any real design (that
// design is emptied).
ReadResult runReader(ReaderFn reader, DesignCodec& codec, EmbDesign& design, ByteSpan data) {
  try {
    const ReadResult result = reader(codec, design, data);
    if (withinDesignLimits(design)) return result;
    design.stitches.clear();
    design.threads.clear();
    return ReadResult::Failed;
  } catch (...) {
    return ReadResult::Failed;
  }
}

}  // namespace

DesignCodec::DesignCodec(SettingsStore* settings, MessageSink* messages, const MediaCheck* media)
    : ownSettings_(settings == nullptr ? std::make_unique<MemorySettings>() : nullptr),
      settings_(settings != nullptr ? settings : ownSettings_.get()),
      messages_(messages != nullptr ? messages : &gSilent),
      media_(media != nullptr ? media : &gAlwaysReady) {}

LoadResult DesignCodec::loadDesign(EmbDesign* design, std::string_view path) {
  return loadDesign(design, path, formatTable());
}

LoadResult DesignCodec::loadDesign(EmbDesign* design, std::string_view path,
                                   std::span<const FormatInfo> formats) {
  struct Leave {
    std::atomic<std::int32_t>& count;
    ~Leave() { count.fetch_sub(1); }
  } leave{busyCount};

  if (design == nullptr) return LoadResult::NoDesign;
  if (sameSource(path, design->path)) return LoadResult::Ok;

  design->path = std::string(path);
  design->sourcePath = design->path;
  design->loadFailed = false;  // a design emptied after a failed load starts afresh
  dropRendering(*design);

  // Crash guard: the next start reports a run that ended inside a reader.
  settings().setString("Settings", "Last File", path);

  const FormatInfo* format = formatOfPath(path, formats);
  const FormatKind kind = format != nullptr ? format->kind : FormatKind::Design;
  ByteBuffer data;
  switch (readSource(*this, path, kind == FormatKind::Text ? kTextLimit : kMaxLoadedFileSize, data)) {
    case ReadStatus::NoMedium:
      showPicture(*design, missingFilePicture());
      design->loadFailed = true;
      return LoadResult::NoMedium;
    case ReadStatus::Failed:
      showPicture(*design, missingFilePicture());
      design->loadFailed = true;
      return LoadResult::Failed;
    case ReadStatus::Ok:
      break;
  }
  const std::size_t length = data.size();
  data.push_back(0);  // readers see the file; the zero after it ends a text
  const ByteSpan file(data.data(), length);

  design->isText = false;
  design->attributes.remove(kReadAsAttribute);
  ReadResult result = ReadResult::Ok;
  if (kind == FormatKind::Design) {
    const FormatInfo* reader = readerRow(format, file, formats);
    if (reader != format) design->attributes.setText(kReadAsAttribute, upperName(*reader));
    // Bytes that no reader looked at hold no design.
    result = length > kShortestDesign && reader != nullptr && reader->reader != nullptr
                 ? runReader(reader->reader, *this, *design, file)
                 : ReadResult::Failed;
  }
  if (kind == FormatKind::Text) {
    design->text = decodeText(file);
    design->isText = true;
  }
  if (kind == FormatKind::Picture) {
    // A file that is not a bitmap shows the missing-file picture, like a failed reader.
    if (length <= kShortestDesign || !setPicture(*design, file)) result = ReadResult::Failed;
  }
  dropRendering(*design);

  if (result == ReadResult::Failed) {
    design->isText = false;
    showPicture(*design, missingFilePicture());
    return LoadResult::Failed;
  }
  if (result == ReadResult::Unsupported) {
    design->isText = false;
    showPicture(*design, versionPicture());
    return LoadResult::Unsupported;
  }
  design->computeBlockStats();
  return LoadResult::Ok;
}

std::optional<ByteBuffer> DesignCodec::readFileBlock(std::string_view path) const {
  ByteBuffer data;
  if (readSource(*this, path, kMaxLoadedFileSize, data) != ReadStatus::Ok || data.empty())
    return std::nullopt;
  data.push_back(0);
  return data;
}

}  // namespace lh
