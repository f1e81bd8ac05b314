// UTF-8 text saved as UTF-16 with its byte-order mark, made by glibc's iconv (not by the code
// under test), for the tests of UTF-16 setup and data files.
#pragma once

#include <iconv.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace pw_test {

// `utf8` (well-formed) as UTF-16, little- or big-endian, after the byte-order mark.
inline std::string Utf16(std::string_view utf8, bool big_endian = false) {
  const iconv_t cd = iconv_open(big_endian ? "UTF-16BE" : "UTF-16LE", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string out(utf8.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size();
  char* to = out.data() + 2;
  std::size_t to_left = out.size() - 2;
  const std::size_t status = iconv(cd, &in, &in_left, &to, &to_left);
  iconv_close(cd);
  if (status == static_cast<std::size_t>(-1)) throw std::runtime_error("iconv");
  out.resize(out.size() - to_left);
  out[0] = big_endian ? '\xFE' : '\xFF';
  out[1] = big_endian ? '\xFF' : '\xFE';
  return out;
}

}  // namespace pw_test
