#pragma once
// Text files shown in place of a design: 8-bit text as it is, UTF-16 text converted to UTF-8.
#include <string>
#include <string_view>

#include "formats/bytes.h"

namespace lh {

// The text of a file image up to its first zero character. UTF-16 is recognised by a byte
// order mark, or (little-endian without a mark) by zero high bytes in the last two whole
// characters; anything else is taken as 8-bit text.
std::string decodeText(ByteSpan data);

// UTF-16 code units as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view units);

}  // namespace lh
