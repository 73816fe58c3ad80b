#pragma once
// Draws a design into its own 8-bit thumbnail buffer and turns the buffer into a DIB or a
// BMP file image.
//
// Typical use:
//   PaletteManager palette;               // one per output (screen, print, export)
//   usePalette(design, &palette);
//   setSize(design, 128, 128);
//   render(design);                       // design.pixels now holds slot numbers
//   ByteBuffer bmp = toBmpFile(design);   // or buildDib(design) for the GUI
//
// Every operation needs design.palette set; without one nothing is drawn and the output
// operations return nothing.
//
// Threads: designs that share a palette may be rendered on different threads at once (a
// render places its colours under one hold of the palette and draws without it); one design
// is used by one thread at a time. Shade slots belong to the latest shaded render on a
// palette: the next one releases them, so a shaded render's DIB or BMP is built before
// another shaded render on the same palette starts, or the two use different palettes.
#include <array>
#include <cstdint>
#include <vector>

#include "design/design_bitmap.h"
#include "design/emb_design.h"
#include "render/palette_manager.h"

namespace lh {

// The base render of a bitmap that holds no stitches: allocates the buffer (width rounded
// up to even) filled with the background slot (slot 0 when colorFilter is not -1).
// Returns false when no buffer was made (picture shown, no palette, empty size).
bool render(DesignBitmap& bitmap, int colorFilter = -1);

// The stitch renderer. colorFilter -1 draws the whole design in its colours (shaded when
// design.shaded, 2-pixel lines when design.thickLines, jumps when design.showJumps);
// colorFilter k >= 0 draws colour block k alone in slot 1 on slot 0. Writes design.scale,
// every thread's paletteIndex and, when shaded, its shades. Returns false when no buffer
// was made.
bool render(EmbDesign& design, int colorFilter = -1);

// DDA line from (x0, y0) towards (x1, y1); the end point itself is not plotted. Pixels
// outside 0 .. width-3 / 0 .. height-3 are skipped (room for the 2 x 2 thick pixel).
void drawLine(DesignBitmap& bitmap, int x0, int y0, int x1, int y1, int slot, bool thick);
// The same line with slots chosen by position along the stitch: s0 at the first pixel and
// in the middle, darker towards both ends (s1, s2, s3).
void drawShadedLine(DesignBitmap& bitmap, int x0, int y0, int x1, int y1, int s0, int s1, int s2,
                    int s3, bool thick);

// A thin dashed line over the same pixels as drawLine: with b counting the steps from the
// line's length down to 1, a pixel is set only where b modulo 5 is 3 or 4.
void drawDashedLine(DesignBitmap& bitmap, int x0, int y0, int x1, int y1, int slot);

// The four "Instant 3D" colours of one block colour, before they are placed in a palette:
// highlight, then three darker shades. Near-white colours get a fixed ramp that is placed
// without quantising.
struct ShadeRamp {
  std::array<std::uint32_t, 4> colors{};  // 0x00BBGGRR
  bool quantise = true;
};
ShadeRamp shadeRampOf(std::uint32_t color);
// Frees the previous shade slots and gives every thread its four shade slots.
void buildShadeRamps(EmbDesign& design);

// Flat render, then the outlines of the colour regions, black on white.
bool renderOutline(EmbDesign& design);
// Renders block k at the current size and packs it into `mask` (resized), one bit per
// pixel, least significant bit first; returns width x height / 8, 0 when no buffer.
int renderBlockMask(EmbDesign& design, int k, std::vector<std::uint8_t>& mask);
// Sets the size to w x h, renders block k and writes into `out` (resized) the header
// {w / 8, h} and the packed bits, most significant bit first; returns w x h / 8, 0 when no
// buffer. w should be a multiple of 8.
int renderBlockIcon(EmbDesign& design, int k, std::vector<std::uint8_t>& out, int w, int h);

// Plain field writes; the caller renders afterwards.
void setSize(DesignBitmap& bitmap, int width, int height);
void setBackground(DesignBitmap& bitmap, std::uint32_t rgb);

// Builds dibInfo / dibBits (bottom-up rows padded to 4 bytes, RGB quads) from the buffer,
// rendering first when there is none, and releases the buffer. False when nothing could be
// built (picture shown, no palette, empty size).
bool buildDib(EmbDesign& design);
// A complete BMP file image of the rendered buffer; empty when nothing could be built.
std::vector<std::uint8_t> toBmpFile(EmbDesign& design);
// Forgets the device-side image; the next paint rebuilds it from the DIB.
void dropDeviceBitmap(DesignBitmap& bitmap);
// Binds the slots to another palette and drops the device-side image.
void usePalette(DesignBitmap& bitmap, PaletteManager* palette);

// The colour a thread is drawn in: pure white shows as light grey on the white background.
std::uint32_t drawnColor(std::uint32_t rgb);

}  // namespace lh
