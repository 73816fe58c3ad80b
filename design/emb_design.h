#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "design/attribute_list.h"
#include "design/design_bitmap.h"
#include "design/stitch.h"
#include "design/thread_color.h"

namespace lh {

// Extremes of the needle positions after each record, and the end position, summed in 64
// bits (a damaged file of millions of long moves runs far past the int32 range). With no
// records the bounds keep their start values 10000 and -10000.
struct Bounds64 {
  std::int64_t minX = 10000, minY = 10000, maxX = -10000, maxY = -10000;
  std::int64_t endX = 0, endY = 0;
  std::int64_t width() const { return maxX - minX; }
  std::int64_t height() const { return maxY - minY; }
};
Bounds64 measureBounds(std::span<const Stitch> records);

// What a design is apart from its picture: the sewing sequence, one thread per colour
// block, bounds, PES texts and load state. Plain values copied member-wise, so a field added
// here is copied by every copy of a design.
struct DesignContent {
  AttributeList attributes;
  std::int32_t pesVersion = 0;
  std::string name;
  std::string category;
  std::string author;
  std::string keywords;
  std::string comments;
  std::string path;
  std::string sourcePath;
  bool showJumps = false;
  std::int32_t fitRotation = 0;
  std::int32_t hoopRotation = 0;
  std::int32_t hoopWidth = 0;
  std::int32_t hoopHeight = 0;
  std::int32_t maxX = 0;
  std::int32_t maxY = 0;
  std::int32_t minX = 0;
  std::int32_t minY = 0;
  std::vector<Stitch> stitches;
  std::vector<ThreadColor> threads;
  std::vector<ThreadColor> fileThreads;
  std::int32_t payloadKind = 0;
  std::int32_t modifiedFlag = 0;
  bool loadFailed = false;
  bool isText = false;
  std::string text;
  float scale = 0.0f;

  friend bool operator==(const DesignContent&, const DesignContent&) = default;
};

// The in-memory embroidery design: its content and its thumbnail (the DesignBitmap base).
//
// Stitches live in one contiguous vector; the walking operations each build the new
// sequence in a single pass. Positions in `after` arguments are record indexes; kNone
// means "from the first record".
class EmbDesign : public DesignBitmap, public DesignContent {
 public:
  static constexpr std::ptrdiff_t kNone = -1;

  EmbDesign() = default;
  // A working copy: everything copyFrom copies, with pesVersion and the hoop size reset to 0
  // (sourcePath and showJumps keep their defaults).
  EmbDesign(const EmbDesign& other);
  EmbDesign& operator=(const EmbDesign&) = delete;
  EmbDesign(EmbDesign&&) noexcept = default;
  EmbDesign& operator=(EmbDesign&&) noexcept = default;
  ~EmbDesign() = default;

  // Replaces this design's content with a copy of `other`, except sourcePath and showJumps,
  // and takes its picture state; the rest of this design's bitmap (buffer, size, palette)
  // stays.
  void copyFrom(const EmbDesign& other);
  // Empties stitches, threads, path, text and the PES texts and blanks the thumbnail;
  // attributes, fileThreads, pesVersion, bounds and hoop fields stay.
  void clear();

  // In 64 bits: the stored bounds of a design beyond the load limits can span more than int32.
  std::int64_t width() const { return std::int64_t{maxX} - minX; }
  std::int64_t height() const { return std::int64_t{maxY} - minY; }

  // Recomputes the bounds from the records after `after`; returns the end position. Sums
  // run in 64 bits and are stored clamped to the int32 fields.
  Point computeBounds(std::ptrdiff_t after = kNone);
  // Moves the origin to the centre of the bounding box; returns the end position.
  Point centreDesign(std::ptrdiff_t after = kNone);
  // Folds runs of jumps together; with jumpsOnly false a jump also swallows one stitch.
  void mergeJumps(bool jumpsOnly);
  // Quarter turn: +1 clockwise, 0 or negative counter-clockwise.
  void rotateQuarter(int direction);
  // Cuts moves longer than maxLength into jump pieces. Without `replace`, a cut stitch keeps a
  // zero-move penetration at its end point and a colour change carrying a move is separated
  // from it; jumps never gain a penetration.
  void splitLongStitches(int maxLength, bool insertTrims, bool replace);
  // Removes leading jumps and zero moves, then centres the design.
  Point dropLeadingJumps();
  // Decides for long moves of formats without reliable jump marks whether they are jumps.
  void classifyJumps();
  // Fills the per-block statistics of every thread.
  void computeBlockStats();
  // Numbers the colour blocks so that equal threads share a needle.
  void assignNeedles();

  // Number of ColorChange records in the sequence.
  std::size_t colorChangeCount() const;
};

// Extension of a file or "Zip:" member path without the dot ("" when none).
std::string_view extensionOf(std::string_view path);

}  // namespace lh
