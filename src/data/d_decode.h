// A data source read as its first bytes say, whatever its name: gzip and zstd data are
// decompressed while they are read, text saved as UTF-16 with a byte-order mark (also inside
// gzip or zstd) is read as UTF-8, anything else is read as it is.
#pragma once

#include <memory>
#include <string>

#include "data/d_bytesource.h"

namespace pw {

// Reads the first bytes of `raw` (which must outlive the result) and returns the source to
// load from: a gzip or zstd decompressor over `raw` when they are that format's magic bytes
// (its output read as UTF-8 when it starts with a UTF-16 byte-order mark), a UTF-16 decoder
// when they are that mark, else `raw` itself with those bytes put back in front. `name` is
// the file's name in messages. Raises `raw`'s read error, and the decompressor's when it
// cannot start. `compressed`, when not null, is set to whether the bytes read differ from the
// file's own (a decompressor or a UTF-16 decoder was chosen): a place in them is no place in
// the file.
std::unique_ptr<TC_Byte_Source> Open_Decoded(TC_Byte_Source& raw, const std::string& name,
                                             bool* compressed = nullptr);

}  // namespace pw
