#include "tools/format_code.h"

#include <array>
#include <span>
#include <utility>

#include "design/attribute_list.h"
#include "design/emb_design.h"

namespace lh {

namespace {

struct ExtCode {
  std::string_view ext;
  int code;
};

int lookUp(std::string_view ext, std::span<const ExtCode> table) {
  for (const ExtCode& e : table)
    if (equalsNoCase(ext, e.ext)) return e.code;
  return FormatNone;
}

constexpr std::array<ExtCode, 13> kSourceCodes{{
    {"pes", FormatPes}, {"sew", FormatSew}, {"jef", FormatJef}, {"jef+", FormatJef}, {"hus", FormatHus},
    {"pcs", FormatPcs}, {"dst", FormatDst}, {"xxx", FormatXxx}, {"exp", FormatExp}, {"vip", FormatVip},
    {"vp3", FormatVp3}, {"emd", FormatEmd}, {"bmp", FormatBmp},
}};

constexpr std::array<ExtCode, 22> kHoopCodes{{
    {"pes", FormatPes}, {"phc", FormatPhc}, {"phb", FormatPhc},  {"phd", FormatPhc}, {"sew", FormatSew},
    {"jef", FormatJef}, {"jef+", FormatJef}, {"jan", FormatJef}, {"hus", FormatHus}, {"pcs", FormatPcs},
    {"dst", FormatDst}, {"xxx", FormatXxx}, {"exp", FormatExp},  {"art", FormatExp}, {"emb", FormatExp},
    {"vip", FormatVip}, {"vp3", FormatVp3}, {"pec", FormatPec},  {"emd", FormatEmd}, {"shv", FormatShv},
    {"bmp", FormatBmp}, {"txt", FormatTxt},
}};

constexpr std::array<ExtCode, 22> kOpenCodes{{
    {"pes", FormatPes}, {"phc", FormatPhc}, {"phb", FormatPhc}, {"phd", FormatPhc}, {"sew", FormatSew},
    {"hus", FormatHus}, {"pcs", FormatPcs}, {"dst", FormatDst}, {"xxx", FormatXxx}, {"jef", FormatJef},
    {"jef+", FormatJef}, {"emd", FormatEmd}, {"exp", FormatExp}, {"vip", FormatVip}, {"vp3", FormatVp3},
    {"shv", FormatShv}, {"pec", FormatPec}, {"bmp", FormatBmp}, {"txt", FormatTxt}, {"art", FormatArt},
    {"emb", FormatEmb}, {"jan", FormatJan},
}};

// Types converted as another one: the extension they take and its code.
struct Relabel {
  std::string_view ext;
  std::string_view as;
  int code;
};
constexpr std::array<Relabel, 8> kRelabels{{
    {"pec", "PES", FormatPes},
    {"phc", "PES", FormatPes},
    {"phb", "PES", FormatPes},
    {"phd", "PES", FormatPes},
    {"art", "PES", FormatPes},
    {"emb", "PES", FormatPes},
    {"shv", "VIP", FormatVip},
    {"jan", "JEF", FormatJef},
}};

struct Target {
  int code;
  std::string_view ext;
  std::string_view name;
};
constexpr std::array<Target, 12> kTargets{{
    {FormatPes, ".pes", "PES"},
    {FormatSew, ".sew", "SEW"},
    {FormatJef, ".jef", "JEF"},
    {FormatHus, ".hus", "HUS"},
    {FormatPcs, ".pcs", "PCS"},
    {FormatDst, ".dst", "DST"},
    {FormatXxx, ".xxx", "XXX"},
    {FormatExp, ".exp", "EXP"},
    {FormatVip, ".vip", "VIP"},
    {FormatVp3, ".vp3", "VP3"},
    {FormatBmp, ".bmp", "BMP"},
    {FormatTxt, ".txt", "TXT"},
}};

const Target* targetOf(int code) {
  for (const Target& t : kTargets)
    if (t.code == code) return &t;
  return nullptr;
}

}  // namespace

std::string replaceExtension(std::string_view path, std::string_view ext) {
  std::string_view ownExt = extensionOf(path);
  std::string out(path.substr(0, path.size() - ownExt.size()));
  // A name ending in a dot keeps it as the separator.
  if (ownExt.empty() && (out.empty() || out.back() != '.')) out += '.';
  out += ext;
  return out;
}

int sourceFormatCode(std::string& path) {
  const std::string_view ext = extensionOf(path);
  for (const Relabel& r : kRelabels) {
    if (equalsNoCase(ext, r.ext)) {
      path = replaceExtension(path, r.as);
      return r.code;
    }
  }
  if (equalsNoCase(ext, "txt")) return FormatTxt;
  return lookUp(ext, kSourceCodes);
}

int hoopFormatCode(std::string_view path) { return lookUp(extensionOf(path), kHoopCodes); }

int openFormatCode(std::string_view path) { return lookUp(extensionOf(path), kOpenCodes); }

std::string_view formatExtension(int code) {
  const Target* t = targetOf(code);
  return t ? t->ext : std::string_view{};
}

std::string_view formatName(int code) {
  const Target* t = targetOf(code);
  return t ? t->name : std::string_view{};
}

int formatCodeOfName(std::string_view name) {
  if (!name.empty() && name.front() == '.') name.remove_prefix(1);
  for (const Target& t : kTargets)
    if (equalsNoCase(name, t.name)) return t.code;
  return FormatNone;
}

}  // namespace lh
