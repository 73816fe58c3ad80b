#include "formats/format_table.h"

#include <algorithm>

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

constexpr FormatColors kNoColors{};
constexpr FormatColors kPec{MachinePalette::Pec, BrandCharts::None};
constexpr FormatColors kPesCharts{MachinePalette::Pec, BrandCharts::Pes};
constexpr FormatColors kHusqvarna{MachinePalette::Husqvarna, BrandCharts::None};
constexpr FormatColors kWindows{MachinePalette::Windows, BrandCharts::None};
constexpr FormatColors kJanome{MachinePalette::Janome, BrandCharts::None};
constexpr FormatColors kSulkyXxx{MachinePalette::SulkyRayonXxx, BrandCharts::None};
constexpr FormatColors kVipCharts{MachinePalette::RaPoly, BrandCharts::Vip};
constexpr FormatColors kVp3Charts{MachinePalette::RaPoly, BrandCharts::Vp3};

// One row per type name, in the order of the viewed-types list. A format arrives by filling
// in its reader and writer here. A writable row goes on with its writer, title, menu text
// and conversion defaults: w, h, sc, nc, ss, ns, r, sh, shpct, both, then the PES and DST
// extras pes5, pes6, trim, jumps, trimlen; then the most colours a file holds, where the
// format has a limit (PES: the smallest over the versions the writer may choose).
// clang-format off
constexpr FormatInfo kFormats[] = {
    // type, code, kind, reader, view flag, converts as, hoop code, opening code, colours
    {"Pes", FormatPes, Design, readPes, "View Pes", FormatPes, FormatPes, FormatPes, kPesCharts,
     writePes, ".PES (Quenby/Brother/Bernina Deco)", ".PES (Quenby/Brother/Bernina)",
     {300, 200, 1, 99, 0, 0, 1, 1, 10, 1, 1, 1, 1, 0, 6}, kPesMaxBlocksV5},
    {"Pec", FormatPec, Design, readPes, "View Pec", FormatPes, FormatPec, FormatPec, kPec},
    {"Phc", FormatPhc, Design, readPhc, "View Pec", FormatPes, FormatPhc, FormatPhc, kPec},
    {"Phb", FormatPhb, Design, readPhc, "View Pec", FormatPes, FormatPhc, FormatPhc, kPec},
    {"Phd", FormatPhd, Design, readPhc, "View Pec", FormatPes, FormatPhc, FormatPhc, kPec},
    {"Hus", FormatHus, Design, readHus, "View Hus", FormatHus, FormatHus, FormatHus, kHusqvarna,
     writeHus, ".HUS (Husqvarna Viking)", ".HUS (Husqvarna Viking)",
     {150, 240, 0, 36, 0, 0, 1, 1, 10, 1}, kMaxHusColors},
    {"Pcs", FormatPcs, Design, readPcs, "View Pcs", FormatPcs, FormatPcs, FormatPcs, kWindows,
     writePcs, ".PCS (Pfaff)", ".PCS (Pfaff)", {110, 112, 1, 16, 1, 28000, 1, 1, 10, 0}},
    {"Txt", FormatTxt, Text, nullptr, "View Txt", FormatTxt, FormatTxt, FormatTxt, kNoColors},
    {"Bmp", FormatBmp, Picture, nullptr, "View Bmp", FormatBmp, FormatBmp, FormatBmp, kNoColors},
    {"Dst", FormatDst, Design, readDst, "View Dst", FormatDst, FormatDst, FormatDst, kHusqvarna,
     writeDst, ".DST (Tajima)", ".DST (Tajima)", {300, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 4, 6}},
    {"Sew", FormatSew, Design, readSew, "View Sew", FormatSew, FormatSew, FormatSew, kJanome,
     writeSew, ".SEW (Elna/Janome-New Home/Kenmore)", ".SEW (Elna/Janome/Kenmore)",
     {126, 90, 1, 12, 1, 60000, 1, 1, 10, 0}, kSewMaxColors},
    {"Jef", FormatJef, Design, readJef, "View Jef", FormatJef, FormatJef, FormatJef, kJanome,
     writeJef, ".JEF (Janome-New Home)", ".JEF (Janome)", {200, 200, 1, 78, 1, 64000, 1, 1, 10, 0}, kJanomeMaxColors},
    {"Jef+", FormatJef, Design, readJef, "View Jef", FormatJef, FormatJef, FormatJef, kJanome},
    {"Xxx", FormatXxx, Design, readXxx, "View Xxx", FormatXxx, FormatXxx, FormatXxx, kSulkyXxx,
     writeXxx, ".XXX (Singer)", ".XXX (Singer PSW/Compucon)", {140, 240, 1, 15, 1, 30000, 1, 1, 10, 0}},
    {"Exp", FormatExp, Design, readExp, "View Exp", FormatExp, FormatExp, FormatExp, kHusqvarna,
     writeExp, ".EXP (Melco Expanded)", ".EXP (Melco Expanded)", {300, 300, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"Emd", FormatEmd, Design, readEmd, "View Emd", FormatEmd, FormatEmd, FormatEmd, kPec},
    {"Vip", FormatVip, Design, readVip, "View vip", FormatVip, FormatVip, FormatVip, kVipCharts,
     writeVip, ".VIP (Husqvarna Viking/Pfaff)", ".VIP (Husqvarna Viking/Pfaff)",
     {150, 360, 0, 60, 0, 0, 0, 1, 10, 1}, kMaxVipColors},
    {"Shv", FormatShv, Design, readShv, "View Shv", FormatVip, FormatShv, FormatShv, kHusqvarna},
    {"Art", FormatArt, Design, readCompound, "View Art", FormatPes, FormatExp, FormatArt, kPec},
    {"Emb", FormatEmb, Design, readCompound, "View Emb", FormatPes, FormatExp, FormatEmb, kPec},
    {"Jan", FormatJan, Design, readCompound, "View Jan", FormatJef, FormatJef, FormatJan, kPec},
    // The VP3 menu text has no closing parenthesis; it is kept as the menu shows it.
    {"Vp3", FormatVp3, Design, readVp3, "View Vp3", FormatVp3, FormatVp3, FormatVp3, kVp3Charts,
     writeVp3, ".VP3 (Husqvarna Viking/Pfaff)", ".VP3 (Husqvarna Viking / Pfaff",
     {150, 360, 0, 60, 0, 0, 0, 1, 10, 1}, kVp3MaxColors},
};
// clang-format on

// Leading bytes that name a design format whatever the file is called. PCS has only a weak
// header (0x32, the hoop 2 or 3, the colour table size 16 as every writer we know stores it):
// the four bytes together are taken, since among the formats without a signature only an EXP
// could start so, with two stitches of exactly (5.0, 0.2) and (1.6, 0) mm.
struct Signature {
  FormatCode code;
  std::span<const std::uint8_t> bytes;
};
constexpr std::uint8_t kPesSignature[] = {'#', 'P', 'E', 'S'};
constexpr std::uint8_t kPecSignature[] = {'#', 'P', 'E', 'C', '0', '0', '0', '1'};
constexpr std::uint8_t kPcsSmallSignature[] = {kPcsSignature, kPcsSmallHoop, kPcsTableColors, 0};
constexpr std::uint8_t kPcsLargeSignature[] = {kPcsSignature, kPcsLargeHoop, kPcsTableColors, 0};
constexpr Signature kSignatures[] = {
    {FormatPes, kPesSignature},    {FormatPec, kPecSignature},         {FormatHus, kHusMagic},
    {FormatVip, kVipMagic},        {FormatVp3, kVp3Signature},         {FormatPcs, kPcsSmallSignature},
    {FormatPcs, kPcsLargeSignature},
};

std::string withCase(std::string_view text, bool upper) {
  std::string out(text);
  for (char& c : out) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The row a conversion target is written as (JEF, not JEF+), or null.
const FormatInfo* targetRow(int code) {
  return isConversionTarget(code) ? findFormat(static_cast<FormatCode>(code)) : nullptr;
}

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

const FormatInfo* formatOfSignature(ByteSpan file, std::span<const FormatInfo> table) {
  for (const Signature& sig : kSignatures) {
    if (file.size() < sig.bytes.size() || !std::equal(sig.bytes.begin(), sig.bytes.end(), file.begin())) continue;
    for (const FormatInfo& f : table)
      if (f.code == sig.code) return &f;
  }
  return nullptr;
}

std::vector<ByteSpan> signaturesOf(FormatCode code) {
  std::vector<ByteSpan> out;
  for (const Signature& sig : kSignatures)
    if (sig.code == code) out.push_back(sig.bytes);
  return out;
}

std::vector<std::string> viewedTypes(const SettingsStore& settings) {
  std::vector<std::string> out;
  for (const FormatInfo& f : kFormats) {
    if (settings.getInt("Settings", f.viewKey, 1) == 0) continue;
    out.push_back(withCase(f.type, true));
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

std::string lowerExtension(const FormatInfo& format) { return withCase(format.type, false); }

std::string upperName(const FormatInfo& format) { return withCase(format.type, true); }

std::string replaceExtension(std::string_view path, std::string_view ext) {
  std::string_view ownExt = extensionOf(path);
  std::string out(path.substr(0, path.size() - ownExt.size()));
  // A name ending in a dot keeps it as the separator.
  if (ownExt.empty() && (out.empty() || out.back() != '.')) out += '.';
  out += ext;
  return out;
}

int sourceFormatCode(std::string& path) {
  const FormatInfo* f = findFormat(extensionOf(path));
  if (f == nullptr) return FormatNone;
  if (f->convertsAs != f->code) path = replaceExtension(path, formatName(f->convertsAs));
  return f->convertsAs;
}

int hoopFormatCode(std::string_view path) {
  const FormatInfo* f = findFormat(extensionOf(path));
  return f != nullptr ? f->hoopCode : FormatNone;
}

int openFormatCode(std::string_view path) {
  const FormatInfo* f = findFormat(extensionOf(path));
  return f != nullptr ? f->openCode : FormatNone;
}

std::string formatExtension(int code) {
  const FormatInfo* f = targetRow(code);
  return f != nullptr ? "." + lowerExtension(*f) : std::string();
}

std::string formatName(int code) {
  const FormatInfo* f = targetRow(code);
  return f != nullptr ? withCase(f->type, true) : std::string();
}

int formatCodeOfName(std::string_view name) {
  if (!name.empty() && name.front() == '.') name.remove_prefix(1);
  const FormatInfo* f = findFormat(name);
  return f != nullptr && targetRow(f->code) == f ? f->code : FormatNone;
}

std::string_view formatMenuText(int code) {
  const FormatInfo* f = isDesignFormat(code) ? findFormat(static_cast<FormatCode>(code)) : nullptr;
  return f != nullptr ? f->menuText : std::string_view();
}

void machinePalette(EmbDesign& design) {
  const FormatInfo* f = findFormat(extensionOf(design.path));
  machinePalette(design, f != nullptr ? f->colors.palette : MachinePalette::None);
}

void offeredCharts(EmbDesign& design, const SettingsStore& settings) {
  const FormatInfo* f = findFormat(extensionOf(design.path));
  offeredCharts(design, f != nullptr ? f->colors : FormatColors{}, settings);
}

}  // namespace lh
