// zstd data (libzstd), decompressed while read.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "data/d_decoder.h"

namespace pw {

// The magic bytes of a zstd frame.
inline constexpr std::string_view Zstd_Magic = "\x28\xb5\x2f\xfd";

// Reads zstd data from `raw` (which must outlive the result), `first_bytes` being the bytes
// already taken from it, which start with Zstd_Magic. Frames one after another read as one
// stream, as zstdcat reads them. Data cut short give "unexpected end of file"; damaged data
// what libzstd says ("Restored data doesn't match checksum", "Data corruption detected" ...).
// Raises a non-fatal Error "Cannot read data file " + name + ": " + the reason when libzstd
// cannot start.
std::unique_ptr<TC_Byte_Source> Make_Zstd_Source(TC_Byte_Source& raw, std::string_view first_bytes,
                                                 const std::string& name);

}  // namespace pw
