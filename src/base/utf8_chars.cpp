#include "base/utf8_chars.h"

#include <utf8proc.h>

namespace pw {

std::size_t Character_Bytes(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x80) return 1;  // the common case, without a call
  utf8proc_int32_t code_point;
  const utf8proc_ssize_t length =
      utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
                       static_cast<utf8proc_ssize_t>(text.size() - at), &code_point);
  return length > 0 ? static_cast<std::size_t>(length) : 1;
}

std::size_t Character_Count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); at += Character_Bytes(text, at)) ++count;
  return count;
}

std::string_view Cut_To_Characters(std::string_view text, std::size_t count) {
  // Every character has at least one byte: a text no longer in bytes is never cut.
  if (text.size() <= count) return text;
  std::size_t at = 0;
  for (std::size_t n = 0; n < count && at < text.size(); ++n) at += Character_Bytes(text, at);
  return text.substr(0, at);
}

void Append_Utf8(char32_t code, std::string& out) {
  utf8proc_uint8_t bytes[4];
  const utf8proc_ssize_t length =
      utf8proc_encode_char(static_cast<utf8proc_int32_t>(code), bytes);
  out.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
}

std::string Utf8_Of(char32_t code) {
  std::string out;
  Append_Utf8(code, out);
  return out;
}

}  // namespace pw
