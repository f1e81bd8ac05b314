// zstd data (libzstd), decompressed while read.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "data/d_decoder.h"

namespace pw {

// The magic bytes of a zstd frame.
inline constexpr std::string_view Zstd_Magic = "\x28\xb5\x2f\xfd";

// Whether `head` starts zstd data: a frame, or a skippable frame (a first byte from 0x50 to
// 0x5F, then 2A 4D 18), which pzstd writes before every frame and zstd reads past.
inline bool Starts_Zstd(std::string_view head) {
  return head.starts_with(Zstd_Magic) ||
         (head.size() >= 4 && (static_cast<unsigned char>(head[0]) & 0xF0) == 0x50 &&
          head.substr(1, 3) == "\x2a\x4d\x18");
}

// Reads zstd data from `raw` (which must outlive the result), `first_bytes` being the bytes
// already taken from it, which start zstd data (Starts_Zstd). Frames one after another read
// as one stream, as zstdcat reads them, skippable frames read as nothing. Data cut short give
// "unexpected end of file"; damaged data what libzstd says ("Restored data doesn't match
// checksum", "Data corruption detected" ...).
// Raises a non-fatal Error "Cannot read data file " + name + ": " + the reason when libzstd
// cannot start.
std::unique_ptr<TC_Byte_Source> Make_Zstd_Source(TC_Byte_Source& raw, std::string_view first_bytes,
                                                 const std::string& name);

}  // namespace pw
