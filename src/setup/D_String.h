// Field splitting shared by the setup reader, the notation and the data loader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pw {

// Longest text Next_Field accepts, in characters (a letter beyond ASCII counts once, a byte
// that is not UTF-8 counts one); a longer one raises "Range check error" (not fatal).
inline constexpr std::size_t Max_Field_Text = 65535;

// Returns the next field of `text` and removes it from the front of `text`.
// Delimiters in front are skipped; the field runs up to the next delimiter or the end; the
// skipped delimiters, the field and the one delimiter that ended it are removed, later
// delimiters stay. Empty text, or text of delimiters only, gives an empty field and leaves
// the text empty.
std::string Next_Field(std::string& text, char delimiter);

// Fills items[0], items[1], ... with successive Next_Field results while the text is not
// empty and fewer than `max_count` items are stored; returns the count. The text keeps what
// was not consumed. Items at or beyond the count are left as they were. `max_count` is
// limited to items.size().
std::uint16_t Split_Fields(std::string& text, std::span<std::string> items, char delimiter,
                           std::size_t max_count);

// `text` without the spaces and control characters (bytes up to ' ') at either end; empty
// when it holds nothing else. Inline: the data loader strips every line with it.
inline std::string_view Strip_Blanks(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Prefixes `fill` until `text` is at least `width` characters long.
void Pad_Left(std::string& text, std::size_t width, char fill);

}  // namespace pw
