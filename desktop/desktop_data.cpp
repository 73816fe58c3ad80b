#include "desktop/desktop_data.h"

#include <algorithm>
#include <cstdio>

#include "formats/compound.h"
#include "formats/format_table.h"

namespace lh {

namespace {

constexpr std::string_view kMimePrefix = "application/x-embroidery-";
constexpr std::string_view kPlaceholder = "@MIME_TYPES@";

std::string upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// A magic value as shared-mime-info reads a string match: printable ASCII as it is (XML
// escaped), anything else as \xNN.
std::string magicValue(ByteSpan bytes) {
  std::string out;
  for (std::uint8_t b : bytes) {
    if (b == '&') out += "&amp;";
    else if (b == '<') out += "&lt;";
    else if (b == '>') out += "&gt;";
    else if (b == '"') out += "&quot;";
    else if (b == '\\') out += "\\\\";
    else if (b > 0x20 && b < 0x7F) out += static_cast<char>(b);
    else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", b);
      out += hex;
    }
  }
  return out;
}

void appendType(std::string& out, const DesignMimeType& type) {
  out += "  <mime-type type=\"" + type.name + "\">\n";
  out += "    <comment>" + type.comment + "</comment>\n";
  out += "    <generic-icon name=\"image-x-generic\"/>\n";
  if (type.compound) out += "    <sub-class-of type=\"application/x-ole-storage\"/>\n";
  if (!type.magic.empty()) {
    out += "    <magic priority=\"50\">\n";
    for (ByteSpan m : type.magic)
      out += "      <match type=\"string\" offset=\"0\" value=\"" + magicValue(m) + "\"/>\n";
    out += "    </magic>\n";
  }
  // A lower-case pattern matches names in any case; the upper-case one (the names machines
  // write on their FAT disks) is listed too for tools that compare patterns exactly.
  for (const std::string& ext : type.extensions) {
    out += "    <glob pattern=\"*." + ext + "\"/>\n";
    out += "    <glob pattern=\"*." + upper(ext) + "\"/>\n";
  }
  out += "  </mime-type>\n";
}

}  // namespace

std::vector<DesignMimeType> designMimeTypes() {
  std::vector<DesignMimeType> out;
  for (const FormatInfo& f : formatTable()) {
    if (f.kind != FormatKind::Design || f.reader == nullptr) continue;
    auto same = std::find_if(out.begin(), out.end(), [&](const DesignMimeType& t) { return t.code == f.code; });
    if (same != out.end()) {
      same->extensions.push_back(lowerExtension(f));
      continue;
    }
    DesignMimeType type{f.code, std::string(kMimePrefix) + lowerExtension(f), upperName(f) + " embroidery design",
                        {lowerExtension(f)}, signaturesOf(f.code), f.reader == &readCompound};
    out.push_back(std::move(type));
  }
  return out;
}

std::string mimeInfoXml(const std::vector<DesignMimeType>& types) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const DesignMimeType& type : types) appendType(out, type);
  out += "</mime-info>\n";
  return out;
}

std::string mimeTypeList(const std::vector<DesignMimeType>& types) {
  std::string out;
  for (const DesignMimeType& type : types) out += type.name + ";";
  return out;
}

std::string fillMimeTypes(std::string_view text, const std::vector<DesignMimeType>& types) {
  const std::string list = mimeTypeList(types);
  std::string out;
  for (std::size_t at = 0;;) {
    const std::size_t hit = text.find(kPlaceholder, at);
    out += text.substr(at, hit == std::string_view::npos ? std::string_view::npos : hit - at);
    if (hit == std::string_view::npos) return out;
    out += list;
    at = hit + kPlaceholder.size();
  }
}

}  // namespace lh
