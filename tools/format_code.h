#pragma once
// Numeric codes of the design file types and the extension look-ups built on them.
#include <string>
#include <string_view>

namespace lh {

// The numeric code of a file type, shared by conversion, the tools, the preferences and the
// plug-in payload. Codes 0 to 9 are the writable design formats.
enum FormatCode : int {
  FormatNone = -1,
  FormatPes = 0,
  FormatSew = 1,
  FormatJef = 2,
  FormatHus = 3,
  FormatPcs = 4,
  FormatDst = 5,
  FormatXxx = 6,
  FormatExp = 7,
  FormatVip = 8,
  FormatVp3 = 9,
  FormatPhc = 10,
  FormatPec = 11,
  FormatEmd = 12,
  FormatShv = 13,
  FormatPhb = 14,
  FormatPhd = 15,
  FormatBmp = 16,
  FormatTxt = 17,
  FormatArt = 19,
  FormatEmb = 20,
  FormatJan = 21,
};

inline constexpr int kWritableFormats = 10;  // codes 0 to 9

constexpr bool isDesignFormat(int code) { return code >= FormatPes && code <= FormatVp3; }
// Design formats plus the two companion outputs (notes and preview bitmap).
constexpr bool isConversionTarget(int code) {
  return isDesignFormat(code) || code == FormatBmp || code == FormatTxt;
}

// Replaces the extension of a file or "Zip:" member path (the text after the last dot of
// the last path component); a path without one gets `ext` appended. `ext` has no dot.
std::string replaceExtension(std::string_view path, std::string_view ext);

// The conversion source code of a path, re-labelling the types that convert as another
// one (PEC, PHC, PHB, PHD, ART, EMB as PES; SHV as VIP; JAN as JEF) and replacing the
// extension of `path` with the one they convert as. -1 for anything else.
int sourceFormatCode(std::string& path);

// The code the hoop look-up uses for a path's extension (PHB and PHD as PHC, ART and EMB
// as EXP, JAN as JEF); -1 when the extension names no known type.
int hoopFormatCode(std::string_view path);

// The code of a file type as the on-the-fly opening sees it (ART 19, EMB 20, JAN 21).
int openFormatCode(std::string_view path);

// Lower-case extension with the dot (".pes") of a conversion target; "" otherwise.
std::string_view formatExtension(int code);
// Three-letter upper-case name ("PES") of a conversion target; "" otherwise.
std::string_view formatName(int code);
// The code of a three-letter name or extension without dot, any case (-1 when unknown).
int formatCodeOfName(std::string_view name);

}  // namespace lh
