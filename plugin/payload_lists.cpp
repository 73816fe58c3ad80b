// The payloads built around the design payload: several designs, a whole file, the file-type
// list and the host's colour lists.
#include <algorithm>
#include <array>
#include <limits>

#include "formats/format_table.h"
#include "plugin/payload.h"
#include "threads/offered_charts.h"

namespace lh {

namespace {

constexpr std::array<FormatCode, 10> kFileTypeList{FormatPes, FormatHus, FormatSew, FormatPcs, FormatJef,
                                                   FormatXxx, FormatExp, FormatVip, FormatVp3, FormatDst};

// A stitch-less design of `path` whose threads `fill` sets, as the host writes it.
template <typename Fill>
std::optional<ByteBuffer> colorListPayload(std::string_view path, Fill fill) {
  EmbDesign design;
  design.path = std::string(path);
  fill(design);
  if (design.threads.empty()) return std::nullopt;
  return writeDesignPayload(design, PayloadSide::Host);
}

std::size_t headerRowCount(const ThreadColor& header) { return header.rgb & ~kChartHeaderFlag; }

}  // namespace

MultiPayloadBlock writeMultiPayload(std::span<const EmbDesign> designs, PayloadSide side) {
  MultiPayloadBlock block;
  ByteWriter w;
  w.u32le(0);
  for (const EmbDesign& design : designs) {
    const auto payload = writeDesignPayload(design, side);
    if (!payload || payload->size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) continue;
    if (block.count == std::numeric_limits<std::int32_t>::max()) break;
    w.u32le(static_cast<std::uint32_t>(payload->size()));
    w.bytes(*payload);
    ++block.count;
  }
  w.u32leAt(0, static_cast<std::uint32_t>(block.count));
  block.bytes = w.take();
  return block;
}

MultiPayload readMultiPayload(ByteSpan block, PayloadSide side) {
  MultiPayload out;
  ByteReader r(block);
  const std::int32_t count = r.i32le();
  if (!r.good() || count < 0) return out;
  out.status = PayloadRead::Whole;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t size = r.i32le();
    if (!r.good() || size < 0 || static_cast<std::size_t>(size) > r.remaining()) {
      out.status = PayloadRead::Partial;
      break;
    }
    EmbDesign design;
    const PayloadRead read = readDesignPayload(r.bytes(static_cast<std::size_t>(size)), design, side);
    if (read != PayloadRead::Whole) out.status = PayloadRead::Partial;
    if (read != PayloadRead::Refused) out.designs.push_back(std::move(design));
  }
  return out;
}

ByteBuffer writeWholeFilePayload(ByteSpan file) {
  ByteBuffer out;
  out.reserve(file.size() + 1);
  out.assign(file.begin(), file.end());
  out.push_back(0);
  return out;
}

WholeFilePayload readWholeFilePayload(ByteSpan block) {
  if (block.empty()) return {};
  if (block.back() != 0) return {block, PayloadRead::Partial};
  return {block.first(block.size() - 1), PayloadRead::Whole};
}

std::span<const FormatCode> fileTypeListOrder() { return kFileTypeList; }

ByteBuffer writeFileTypeListPayload() {
  ByteWriter w;
  for (FormatCode code : kFileTypeList) {
    w.text(formatName(code));
    w.u8(0);
  }
  return w.take();
}

FileTypeList readFileTypeListPayload(ByteSpan block) {
  FileTypeList out;
  out.status = PayloadRead::Whole;
  auto start = block.begin();
  while (start != block.end()) {
    const auto nul = std::find(start, block.end(), std::uint8_t{0});
    if (nul == block.end()) {
      out.status = PayloadRead::Partial;
      break;
    }
    if (nul != start) out.names.emplace_back(start, nul);
    start = nul + 1;
  }
  return out;
}

std::optional<ByteBuffer> writeColorArrayPayload(std::string_view path) {
  return colorListPayload(path, [](EmbDesign& d) { machinePalette(d); });
}

std::optional<ByteBuffer> writeThreadColorArrayPayload(std::string_view path, const SettingsStore& settings) {
  return colorListPayload(path, [&](EmbDesign& d) { offeredCharts(d, settings); });
}

std::vector<ChartGroup> chartGroups(std::span<const ThreadColor> threads) {
  std::vector<ChartGroup> groups;
  std::size_t i = 0;
  while (i < threads.size()) {
    ChartGroup group;
    std::size_t limit = threads.size();
    if (isChartHeader(threads[i].rgb)) {
      group.name = threads[i].displayName;
      group.hasHeader = true;
      limit = std::min<std::uint64_t>(limit, std::uint64_t{i} + 1 + headerRowCount(threads[i]));
      ++i;
    }
    const std::size_t first = i;
    while (i < limit && !isChartHeader(threads[i].rgb)) ++i;
    group.rows = threads.subspan(first, i - first);
    groups.push_back(std::move(group));
  }
  return groups;
}

}  // namespace lh
