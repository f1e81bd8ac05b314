// Data saved as UTF-16 with a byte-order mark, read as UTF-8 (utf16_text.h says how).
#pragma once

#include <memory>

#include "data/d_bytesource.h"

namespace pw {

// Reads `inner`, whose first bytes are a UTF-16 byte-order mark, and gives its text as UTF-8
// without the mark. Size and progress are `inner`'s bytes; `inner`'s read errors are raised
// after the text decoded before them. A unit that is not valid UTF-16 gives U+FFFD.
std::unique_ptr<TC_Byte_Source> Make_Utf16_Source(std::unique_ptr<TC_Byte_Source> inner);

// Reads `inner` as it is, unless the first bytes it gives are a UTF-16 byte-order mark: then
// as Make_Utf16_Source. Nothing is read before the first Read (where `inner`'s errors are
// raised as they would be without this source).
std::unique_ptr<TC_Byte_Source> Make_Text_Source(std::unique_ptr<TC_Byte_Source> inner);

}  // namespace pw
