// A data source read as its first bytes say, whatever its name: gzip and zstd data are
// decompressed while they are read, anything else is read as it is.
#pragma once

#include <memory>
#include <string>

#include "data/d_bytesource.h"

namespace pw {

// Reads the first bytes of `raw` (which must outlive the result) and returns the source to
// load from: a gzip or zstd decompressor over `raw` when they are that format's magic bytes,
// else `raw` itself with those bytes put back in front. `name` is the file's name in
// messages. Raises `raw`'s read error, and the decompressor's when it cannot start.
// `compressed`, when not null, is set to whether a decompressor was chosen.
std::unique_ptr<TC_Byte_Source> Open_Decoded(TC_Byte_Source& raw, const std::string& name,
                                             bool* compressed = nullptr);

}  // namespace pw
