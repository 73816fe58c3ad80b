#include "formats/error_pictures.h"

#include <array>
#include <string_view>

namespace lh {

namespace {

// 49 x 48 pixels, top row first. '.' black, ' ' and 'W' white, 'R' red, 's' silver,
// 'd' dark grey.
constexpr int kWidth = 49;
constexpr int kHeight = 48;
using Art = std::array<std::string_view, kHeight>;

// White and red words on black: the file is missing or unavailable; a document below.
constexpr Art kMissingArt = {
    ".................................................",
    ".................................................",
    ".................WWW.WWW.W...WWW.................",
    ".................W....W..W...W...................",
    ".................WW...W..W...WW..................",
    ".................W....W..W...W...................",
    ".................W...WWW.WWW.WWW.................",
    ".................................................",
    ".................................................",
    "...........R.R.RRR.RRR.RRR.RRR.RR..RRR...........",
    "...........RRR..R..R...R....R..R.R.R.............",
    "...........RRR..R..RRR.RRR..R..R.R.R.R...........",
    "...........R.R..R....R...R..R..R.R.R.R...........",
    "...........R.R.RRR.RRR.RRR.RRR.R.R.RRR...........",
    ".................................................",
    ".................................................",
    ".....................WWW.WW......................",
    ".....................W.W.W.W.....................",
    ".....................W.W.WW......................",
    ".....................W.W.W.W.....................",
    ".....................WWW.W.W.....................",
    ".................................................",
    ".................................................",
    "...R.R.RR..RRR.R.R.RRR.RRR.R...RRR.RR..R...RRR...",
    "...R.R.R.R.R.R.R.R.R.R..R..R...R.R.R.R.R...R.....",
    "...R.R.R.R.RRR.R.R.RRR..R..R...RRR.RR..R...RR....",
    "...R.R.R.R.R.R.R.R.R.R..R..R...R.R.R.R.R...R.....",
    "...RRR.R.R.R.R..R..R.R.RRR.RRR.R.R.RR..RRR.RRR...",
    ".................................................",
    ".................................................",
    "..................WWWWWWWWW......................",
    "..................WssssssssW.....................",
    "..................WsssssssssW....................",
    "..................WsssssssWWWW...................",
    "..................WssssssssssW...................",
    "..................WsdddddddssW...................",
    "..................WssssssssssW...................",
    "..................WsdddddddssW...................",
    "..................WssssssssssW...................",
    "..................WsdddddddssW...................",
    "..................WssssssssssW...................",
    "..................WsdddddddssW...................",
    "..................WssssssssssW...................",
    "..................WssssssssssW...................",
    "..................WWWWWWWWWWWW...................",
    ".................................................",
    ".................................................",
    ".................................................",
};

// Red words on white: the file's version is not supported.
constexpr Art kVersionArt = {
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                 RRR RRR R   RRR                 ",
    "                 R    R  R   R                   ",
    "                 RR   R  R   RR                  ",
    "                 R    R  R   R                   ",
    "                 R   RRR RRR RRR                 ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "           R R RRR RR  RRR RRR RRR RR            ",
    "           R R R   R R R    R  R R R R           ",
    "           R R RR  RR  RRR  R  R R R R           ",
    "           R R R   R R   R  R  R R R R           ",
    "            R  RRR R R RRR RRR RRR R R           ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                   RR  RRR RRR                   ",
    "                   R R R R  R                    ",
    "                   R R R R  R                    ",
    "                   R R R R  R                    ",
    "                   R R RRR  R                    ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "       RRR R R RRR RRR RRR RR  RRR RRR RR        ",
    "       R   R R R R R R R R R R  R  R   R R       ",
    "       RRR R R RRR RRR R R RR   R  RR  R R       ",
    "         R R R R   R   R R R R  R  R   R R       ",
    "       RRR RRR R   R   RRR R R  R  RRR RR        ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "      RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR      ",
    "      RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR      ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
    "                                                 ",
};

constexpr bool wellFormed(const Art& art) {
  for (std::string_view row : art)
    if (row.size() != kWidth) return false;
  return true;
}
static_assert(wellFormed(kMissingArt) && wellFormed(kVersionArt), "every row is 49 pixels");

// The 16 colours of the bitmaps, 0x00RRGGBB as stored in a BMP colour table.
constexpr std::array<std::uint32_t, 16> kColors = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

int colorIndex(char c) {
  switch (c) {
    case 'W':
    case ' ':
      return 15;
    case 'R':
      return 9;
    case 's':
      return 7;
    case 'd':
      return 8;
    default:
      return 0;
  }
}

void put16(std::vector<std::uint8_t>& v, unsigned x) {
  v.push_back(static_cast<std::uint8_t>(x));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}

// A 4-bit BMP file image of the drawing: bottom-up rows padded to 4 bytes.
std::vector<std::uint8_t> toBmp(const Art& art) {
  constexpr std::uint32_t rowBytes = ((kWidth * 4 + 31) / 32) * 4;
  constexpr std::uint32_t imageSize = rowBytes * kHeight;
  constexpr std::uint32_t bitsOffset = 14 + 40 + 16 * 4;
  std::vector<std::uint8_t> out;
  out.reserve(bitsOffset + imageSize);
  out.push_back('B');
  out.push_back('M');
  put32(out, bitsOffset + imageSize);
  put32(out, 0);
  put32(out, bitsOffset);
  put32(out, 40);
  put32(out, kWidth);
  put32(out, kHeight);
  put16(out, 1);
  put16(out, 4);
  put32(out, 0);
  put32(out, imageSize);
  put32(out, 0);
  put32(out, 0);
  put32(out, 16);
  put32(out, 0);
  for (std::uint32_t c : kColors) put32(out, c);
  for (int row = kHeight - 1; row >= 0; --row) {
    std::vector<std::uint8_t> line(rowBytes, 0);
    for (int x = 0; x < kWidth; ++x) {
      const auto idx = static_cast<std::uint8_t>(colorIndex(art[static_cast<std::size_t>(row)][static_cast<std::size_t>(x)]));
      line[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>((x % 2 == 0) ? idx << 4 : idx);
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  return out;
}

}  // namespace

std::span<const std::uint8_t> missingFilePicture() {
  static const std::vector<std::uint8_t> image = toBmp(kMissingArt);
  return image;
}

std::span<const std::uint8_t> versionPicture() {
  static const std::vector<std::uint8_t> image = toBmp(kVersionArt);
  return image;
}

}  // namespace lh
