#pragma once
// The files that tell a Linux desktop about our design types: the shared-mime-info package
// (one MIME type per design format we read) and the MimeType= lists of the desktop entries
// and the thumbnailer. Everything comes from the format table, so a format added there is
// known to file managers with the next build.
#include <string>
#include <string_view>
#include <vector>

#include "formats/bytes.h"
#include "formats/format_code.h"

namespace lh {

struct DesignMimeType {
  FormatCode code;
  std::string name;                     // "application/x-embroidery-pes"
  std::string comment;                  // "PES embroidery design"
  std::vector<std::string> extensions;  // lower case, without the dot: "jef", "jef+"
  std::vector<ByteSpan> magic;          // leading bytes that tell the format; often none
  bool compound = false;                // stored in an OLE compound file (ART, EMB, JAN)
};

// One type per design format the loader reads, in format-table order. Rows that share a
// format code (JEF and JEF+) share the type.
std::vector<DesignMimeType> designMimeTypes();

// The shared-mime-info package (share/mime/packages/loomhall.xml).
std::string mimeInfoXml(const std::vector<DesignMimeType>& types);

// "application/x-embroidery-pes;...;": the value of a MimeType= key.
std::string mimeTypeList(const std::vector<DesignMimeType>& types);

// `text` with every "@MIME_TYPES@" replaced by mimeTypeList(types).
std::string fillMimeTypes(std::string_view text, const std::vector<DesignMimeType>& types);

}  // namespace lh
