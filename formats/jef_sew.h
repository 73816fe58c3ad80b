#pragma once
// JEF (also read as "Jef+") and SEW: one 2-byte stitch stream and one thread catalogue (the
// Janome codes) in two containers. JEF adds a header with extents, a hoop code, hoop-edge
// distances and a creation date; SEW adds per-block record counts and monochrome block icons.
#include <cstddef>
#include <optional>
#include <vector>

#include "formats/design_codec.h"

namespace lh {

// Most colours a file holds: the JEF reader refuses more, SEW has room for 12 blocks. The
// conversion splits a design with more into several files.
inline constexpr std::size_t kJanomeMaxColors = 100;
inline constexpr std::size_t kSewMaxColors = 12;

// Stream records: a plain pair (x, y) of signed bytes is a move; 80 01 and 80 02 prefix the
// colour-change and jump records whose move is the next pair; 80 10 ends the design.
inline constexpr std::uint8_t kJanomeEscape = 0x80;
inline constexpr std::uint8_t kJanomeColorChange = 0x01;
inline constexpr std::uint8_t kJanomeJump = 0x02;
inline constexpr std::uint8_t kJanomeEnd = 0x10;

// Decodes the stream from `start` up to the end mark or the last complete pair, appending
// the records to `out`. Returns the number of colour changes read.
std::size_t decodeJanomeStream(ByteSpan file, std::size_t start, std::vector<Stitch>& out);

// The time stamp written into a JEF header (UTC).
struct JefDate {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
JefDate currentJefDate();

// JEF hoop code for centred bounds: 0 fits the 110 x 110 mm hoop, 1 fits 50 x 50 mm, 4 is
// beyond 140 mm in every direction, 2 anything else.
int jefHoopCode(const EmbDesign& design);

// Readers (the reader contract of the load dispatcher): ReadResult::Ok, or ReadResult::Failed when the file
// names more than 100 colours.
ReadResult readJef(DesignCodec& codec, EmbDesign& design, ByteSpan file);
ReadResult readSew(DesignCodec& codec, EmbDesign& design, ByteSpan file);

// Writers: the file image, or nothing for a design without stitches or colours (SEW also
// above 12 colours). Both centre and re-cut the design they are given.
std::optional<ByteBuffer> writeJef(DesignCodec& codec, EmbDesign& design);
// writeJef with a given creation date instead of the clock's (tests and benchmarks fix it).
std::optional<ByteBuffer> writeJef(EmbDesign& design, const JefDate& date);
std::optional<ByteBuffer> writeSew(DesignCodec& codec, EmbDesign& design);

}  // namespace lh
