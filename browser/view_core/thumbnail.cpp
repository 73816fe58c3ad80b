#include "browser/view_core/thumbnail.h"

#include "render/renderer.h"

namespace lh {

std::size_t Thumbnail::bytes() const {
  std::size_t n = sizeof(Thumbnail) + rendered.pixels.capacity() + bitmapFile.capacity() + text.capacity() +
                  infoText.capacity();
  for (const ColorLine& line : colorList) n += sizeof(ColorLine) + line.text.capacity();
  return n;
}

Thumbnail makeThumbnail(EmbDesign& design, LoadResult result, const PictureSpec& spec, bool inches,
                        SharedPalette& palette) {
  Thumbnail t;
  t.picture = cellPictureOf(design, result);
  t.loadResult = result;
  t.spec = spec;
  switch (t.picture) {
    case CellPicture::Design: {
      setSize(design, spec.width, spec.height);
      design.shaded = spec.shaded;
      design.thickLines = spec.thickLines;
      design.showJumps = spec.showJumps;
      design.background = spec.background;
      if (std::optional<IndexedPicture> drawn = palette.render(design)) t.rendered = std::move(*drawn);
      t.scale = design.scale;
      t.infoText = cellInfoText(design, inches);
      t.colorList = colorListLines(design, inches);
      break;
    }
    case CellPicture::PictureFile:
    case CellPicture::Missing:
    case CellPicture::Unreadable:
      t.bitmapFile = design.picture;
      break;
    case CellPicture::Text:
      t.text = design.text;
      break;
    case CellPicture::Empty:
      break;
  }
  return t;
}

}  // namespace lh
