#pragma once
// Numeric codes of the file types. Header only and without dependencies, so that every
// layer may name a type; the facts about each type are in its row of the format table
// (formats/format_table.h).

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

}  // namespace lh
