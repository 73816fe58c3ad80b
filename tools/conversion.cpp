#include "tools/conversion.h"

#include <algorithm>
#include <filesystem>

#include "design/design_limits.h"
#include "formats/format_table.h"
#include "tools/hoop_fit.h"
#include "design/transforms.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

ByteBuffer bytesOf(std::string_view text) { return ByteBuffer(text.begin(), text.end()); }

// Colour blocks per file: the split setting, but never more than the format holds.
int colorLimit(int setting, int target) {
  const FormatInfo* f = isDesignFormat(target) ? findFormat(static_cast<FormatCode>(target)) : nullptr;
  const int format = f != nullptr ? static_cast<int>(f->maxColors) : 0;
  if (format <= 0) return setting;
  return setting > 0 ? std::min(setting, format) : format;
}

// Why the writer of `target` gave no file for `part`, whose path named a type of code `source`.
ConversionFailure writerFailure(const EmbDesign& part, int source, int target) {
  ConversionFailure f;
  f.target = target;
  if (source < 0 || source == FormatBmp || source == FormatTxt) {
    f.cause = FailureCause::NotADesign;
  } else if (part.stitches.empty()) {
    f.cause = FailureCause::NoRecords;
  } else if (part.threads.empty()) {
    f.cause = FailureCause::NoColors;
  } else if (part.stitches.size() > kMaxDesignRecords) {
    f.cause = FailureCause::TooManyRecords;
    f.limit = kMaxDesignRecords;
  } else {
    f.cause = FailureCause::WriterRefused;
  }
  return f;
}

}  // namespace

ConversionContext ConversionContext::fromSettings(const SettingsStore& store, DesignCodec* codec) {
  ConversionContext ctx;
  ctx.codec = codec;
  ctx.table = loadConversionTable(store);
  ctx.tools = loadToolFormat(store);
  ctx.inches = loadEnglishUnits(store);
  ctx.preview = loadPreviewSettings(store);
  return ctx;
}

std::optional<ByteBuffer> writeDesignBuffer(DesignCodec& codec, EmbDesign& design, int target) {
  const int current = hoopFormatCode(design.path);
  if (!isDesignFormat(target)) return std::nullopt;
  design.path = replaceExtension(design.path, formatExtension(target).substr(1));
  if (design.stitches.empty() || current < 0 || current == FormatBmp || current == FormatTxt) return std::nullopt;
  try {
    return writeAs(codec, design, static_cast<FormatCode>(target));
  } catch (...) {
    return std::nullopt;  // a writer that throws has failed; nothing crosses this border
  }
}

std::optional<std::string> saveFileImage(const std::string& path, ByteSpan bytes, FolderSync* deferred) {
  if (isZipPath(path)) {
    const auto zip = splitZipPath(path);
    std::string stored;
    if (!zip || !ZipArchive::writeMember(zip->archive, zip->member, bytes, ZipUniqueName, &stored)) return std::nullopt;
    return makeZipPath(zip->archive, stored);
  }
  return saveUnique(path, bytes, deferred);
}

int conversionTarget(std::string_view path, int target, const ToolFormat& tools) {
  if (target >= 0) return target;
  if (!tools.keep) return tools.selected;
  std::string own(path);
  return sourceFormatCode(own);
}

