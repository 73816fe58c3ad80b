#pragma once
// Companion files of a design: the notes text and the preview bitmap.
#include <ctime>
#include <string>

#include "design/emb_design.h"
#include "design/settings.h"
#include "formats/bytes.h"

namespace lh {

// The notes sheet (8-bit text, CR LF line ends): path, size line, the date as mm/dd/yy, one
// paragraph per colour block in yards (inches) or metres, then the thread match report. A
// design without threads (a text document) gives its text instead.
std::string notesText(const EmbDesign& design, bool inches, const std::tm& today);
// The same dated with today's local date.
std::string notesText(const EmbDesign& design, bool inches);

struct PreviewSettings {
  int size = 400;     // "BMP Size", edge length in pixels (32 to 1024)
  bool make3d = true; // "Make 3D"
  bool outline = false; // "Outline"
};
PreviewSettings loadPreviewSettings(const SettingsStore& store);

// "English" of section "Settings" (default 1): sizes and lengths in inches and yards.
bool loadEnglishUnits(const SettingsStore& store);

// A square BMP file image of the design, the edge rounded down to a multiple of 8, drawn
// with 2-pixel lines, shaded or flat, or as the outlines of its colour layers. The design's
// pixel buffer is released afterwards. Empty when nothing could be drawn.
ByteBuffer exportPreviewBitmap(EmbDesign& design, const PreviewSettings& settings);

}  // namespace lh
