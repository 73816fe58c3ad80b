#include "desktop/desktop_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "formats/format_table.h"

namespace lh {
namespace {

const DesignMimeType* typeOf(const std::vector<DesignMimeType>& types, std::string_view ext) {
  for (const DesignMimeType& t : types)
    if (std::find(t.extensions.begin(), t.extensions.end(), ext) != t.extensions.end()) return &t;
  return nullptr;
}

// Every extension the loader reads as a design belongs to exactly one type; nothing else does.
TEST(DesignMimeTypes, CoverEveryDesignTypeOnce) {
  const auto types = designMimeTypes();
  std::size_t extensions = 0;
  for (const DesignMimeType& t : types) extensions += t.extensions.size();
  std::size_t designRows = 0;
  for (const FormatInfo& f : formatTable()) {
    const bool design = f.kind == FormatKind::Design && f.reader != nullptr;
    designRows += design ? 1 : 0;
    EXPECT_EQ(typeOf(types, lowerExtension(f)) != nullptr, design) << f.type;
  }
  EXPECT_EQ(extensions, designRows);
  // JEF+ is a JEF file: one type for both.
  EXPECT_EQ(typeOf(types, "jef+"), typeOf(types, "jef"));
  EXPECT_EQ(typeOf(types, "jef")->name, "application/x-embroidery-jef");
}

TEST(MimeInfoXml, MagicGlobsAndCompoundParents) {
  const auto types = designMimeTypes();
  const std::string xml = mimeInfoXml(types);
  // Each type's block, from its opening tag to the next one.
  auto block = [&](std::string_view name) {
    const std::size_t at = xml.find("<mime-type type=\"" + std::string(name) + "\">");
    EXPECT_NE(at, std::string::npos) << name;
    return at == std::string::npos ? std::string() : xml.substr(at, xml.find("</mime-type>", at) - at);
  };
  EXPECT_NE(block("application/x-embroidery-pes").find("value=\"#PES\""), std::string::npos);
  EXPECT_NE(block("application/x-embroidery-pec").find("value=\"#PEC0001\""), std::string::npos);
  EXPECT_NE(block("application/x-embroidery-hus").find("value=\"[\\xaf\\xc8\\x00\""), std::string::npos);
  EXPECT_NE(block("application/x-embroidery-vp3").find("value=\"%vsm%\\x00\\x00\""), std::string::npos);
  // PCS has two headers (the two hoops).
  const std::string pcs = block("application/x-embroidery-pcs");
  EXPECT_NE(pcs.find("value=\"2\\x02\\x10\\x00\""), std::string::npos);
  EXPECT_NE(pcs.find("value=\"2\\x03\\x10\\x00\""), std::string::npos);
  // No signature, no magic: DST is known by its name alone, in either case.
  const std::string dst = block("application/x-embroidery-dst");
  EXPECT_EQ(dst.find("<magic"), std::string::npos);
  EXPECT_NE(dst.find("<glob pattern=\"*.dst\"/>"), std::string::npos);
  EXPECT_NE(dst.find("<glob pattern=\"*.DST\"/>"), std::string::npos);
  EXPECT_NE(block("application/x-embroidery-jef").find("<glob pattern=\"*.JEF+\"/>"), std::string::npos);
  EXPECT_NE(block("application/x-embroidery-emb").find("application/x-ole-storage"), std::string::npos);
  EXPECT_EQ(block("application/x-embroidery-pes").find("application/x-ole-storage"), std::string::npos);
}

TEST(FillMimeTypes, ReplacesEveryPlaceholder) {
  const std::vector<DesignMimeType> types{{FormatPes, "application/x-a", "", {"a"}, {}, false},
                                          {FormatDst, "application/x-b", "", {"b"}, {}, false}};
  EXPECT_EQ(fillMimeTypes("MimeType=@MIME_TYPES@\nX=@MIME_TYPES@", types),
            "MimeType=application/x-a;application/x-b;\nX=application/x-a;application/x-b;");
  EXPECT_EQ(fillMimeTypes("no placeholder", types), "no placeholder");
}

}  // namespace
}  // namespace lh
