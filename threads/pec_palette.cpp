#include "threads/pec_palette.h"

#include "design/emb_design.h"

namespace lh {

namespace {

struct PecEntry {
  const char* name;
  std::uint32_t rgb;
  const char* code;
};

constexpr std::array<PecEntry, kPecPaletteSize> kPec{{
    {"Composite", rgbOf(0, 0, 0), ""},
    {"Prussian Blue", rgbOf(14, 31, 124), "007"},
    {"Blue", rgbOf(10, 85, 163), "405"},
    {"Teal Green", rgbOf(0, 135, 119), "534"},
    {"Cornflower Blue", rgbOf(75, 107, 175), "070"},
    {"Red", rgbOf(237, 23, 31), "800"},
    {"Reddish Brown", rgbOf(209, 92, 0), "337"},
    {"Magenta", rgbOf(145, 54, 151), "620"},
    {"Light Lilac", rgbOf(228, 154, 203), "810"},
    {"Lilac", rgbOf(145, 95, 172), "612"},
    {"Mint Green", rgbOf(158, 214, 125), "502"},
    {"Deep Gold", rgbOf(232, 169, 0), "214"},
    {"Orange", rgbOf(254, 186, 53), "208"},
    {"Yellow", rgbOf(255, 255, 0), "205"},
    {"Lime Green", rgbOf(112, 188, 31), "513"},
    {"Brass", rgbOf(186, 152, 0), "328"},
    {"Silver", rgbOf(168, 168, 168), "005"},
    {"Russet Brown", rgbOf(125, 111, 0), "330"},
    {"Cream Brown", rgbOf(255, 255, 179), "010"},
    {"Pewter", rgbOf(79, 85, 86), "704"},
    {"Black", rgbOf(0, 0, 0), "900"},
    {"Ultramarine", rgbOf(11, 61, 145), "406"},
    {"Royal Purple", rgbOf(119, 1, 118), "869"},
    {"Dark Gray", rgbOf(41, 49, 51), "707"},
    {"Dark Brown", rgbOf(42, 19, 1), "058"},
    {"Deep Rose", rgbOf(246, 74, 138), "086"},
    {"Light Brown", rgbOf(178, 118, 36), "323"},
    {"Salmon Pink", rgbOf(252, 187, 196), "079"},
    {"Vermillion", rgbOf(254, 55, 15), "030"},
    {"White", rgbOf(240, 240, 240), "001"},
    {"Violet", rgbOf(106, 28, 138), "613"},
    {"Seacrest", rgbOf(168, 221, 196), "542"},
    {"Sky Blue", rgbOf(37, 132, 187), "019"},
    {"Pumpkin", rgbOf(254, 179, 67), "126"},
    {"Cream Yellow", rgbOf(255, 240, 141), "812"},
    {"Khaki", rgbOf(208, 166, 96), "348"},
    {"Clay Brown", rgbOf(209, 84, 0), "339"},
    {"Leaf Green", rgbOf(102, 186, 73), "509"},
    {"Peacock Blue", rgbOf(19, 74, 118), "415"},
    {"Gray", rgbOf(135, 135, 135), "817"},
    {"Warm Gray", rgbOf(216, 204, 198), "399"},
    {"Dark Olive", rgbOf(67, 86, 7), "517"},
    {"Linen", rgbOf(254, 227, 197), "307"},
    {"Pink", rgbOf(249, 147, 188), "085"},
    {"Deep Green", rgbOf(0, 56, 34), "808"},
    {"Lavender", rgbOf(178, 175, 212), "804"},
    {"Wisteria Violet", rgbOf(104, 106, 176), "607"},
    {"Beige", rgbOf(239, 227, 185), "843"},
    {"Carmine", rgbOf(247, 56, 102), "807"},
    {"Amber Red", rgbOf(181, 76, 100), "333"},
    {"Olive Green", rgbOf(19, 43, 26), "519"},
    {"Dark Fuschia", rgbOf(199, 1, 86), "107"},
    {"Tangerine", rgbOf(254, 158, 50), "209"},
    {"Light Blue", rgbOf(168, 222, 235), "017"},
    {"Emerald Green", rgbOf(0, 103, 62), "507"},
    {"Purple", rgbOf(78, 41, 144), "614"},
    {"Moss Green", rgbOf(47, 126, 32), "515"},
    {"Flesh Pink", rgbOf(253, 217, 222), "124"},
    {"Harvest Gold", rgbOf(255, 217, 17), "206"},
    {"Electric Blue", rgbOf(9, 91, 166), "420"},
    {"Lemon Yellow", rgbOf(240, 249, 112), "202"},
    {"Fresh Green", rgbOf(227, 243, 91), "027"},
    {"Applique Mat.", rgbOf(255, 200, 100), ""},
    {"Applique Pos.", rgbOf(255, 215, 150), ""},
    {"Applique", rgbOf(255, 200, 200), ""},
    {"Not Defined", rgbOf(225, 225, 225), ""},
    {"Prussian Blue 2", rgbOf(0, 0, 170), ""},
    {"Blue 2", rgbOf(0, 0, 255), ""},
    {"Electric Blue 2", rgbOf(0, 85, 255), ""},
    {"Moss Green 2", rgbOf(0, 170, 0), ""},
    {"Sky Blue 3", rgbOf(0, 170, 255), ""},
    {"Lime Green 3", rgbOf(0, 255, 0), ""},
    {"Leaf Green 3", rgbOf(0, 255, 85), ""},
    {"Sky Blue 5", rgbOf(0, 255, 170), ""},
    {"Sky Blue 6", rgbOf(0, 255, 255), ""},
    {"Dark Brown 2", rgbOf(85, 0, 0), ""},
    {"Purple 2", rgbOf(85, 0, 255), ""},
    {"Corn Flower Blue 2", rgbOf(85, 85, 255), ""},
    {"Sky Blue 2", rgbOf(85, 170, 170), ""},
    {"Sky Blue 4", rgbOf(85, 170, 255), ""},
    {"Lime Green 2", rgbOf(85, 255, 0), ""},
    {"Leaf Green 2", rgbOf(85, 255, 85), ""},
    {"Seacrest 2", rgbOf(85, 255, 170), ""},
    {"Light Blue 2", rgbOf(85, 255, 255), ""},
    {"Red 2", rgbOf(170, 0, 0), ""},
    {"Magenta 2", rgbOf(170, 0, 170), ""},
    {"Magenta 3", rgbOf(170, 0, 255), ""},
    {"Lilac 2", rgbOf(170, 85, 255), ""},
    {"Lavender 2", rgbOf(170, 170, 255), ""},
    {"Yellow 2", rgbOf(170, 255, 0), ""},
    {"Dark Fuschia 2", rgbOf(255, 0, 85), ""},
    {"Deep Rose 2", rgbOf(255, 0, 170), ""},
    {"Deep Rose 3", rgbOf(255, 0, 255), ""},
    {"Light Lilac 2", rgbOf(255, 85, 255), ""},
    {"Flesh Pink 2", rgbOf(255, 170, 255), ""},
}};

constexpr PecEntry kUnknown{"Unknown", rgbOf(225, 225, 225), ""};

constexpr const PecEntry& entry(int index) {
  return index >= 0 && index < kPecPaletteSize ? kPec[static_cast<std::size_t>(index)] : kUnknown;
}

}  // namespace

const std::array<int, kPecThreadColors> kPecDisplayOrder{
    20, 5,  29, 43, 25, 57, 51, 28, 48, 22, 7,  27, 49, 60, 13, 58, 12, 33, 52, 18, 34,
    35, 11, 15, 42, 24, 6,  36, 47, 40, 17, 26, 31, 10, 37, 50, 41, 3,  54, 44, 61, 14,
    56, 2,  21, 53, 32, 59, 38, 1,  4,  8,  9,  30, 55, 45, 46, 19, 23, 16, 39};

std::uint32_t pecColor(int index) { return entry(index).rgb; }

std::string_view pecColorName(int index) { return entry(index).name; }

std::string_view embroideryCode(int index) {
  return index >= 1 && index <= kPecThreadColors ? kPec[static_cast<std::size_t>(index)].code : "";
}

void applyPecColors(EmbDesign& design) {
  for (ThreadColor& t : design.threads) t.rgb = pecColor(t.chartCode);
}

}  // namespace lh
