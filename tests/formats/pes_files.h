#pragma once
// Builds PES and PEC file images byte by byte for the PES family tests.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/bytes.h"

namespace lh::test {

// One PEC block: palette indexes, raw stitch bytes (the end byte is added) and the placement
// byte of a multi-design file.
struct PecSpec {
  std::vector<std::uint8_t> colors{20};
  std::vector<std::uint8_t> stitches;
  std::uint8_t placement = 0;
};

inline ByteBuffer pecBlockBytes(const PecSpec& spec) {
  ByteBuffer b(512, 0x20);
  b[36] = spec.placement;
  b[48] = static_cast<std::uint8_t>(spec.colors.size() - 1);
  for (std::size_t i = 0; i < spec.colors.size(); ++i) b[49 + i] = spec.colors[i];
  ByteWriter w;
  w.bytes(b);
  const std::uint32_t length = static_cast<std::uint32_t>(spec.stitches.size()) + 17;
  w.u16le(0);
  w.u24le(length);
  w.u8(0x31);
  w.u8(0xFF);
  w.u8(0xF0);
  w.u16le(100);
  w.u16le(100);
  w.u16le(0x01E0);
  w.u16le(0x01B0);
  w.bytes(spec.stitches);
  w.u8(0xFF);
  w.fill(0, 228 * (spec.colors.size() + 1));
  return w.take();
}

// A bare "#PEC0001" file.
inline ByteBuffer pecFile(const PecSpec& spec) {
  ByteWriter w;
  w.text("#PEC0001");
  w.bytes(pecBlockBytes(spec));
  return w.take();
}

// "#PES" + version with a 16-byte header (hoop at 12 for "0020", at 16 for 25..39) and the
// PEC blocks right after it; byte 12 counts the designs from version 25 on.
inline ByteBuffer oldPesFile(const std::string& version, const std::vector<PecSpec>& designs, int hoopW = 0,
                             int hoopH = 0) {
  ByteWriter w;
  w.text("#PES" + version);
  w.u32le(0);
  const int v = std::stoi(version);
  if (v == 20) {
    w.u16le(static_cast<unsigned>(hoopW));
    w.u16le(static_cast<unsigned>(hoopH));
  } else {
    w.u16le(static_cast<unsigned>(designs.size()));
    w.u16le(0);
  }
  if (v >= 25) {
    w.u16le(static_cast<unsigned>(hoopW));
    w.u16le(static_cast<unsigned>(hoopH));
  }
  w.u32leAt(8, static_cast<std::uint32_t>(w.size()));
  for (const PecSpec& d : designs) w.bytes(pecBlockBytes(d));
  return w.take();
}

// A thread record of a version 50 / 60 thread table.
struct ThreadRecord {
  std::string code;
  std::uint8_t r = 0, g = 0, b = 0;
  std::int8_t type = 1;
  std::string colorName, brand, chartName;
};

struct NewPesSpec {
  std::string version = "0050";
  std::string name, category, author, keywords, comments;
  int hoopW = 130, hoopH = 180;
  std::vector<ThreadRecord> threads;
  PecSpec pec;
  // the colour list after the labels: one RGB per colour block
  std::vector<std::uint32_t> colorList;
  bool nonZeroGap = false;  // break the six zero bytes before the table
};

inline void counted(ByteWriter& w, const std::string& s) {
  w.u8(static_cast<unsigned>(s.size()));
  w.text(s);
}

// A version 40 / 50 / 60 file laid out as the reader walks it.
inline ByteBuffer newPesFile(const NewPesSpec& s) {
  const int v = std::stoi(s.version);
  ByteWriter w;
  w.text("#PES" + s.version);
  w.u32le(0);
  w.u16le(1);
  w.text("01");
  for (const std::string* t : {&s.name, &s.category, &s.author, &s.keywords, &s.comments}) counted(w, *t);
  w.fill(0, v >= 60 ? 4 : 2);
  w.u16le(static_cast<unsigned>(s.hoopW));
  w.u16le(static_cast<unsigned>(s.hoopH));
  if (v >= 50) {
    w.fill(0, v >= 60 ? 12 : 2);
    w.fill(0, 16);
    counted(w, "");
    w.fill(0, 24);
    w.fill(s.nonZeroGap ? 0x33 : 0, 6);
    if (s.nonZeroGap) w.fill(0x44, 7);  // stray bytes between the computed place and the table
    w.u16le(static_cast<unsigned>(s.threads.size()));
    for (const ThreadRecord& t : s.threads) {
      counted(w, t.code);
      w.u8(t.r);
      w.u8(t.g);
      w.u8(t.b);
      w.u8(0);
      w.u8(static_cast<std::uint8_t>(t.type));
      w.fill(0, 3);
      counted(w, t.colorName);
      counted(w, t.brand);
      counted(w, t.chartName);
    }
    w.u16le(1);
    w.u16le(0xFFFF);
    w.u16le(0);
    w.u16le(7);
    w.text("CEmbOne");
    w.fill(0, 40);
  }
  w.u32leAt(8, static_cast<std::uint32_t>(w.size()));
  w.bytes(pecBlockBytes(s.pec));
  if (v >= 50) {
    w.fill(0x20, 128);
    w.fill(0, 144 * s.pec.colors.size());
    for (std::uint32_t c : s.colorList) {
      w.u8(c & 0xFF);
      w.u8((c >> 8) & 0xFF);
      w.u8((c >> 16) & 0xFF);
    }
  }
  return w.take();
}

}  // namespace lh::test
