#pragma once
// A cell's picture and the facts it shows of its design, as plain data that any thread may
// hand to the user-interface thread.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "browser/view_core/design_cell.h"
#include "browser/view_core/shared_palette.h"
#include "design/emb_design.h"
#include "formats/design_codec.h"

namespace lh {

struct Thumbnail {
  CellPicture picture = CellPicture::Empty;
  LoadResult loadResult = LoadResult::Ok;
  PictureSpec spec;                      // what it was rendered for
  IndexedPicture rendered;               // Design: the stitches at spec's size
  std::vector<std::uint8_t> bitmapFile;  // PictureFile, Missing, Unreadable: a BMP file image
  std::string text;                      // Text: the document's text
  std::string infoText;                  // Design: the size and stitch count line
  std::vector<ColorLine> colorList;      // Design: one line per thread
  float scale = 0.0f;                    // Design: pixels per 0.1 mm, for the distance read-out

  // Memory held, for the cache's budget.
  std::size_t bytes() const;
};

// The thumbnail of a design loadDesign left with `result`: a stitch design is rendered to
// `spec` on the shared palette (the design's buffer is taken); the other pictures are
// copied. `inches` chooses the units of the info text and the colour list.
Thumbnail makeThumbnail(EmbDesign& design, LoadResult result, const PictureSpec& spec, bool inches,
                        SharedPalette& palette);

}  // namespace lh
