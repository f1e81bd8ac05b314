// gzip and zstd data made in memory, for the tests of compressed data files.
#pragma once

#include <zlib.h>
#include <zstd.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace pw_test {

// `text` as one gzip member.
inline std::string Gzip(std::string_view text) {
  z_stream z{};
  if (deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2");
  }
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (status != Z_STREAM_END) throw std::runtime_error("deflate");
  return out;
}

// `text` as one zstd frame with its checksum (as the zstd tool writes it).
inline std::string Zstd(std::string_view text) {
  ZSTD_CCtx* context = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
  std::string out(ZSTD_compressBound(text.size()), '\0');
  const std::size_t size = ZSTD_compress2(context, out.data(), out.size(), text.data(), text.size());
  ZSTD_freeCCtx(context);
  if (ZSTD_isError(size)) throw std::runtime_error("ZSTD_compress2");
  out.resize(size);
  return out;
}

}  // namespace pw_test
