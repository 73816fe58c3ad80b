#include "formats/format_table.h"

#include <array>

#include "design/attribute_list.h"
#include "formats/compound.h"
#include "formats/dst.h"
#include "formats/emd.h"
#include "formats/exp.h"
#include "formats/hus_vip.h"
#include "formats/jef_sew.h"
#include "formats/pcs.h"
#include "formats/pes_reader.h"
#include "formats/pes_writer.h"
#include "formats/phc.h"
#include "formats/shv.h"
#include "formats/vp3.h"
#include "formats/xxx.h"
#include "zip/zip_archive.h"

namespace lh {

namespace {

using enum FormatKind;

// One row per type name, in the order of the viewed-types list. A format arrives by filling
// in its reader and writer here.
constexpr std::array kFormats = {
    // type    code        kind     reader   writer    view flag     target title
    FormatInfo{"Pes", FormatPes, Design, readPes, writePesFile, "View Pes", ".PES (Quenby/Brother/Bernina Deco)"},
    FormatInfo{"Pec", FormatPec, Design, readPes, nullptr, "View Pec", ""},
    FormatInfo{"Phc", FormatPhc, Design, readPhc, nullptr, "View Pec", ""},
    FormatInfo{"Phb", FormatPhb, Design, readPhc, nullptr, "View Pec", ""},
    FormatInfo{"Phd", FormatPhd, Design, readPhc, nullptr, "View Pec", ""},
    FormatInfo{"Hus", FormatHus, Design, readHus, writeHus, "View Hus", ".HUS (Husqvarna Viking)"},
    FormatInfo{"Pcs", FormatPcs, Design, readPcs, writePcs, "View Pcs", ".PCS (Pfaff)"},
    FormatInfo{"Txt", FormatTxt, Text, nullptr, nullptr, "View Txt", ""},
    FormatInfo{"Bmp", FormatBmp, Picture, nullptr, nullptr, "View Bmp", ""},
    FormatInfo{"Dst", FormatDst, Design, readDst, writeDst, "View Dst", ".DST (Tajima)"},
    FormatInfo{"Sew", FormatSew, Design, readSew, writeSew, "View Sew", ".SEW (Elna/Janome-New Home/Kenmore)"},
    FormatInfo{"Jef", FormatJef, Design, readJef, writeJef, "View Jef", ".JEF (Janome-New Home)"},
    FormatInfo{"Jef+", FormatJef, Design, readJef, nullptr, "View Jef", ""},
    FormatInfo{"Xxx", FormatXxx, Design, readXxx, writeXxx, "View Xxx", ".XXX (Singer)"},
    FormatInfo{"Exp", FormatExp, Design, readExp, writeExp, "View Exp", ".EXP (Melco Expanded)"},
    FormatInfo{"Emd", FormatEmd, Design, readEmd, nullptr, "View Emd", ""},
    FormatInfo{"Vip", FormatVip, Design, readVip, writeVip, "View vip", ".VIP (Husqvarna Viking/Pfaff)"},
    FormatInfo{"Shv", FormatShv, Design, readShv, nullptr, "View Shv", ""},
    FormatInfo{"Art", FormatArt, Design, readCompound, nullptr, "View Art", ""},
    FormatInfo{"Emb", FormatEmb, Design, readCompound, nullptr, "View Emb", ""},
    FormatInfo{"Jan", FormatJan, Design, readCompound, nullptr, "View Jan", ""},
    FormatInfo{"Vp3", FormatVp3, Design, readVp3, writeVp3, "View Vp3", ".VP3 (Husqvarna Viking/Pfaff)"},
};

}  // namespace

std::span<const FormatInfo> formatTable() { return kFormats; }

const FormatInfo* findFormat(std::string_view extension, std::span<const FormatInfo> table) {
  for (const FormatInfo& f : table)
    if (equalsNoCase(extension, f.type)) return &f;
  return nullptr;
}

const FormatInfo* findFormat(FormatCode code) {
  for (const FormatInfo& f : kFormats)
    if (f.code == code) return &f;
  return nullptr;
}

const FormatInfo* formatOfPath(std::string_view path, std::span<const FormatInfo> table) {
  if (auto zip = splitZipPath(path)) return findFormat(extensionOf(zip->member), table);
  return findFormat(extensionOf(path), table);
}

std::vector<std::string> viewedTypes(const SettingsStore& settings) {
  std::vector<std::string> out;
  for (const FormatInfo& f : kFormats) {
    if (settings.getInt("Settings", f.viewKey, 1) == 0) continue;
    std::string name(f.type);
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    out.push_back(std::move(name));
  }
  return out;
}

std::vector<const FormatInfo*> writableFormats() {
  std::vector<const FormatInfo*> out;
  for (const FormatInfo& f : kFormats)
    if (f.writer != nullptr) out.push_back(&f);
  return out;
}

std::optional<ByteBuffer> writeAs(DesignCodec& codec, EmbDesign& design, FormatCode code) {
  const FormatInfo* f = findFormat(code);
  if (f == nullptr || f->writer == nullptr || design.stitches.empty()) return std::nullopt;
  return f->writer(codec, design);
}

std::string lowerExtension(const FormatInfo& format) {
  std::string ext(format.type);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext;
}

}  // namespace lh
