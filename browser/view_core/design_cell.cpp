#include "browser/view_core/design_cell.h"

#include <algorithm>
#include <cstdio>

#include "design/measurements.h"

namespace lh {

namespace {

constexpr double kInchesPerTenthMm = 0.01 * 0.39370078;  // 0.1 mm -> cm -> inches
constexpr double kYardsPerInch = 0.027777778;
constexpr double kMetresPerTenthMm = 0.0001;
constexpr double kInchesPerCm = 0.39370078;

// printf into a string of any length (thread names are the user's own texts).
template <typename... Args>
std::string formatted(const char* fmt, Args... args) {
  const int n = std::snprintf(nullptr, 0, fmt, args...);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), fmt, args...);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

GridRect shrunk(const GridRect& r, int left, int top, int right, int bottom) {
  return {r.x + left, r.y + top, std::max(0, r.width - left - right), std::max(0, r.height - top - bottom)};
}

}  // namespace

CellPicture cellPictureOf(const EmbDesign& design, LoadResult result) {
  if (result != LoadResult::Ok) return design.loadFailed ? CellPicture::Missing : CellPicture::Unreadable;
  if (design.isText) return CellPicture::Text;
  if (design.holdsPicture) return CellPicture::PictureFile;
  return CellPicture::Design;
}

std::string cellCaption(const FileItem& item) {
  if (!item.isArchiveMember()) return item.name;
  const std::size_t slash = item.name.rfind('/');
  const std::string_view base =
      slash == std::string::npos ? std::string_view(item.name) : std::string_view(item.name).substr(slash + 1);
  return std::string(base) + "(zip)";
}

std::optional<std::uint32_t> tmpMarkColor(bool temporary, bool deleteAtClose) {
  if (!temporary) return std::nullopt;
  return deleteAtClose ? kTmpDeleteColor : kTmpKeepColor;
}

bool thickLinesAt(bool shaded, int pictureWidth) { return shaded && pictureWidth >= kThickLineWidth; }

CellGeometry cellGeometry(int clientWidth, int clientHeight, int captionFontHeight) {
  const int width = std::max(0, clientWidth), height = std::max(0, clientHeight);
  const int strip = std::min(height, std::max(0, captionFontHeight) + kCaptionPadding);
  CellGeometry g;
  g.caption = {0, 0, width, strip};
  g.picture = {0, strip, width, height - strip};
  g.renderWidth = (width + 1) / 2 * 2;
  g.renderHeight = height - strip;
  g.inner = shrunk(g.picture, 4, 2, 4, 4);
  g.frame = shrunk({0, 0, width, height}, 1, 1, 2, 2);
  return g;
}

PictureSpec pictureSpec(const CellGeometry& geometry, bool shaded, bool showJumps, std::uint32_t background) {
  PictureSpec spec;
  spec.width = geometry.renderWidth;
  spec.height = geometry.renderHeight;
  spec.shaded = shaded;
  spec.thickLines = thickLinesAt(shaded, geometry.renderWidth);
  spec.showJumps = showJumps;
  spec.background = background & 0xFFFFFF;
  return spec;
}

std::vector<ColorLine> colorListLines(const EmbDesign& design, bool inches) {
  std::vector<ColorLine> lines;
  lines.reserve(design.threads.size());
  int number = 1;
  for (const ThreadColor& t : design.threads) {
    const double length = static_cast<double>(t.threadLength);
    std::string text = inches ? formatted("%i: %s,  %i st.  %-1.1f yd.", number, t.displayName.c_str(), t.stitchCount,
                                          length * kInchesPerTenthMm * kYardsPerInch)
                              : formatted("%i: %s,  %i st.  %-1.1f m.", number, t.displayName.c_str(), t.stitchCount,
                                          length * kMetresPerTenthMm);
    lines.push_back({std::move(text), t.rgb & 0xFFFFFF});
    ++number;
  }
  return lines;
}

std::string cellInfoText(const EmbDesign& design, bool inches) { return sizeText(design, inches, true); }

bool colorListAfterSwitch(bool shown, CellPicture picture) { return showsStitches(picture) && !shown; }

PreviewTakeOver previewTakeOver(CellPicture picture) {
  return picture == CellPicture::PictureFile ? PreviewTakeOver::ReadFile : PreviewTakeOver::CopyCell;
}

std::vector<std::string> previewMenuTexts(bool showJumps, bool shaded, bool colorListShown) {
  if (colorListShown) return {"Show Image"};
  return {showJumps ? "Hide jump stitches" : "Show jump stitches", shaded ? "Turn Instant-3D Off" : "Turn Instant-3D On",
          "Show Color List"};
}

std::string distanceText(const std::string& caption, CellPicture picture, bool colorListShown, float scale,
                         const GridRect& pictureRect, const PointerOverPreview& pointer, bool inches) {
  if (caption.empty() || scale == 0.0f || pointer.buttonOrModifier) return "Select an image to view.";
  if (!showsStitches(picture) || colorListShown) return caption;
  const int cx = pictureRect.x + pictureRect.width / 2, cy = pictureRect.y + pictureRect.height / 2;
  const double x = static_cast<double>(pointer.x - cx) * 0.01 / static_cast<double>(scale);
  const double y = static_cast<double>(cy - pointer.y) * 0.01 / static_cast<double>(scale);
  if (!inches) return formatted("Distance From Center: %-1.2f cm. x %-1.2f cm.", x, y);
  return formatted("Distance From Center: %s\" x  %s\"", inchText(x * kInchesPerCm).c_str(),
                   inchText(y * kInchesPerCm).c_str());
}

}  // namespace lh
