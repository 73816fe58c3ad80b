// loomhall-cli convert --to TYPE [--out DIR] FILE...: writes each design in another format
// under a new, never-clashing name and prints the path saved.
#include <cstdio>

#include "cli/commands.h"
#include "cli/design_io.h"
#include "design/attribute_list.h"
#include "formats/format_table.h"
#include "zip/save_file.h"
#include "zip/zip_archive.h"

namespace lh::cli {

namespace {

std::string typeList() {
  std::string list;
  for (const FormatInfo* f : writableFormats()) {
    if (!list.empty()) list += ", ";
    list += lowerExtension(*f);
  }
  return list;
}

// The file name of a plain or "Zip:" path with its extension replaced.
std::string targetName(const std::string& source, std::string_view ext) {
  std::string name = source;
  if (auto zip = splitZipPath(source)) name = ZipArchive::safeFileName(zip->member).value_or("design");
  const auto slash = name.find_last_of('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name + "." + std::string(ext);
}

// The folder part of a path with its closing '/', "" for a bare name.
std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Saves next to the source, in `outDir` when given; a source inside an archive without an
// output folder gets a new member of that archive. Returns the saved path.
std::optional<std::string> save(const std::string& source, const std::string& outDir, std::string_view ext,
                                const ByteBuffer& image) {
  const auto zip = splitZipPath(source);
  if (zip && outDir.empty()) {
    std::string member = zip->member;
    const auto dot = member.find_last_of('.');
    const auto slash = member.find_last_of('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) member.erase(dot);
    member += "." + std::string(ext);
    std::string stored;
    if (!ZipArchive::writeMember(zip->archive, member, image, ZipUniqueName, &stored)) return std::nullopt;
    return makeZipPath(zip->archive, stored);
  }
  const std::string folder = outDir.empty() ? folderOf(zip ? zip->archive : source) : outDir + "/";
  return saveUnique(folder + targetName(source, ext), image);
}

}  // namespace

int runConvert(Args args) {
  const FormatInfo* target = nullptr;
  std::string outDir;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--to") {
      if (i + 1 >= args.size()) return usageError("convert: --to needs a type (" + typeList() + ")");
      target = findFormat(args[++i]);
      if (target == nullptr || target->writer == nullptr)
        return usageError("convert: cannot write '" + args[i] + "'; writable types: " + typeList());
    } else if (a == "--out") {
      if (i + 1 >= args.size()) return usageError("convert: --out needs a folder");
      outDir = args[++i];
      while (outDir.size() > 1 && outDir.back() == '/') outDir.pop_back();
    } else if (a.starts_with("--")) {
      return usageError("convert: unknown option '" + a + "'");
    } else {
      files.push_back(a);
    }
  }
  if (target == nullptr) return usageError("convert needs --to TYPE (" + typeList() + ")");
  if (files.empty()) return usageError("convert needs at least one FILE");

  CliCodec cli;
  const std::string ext = lowerExtension(*target);
  int status = Ok;
  for (const std::string& source : files) {
    EmbDesign design;
    if (loadOrComplain(cli.codec, design, source) != kLoadOk) {
      status = Failed;
      continue;
    }
    EmbDesign copy(design);  // the writer works on a copy it may change
    copy.path = targetName(source, ext);  // the writers take the design's label from it
    const auto image = writeAs(cli.codec, copy, target->code);
    if (!image) {
      std::fprintf(stderr, "loomhall-cli: %s could not be converted.\n", source.c_str());
      status = Failed;
      continue;
    }
    const auto saved = save(source, outDir, ext, *image);
    if (!saved) {
      std::fprintf(stderr, "loomhall-cli: %s: could not be saved\n", source.c_str());
      status = Failed;
      continue;
    }
    std::printf("%s\n", saved->c_str());
  }
  return status;
}

}  // namespace lh::cli