bool outputExists(const std::string& path) {
  if (const auto zip = splitZipPath(path)) return ZipArchive::memberExists(zip->archive, zip->member);
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

PreparedConversion prepareConversion(EmbDesign& design, int target, bool force, const ConversionContext& ctx,
                                     ToolReport& report) {
  PreparedConversion p;
  p.source = design.sourcePath.empty() ? design.path : design.sourcePath;
  const std::optional<std::string> readAs = design.attributes.getText(kReadAsAttribute);
  if (readAs) design.path = replaceExtension(design.path, *readAs);
  const int source = sourceFormatCode(design.path);
  const int t = conversionTarget(design.path, target, ctx.tools);
  p.target = t;
  if (t == source && !force) return p;
  if (t != source)
    for (ThreadColor& thread : design.threads) thread.chartCode = 0;
  // DST keeps every jump as a record of its own: runs of jumps are merged into one for the
  // other formats, keeping the stitch after them (it is a penetration in DST).
  if (equalsNoCase(extensionOf(design.sourcePath), "dst") && !readAs && t != FormatDst) design.mergeJumps(true);

  if (t == FormatTxt || t == FormatBmp) {
    p.status = ConversionStatus::Ready;
    p.path = replaceExtension(design.path, formatExtension(t).substr(1));
    if (t == FormatTxt) {
      p.image = bytesOf(design.threads.empty() ? design.text : notesText(design, ctx.inches));
    } else {
      ByteBuffer bmp = exportPreviewBitmap(design, ctx.preview);
      if (!bmp.empty()) p.image = std::move(bmp);
    }
    return p;
  }
  if (!isDesignFormat(t)) {
    // The tool format is the design's own and that cannot be written.
    report.addLine(p.source + " could not be converted.");
    p.status = ConversionStatus::NotConvertible;
    p.failure.cause = FailureCause::NoWriter;
    p.failure.target = t;
    return p;
  }
  const ConversionSettings& settings = ctx.table[static_cast<std::size_t>(t)];
  const std::int64_t width = design.width(), height = design.height();
  if (!fitToHoop(design, settings, &p.fit)) {
    report.addLine(p.source + " is too big for the new format.");
    p.status = ConversionStatus::TooBig;
    p.failure.cause = FailureCause::TooBig;
    p.failure.target = t;
    p.failure.hoopWidth = settings.hoopWidth;
    p.failure.hoopHeight = settings.hoopHeight;
    p.failure.width = width;
    p.failure.height = height;
    return p;
  }
  p.status = ConversionStatus::Ready;
  p.maxStitches = settings.maxStitches();
  p.maxColors = colorLimit(settings.maxColors(), t);
  EmbDesign part(design);
  part.computeBlockStats();
  p.remainder = splitDesign(part, p.maxStitches, p.maxColors);
  const int partType = hoopFormatCode(part.path);
  p.image = writeDesignBuffer(*ctx.codec, part, t);
  if (!p.image) p.failure = writerFailure(part, partType, t);
  p.path = part.path;
  return p;
}

bool stageConversion(PreparedConversion& prepared, FolderSync* deferred) {
  if (prepared.status != ConversionStatus::Ready || !prepared.image || isZipPath(prepared.path)) return false;
  std::optional<StagedFile> staged = StagedFile::stage(prepared.path, *prepared.image, deferred);
  if (!staged) return false;
  prepared.staged = std::move(staged);
  prepared.image.reset();
  return true;
}

ConversionStatus saveConversion(PreparedConversion& prepared, std::vector<std::string>* created,
                                const ConversionContext& ctx, ToolReport& report) {
  if (prepared.status != ConversionStatus::Ready) return prepared.status;
  std::string path = std::move(prepared.path);
  std::optional<ByteBuffer> image = std::move(prepared.image);
  std::optional<StagedFile> staged = std::move(prepared.staged);
  prepared.staged.reset();
  EmbDesign rest = std::move(prepared.remainder);
  for (;;) {
    std::optional<std::string> where;
    if (staged) {
      where = staged->publish(path);
      staged.reset();
    } else if (!image) {
      report.addLine(prepared.source + " could not be converted.");
      return ConversionStatus::NotConvertible;
    } else if (ctx.archives != nullptr && isZipPath(path)) {
      where = ctx.archives->add(path, *image);
    } else {
      where = saveFileImage(path, *image, ctx.deferredSync);
    }
    if (!where) {
      report.addLine(path + " could not be saved.");
      prepared.failure.cause = FailureCause::NotSaved;
      prepared.failure.target = prepared.target;
      prepared.failure.path = path;
      return ConversionStatus::NotSaved;
    }
    if (created) created->push_back(*where);
    if (rest.stitches.empty() || !isDesignFormat(prepared.target)) return ConversionStatus::Saved;
    // The next part is named after the one just saved: Rose.pes, Rose(2).pes, ...
    EmbDesign part = std::move(rest);
    part.path = *where;
    part.computeBlockStats();
    rest = splitDesign(part, prepared.maxStitches, prepared.maxColors);
    image = writeDesignBuffer(*ctx.codec, part, prepared.target);
    if (!image) prepared.failure = writerFailure(part, prepared.target, prepared.target);
    path = part.path;
  }
}

int convertDesign(EmbDesign& design, std::vector<std::string>* created, int target, bool force,
                  const ConversionContext& ctx, ToolReport& report) {
  PreparedConversion p = prepareConversion(design, target, force, ctx, report);
  std::vector<std::string> saved;
  saveConversion(p, &saved, ctx, report);
  if (created) created->insert(created->end(), saved.begin(), saved.end());
  return static_cast<int>(saved.size());
}

OnTheFly convertForOpening(const std::string& path, const std::string& tempDir, const ConversionContext& ctx,
                           ToolReport& report) {
  OnTheFly r;
  r.openPath = path;
  if (const auto zip = splitZipPath(path)) {
    const ByteBuffer bytes = ZipArchive::readMember(zip->archive, zip->member);
    if (bytes.empty()) return r;
    const auto extracted = saveFileImage(pathInFolder(tempDir, path), bytes);
    if (!extracted) return r;
    r.openPath = *extracted;
    r.temporaries.push_back(*extracted);
  }
  if (ctx.tools.keep) return r;
  const int code = openFormatCode(r.openPath);
  if (code < 0 || code > FormatPhd || code == ctx.tools.selected) return r;
  EmbDesign design;
  ctx.codec->busyCount.fetch_add(1);
  if (ctx.codec->loadDesign(&design, r.openPath) != LoadResult::Ok) return r;
  design.path = pathInFolder(tempDir, r.openPath);
  std::vector<std::string> created;
  convertDesign(design, &created, ctx.tools.selected, false, ctx, report);
  if (!created.empty()) r.openPath = created.front();
  r.temporaries.insert(r.temporaries.end(), created.begin(), created.end());
  return r;
}

std::string appendToTitle(std::string_view path, std::string_view suffix) {
  if (const auto zip = splitZipPath(path)) return makeZipPath(zip->archive, appendToTitle(zip->member, suffix));
  const std::string_view ext = extensionOf(path);
  std::string out(path.substr(0, path.size() - ext.size()));
  if (!ext.empty()) {
    out.pop_back();  // the dot
    out += suffix;
    out += '.';
    out += ext;
  } else {
    out += suffix;
  }
  return out;
}

std::string fileNameOf(std::string_view path) {
  if (const auto zip = splitZipPath(path)) path = path.substr(path.size() - zip->member.size());
  const auto slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string pathInFolder(std::string_view folder, std::string_view path) {
  std::string name;
  if (const auto zip = splitZipPath(path))
    name = ZipArchive::safeFileName(zip->member).value_or("design");
  else
    name = fileNameOf(path);
  std::string out(folder);
  if (!out.empty() && out.back() != '/') out += '/';
  return out + name;
}

}  // namespace lh
