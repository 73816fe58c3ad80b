#pragma once
// The decisions of a design cell (a thumbnail of the grid, or the preview pane) as data: what
// its caption says, where its parts go, which picture it shows and how it is rendered, the
// colour list lines and the distance read-out. The widget draws what these answer.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/view_core/grid_layout.h"
#include "catalog/file_item.h"
#include "design/emb_design.h"
#include "formats/design_codec.h"

namespace lh {

// What fills a cell's picture area.
enum class CellPicture {
  Empty,        // no item, or its picture is not ready yet: caption only
  Design,       // rendered stitches
  PictureFile,  // a bitmap file, drawn proportionally into the inner rectangle
  Text,         // a text document, drawn as wrapped text
  Missing,      // the file (or medium, or archive member) could not be read: missing-file picture
  Unreadable,   // read, but no reader could show it: an error picture
};
// The picture of a design after loadDesign gave `result`.
CellPicture cellPictureOf(const EmbDesign& design, LoadResult result);
// Pictures and text documents are shown as they are: no colour list, no distances.
inline bool showsStitches(CellPicture p) { return p == CellPicture::Design; }

// The caption strip's text: the item's name; an archive member's name after its last '/'
// followed directly by "(zip)". Empty for an empty item.
std::string cellCaption(const FileItem& item);

// The "tmp " mark of tool output in the temporary folder: drawn at the bottom left of the
// inner rectangle, red when the file is also deleted when the program closes.
inline constexpr std::string_view kTmpMark = "tmp ";
inline constexpr std::uint32_t kTmpDeleteColor = 0x0000FF;  // red, 0x00BBGGRR
inline constexpr std::uint32_t kTmpKeepColor = 0x000000;    // the text colour
// The mark's colour, or nothing when the file is not temporary.
std::optional<std::uint32_t> tmpMarkColor(bool temporary, bool deleteAtClose);

// Shaded pictures get 2-pixel lines from this width on.
inline constexpr int kThickLineWidth = 250;
bool thickLinesAt(bool shaded, int pictureWidth);

// Where the parts of a cell go, in client pixels.
inline constexpr int kCaptionPadding = 6;   // strip height = caption font height + this
inline constexpr int kCaptionTextTop = 4;   // the caption text's top within the strip
inline constexpr int kSelectionPen = 3;     // the selection frame's pen width
struct CellGeometry {
  GridRect caption;    // the white strip across the top, a highlight line along its bottom
  GridRect picture;    // the rest of the client area
  int renderWidth = 0;   // the rendered picture's size: the width rounded up to even
  int renderHeight = 0;
  GridRect inner;      // picture files, text documents and the "tmp " mark go in here
  GridRect frame;      // the selection frame of a selected thumbnail
};
CellGeometry cellGeometry(int clientWidth, int clientHeight, int captionFontHeight);

// How a cell's design is rendered; a cell renders again when any of it changes.
struct PictureSpec {
  int width = 0;
  int height = 0;
  bool shaded = false;
  bool thickLines = false;
  bool showJumps = false;
  std::uint32_t background = 0xFFFFFF;  // 0x00BBGGRR
  friend bool operator==(const PictureSpec&, const PictureSpec&) = default;
};
// The picture wanted from a cell of this geometry with its shading, jump and background choices.
PictureSpec pictureSpec(const CellGeometry& geometry, bool shaded, bool showJumps, std::uint32_t background);

// The colour list of the preview pane: one line per thread, with its colour for the swatch.
struct ColorLine {
  std::string text;
  std::uint32_t rgb = 0;
  friend bool operator==(const ColorLine&, const ColorLine&) = default;
};
std::vector<ColorLine> colorListLines(const EmbDesign& design, bool inches);
// The summary line above the colour list (size and stitch count).
std::string cellInfoText(const EmbDesign& design, bool inches);

// The colour list switch: the new state from the current one; never on for a cell that does
// not show stitches.
bool colorListAfterSwitch(bool shown, CellPicture picture);

// How the preview pane takes over a selected thumbnail: a bitmap file is read again for the
// larger pane, everything else is copied from the cell.
enum class PreviewTakeOver { CopyCell, ReadFile };
PreviewTakeOver previewTakeOver(CellPicture picture);

// The preview pane's context menu: "PREVIEW" with three items whose first two name what
// they switch to, or "PREVIEW2" with "Show Image" while the colour list is shown.
std::vector<std::string> previewMenuTexts(bool showJumps, bool shaded, bool colorListShown);

// The status text while the mouse moves over the preview pane.
struct PointerOverPreview {
  int x = 0, y = 0;           // client pixels
  bool buttonOrModifier = false;
};
std::string distanceText(const std::string& caption, CellPicture picture, bool colorListShown, float scale,
                         const GridRect& pictureRect, const PointerOverPreview& pointer, bool inches);

}  // namespace lh
