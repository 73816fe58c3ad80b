#pragma once
// The shape of a catalog as one string, so a test can compare whole trees at once: each
// category as its depth in '-', its name and its entries in brackets, separated by " | ".
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "catalog/catalog.h"
#include "catalog/catalog_file.h"

namespace lh::test {

inline std::string outline(const Catalog& catalog) {
  std::string out;
  catalog.forEach([&](const Category& c, const std::string&) {
    if (!out.empty()) out += " | ";
    out.append(static_cast<std::size_t>(c.depth()), '-');
    out += c.name();
    if (c.entries().empty()) return;
    out += " [";
    for (std::size_t i = 0; i < c.entries().size(); ++i) out += (i ? ", " : "") + c.entries()[i];
    out += "]";
  });
  return out;
}

inline std::span<const std::uint8_t> bytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

inline Catalog readText(std::string_view text, CatalogReadStats* stats = nullptr) {
  return readCatalog(bytesOf(text), stats);
}

}  // namespace lh::test
