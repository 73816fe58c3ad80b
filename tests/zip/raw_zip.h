#pragma once
// Builds zip archive images byte by byte, so tests can make archives no well-behaved writer
// would: wrong CRCs, lying sizes, hostile member names.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lh::test {

struct RawMember {
  std::string name;
  std::vector<std::uint8_t> data;  // uncompressed content
  bool deflate = false;
  std::int64_t crcOverride = -1;   // >= 0: stored instead of the real CRC
  std::int64_t sizeOverride = -1;  // >= 0: declared uncompressed size
};

inline std::vector<std::uint8_t> rawDeflate(const std::vector<std::uint8_t>& in) {
  z_stream zs{};
  deflateInit2(&zs, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::vector<std::uint8_t> out(deflateBound(&zs, static_cast<uLong>(in.size())));
  zs.next_in = const_cast<Bytef*>(in.data());
  zs.avail_in = static_cast<uInt>(in.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

inline std::vector<std::uint8_t> buildZip(const std::vector<RawMember>& members) {
  std::vector<std::uint8_t> out, dir;
  auto put = [](std::vector<std::uint8_t>& v, std::uint32_t x, int n) {
    for (int i = 0; i < n; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
  };
  for (const RawMember& m : members) {
    const std::vector<std::uint8_t> body = m.deflate ? rawDeflate(m.data) : m.data;
    const auto crc =
        m.crcOverride >= 0
            ? static_cast<std::uint32_t>(m.crcOverride)
            : static_cast<std::uint32_t>(crc32(0, m.data.data(), static_cast<uInt>(m.data.size())));
    const auto size = m.sizeOverride >= 0 ? static_cast<std::uint32_t>(m.sizeOverride)
                                          : static_cast<std::uint32_t>(m.data.size());
    const auto offset = static_cast<std::uint32_t>(out.size());
    const unsigned method = m.deflate ? 8 : 0;
    put(out, 0x04034b50, 4);
    put(out, 20, 2);
    put(out, 0, 2);
    put(out, method, 2);
    put(out, 0, 4);  // time, date
    put(out, crc, 4);
    put(out, static_cast<std::uint32_t>(body.size()), 4);
    put(out, size, 4);
    put(out, static_cast<std::uint32_t>(m.name.size()), 2);
    put(out, 0, 2);
    out.insert(out.end(), m.name.begin(), m.name.end());
    out.insert(out.end(), body.begin(), body.end());

    put(dir, 0x02014b50, 4);
    put(dir, 20, 2);
    put(dir, 20, 2);
    put(dir, 0, 2);
    put(dir, method, 2);
    put(dir, 0, 4);
    put(dir, crc, 4);
    put(dir, static_cast<std::uint32_t>(body.size()), 4);
    put(dir, size, 4);
    put(dir, static_cast<std::uint32_t>(m.name.size()), 2);
    put(dir, 0, 2);  // extra
    put(dir, 0, 2);  // comment
    put(dir, 0, 2);  // disk
    put(dir, 0, 2);  // internal attributes
    put(dir, 0, 4);  // external attributes
    put(dir, offset, 4);
    dir.insert(dir.end(), m.name.begin(), m.name.end());
  }
  const auto dirOffset = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), dir.begin(), dir.end());
  put(out, 0x06054b50, 4);
  put(out, 0, 2);
  put(out, 0, 2);
  put(out, static_cast<std::uint32_t>(members.size()), 2);
  put(out, static_cast<std::uint32_t>(members.size()), 2);
  put(out, static_cast<std::uint32_t>(dir.size()), 4);
  put(out, dirOffset, 4);
  put(out, 0, 2);
  return out;
}

inline std::vector<std::uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

}  // namespace lh::test
