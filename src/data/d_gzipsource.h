// gzip data (zlib), decompressed while read.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "data/d_decoder.h"

namespace pw {

// The gzip magic bytes with the one compression method gzip knows (deflate).
inline constexpr std::string_view Gzip_Magic = "\x1f\x8b\x08";

// Reads gzip data from `raw` (which must outlive the result), `first_bytes` being the bytes
// already taken from it, which start with Gzip_Magic. Members one after another read as one
// stream, as zcat reads them; bytes after the last member that do not start another are
// ignored, as gzip ignores them. Data cut short give "unexpected end of file"; damaged data
// what zlib says ("incorrect data check", "invalid block type" ...). Raises a non-fatal
// Error "Cannot read data file " + name + ": " + zlib's reason when zlib cannot start.
std::unique_ptr<TC_Byte_Source> Make_Gzip_Source(TC_Byte_Source& raw, std::string_view first_bytes,
                                                 const std::string& name);

}  // namespace pw
