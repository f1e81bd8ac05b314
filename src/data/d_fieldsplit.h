// Splitting a data line into its fields.
//
// A whitespace table has no quoting: fields are separated by runs of spaces, and a tab is part
// of a field. This is the one place that knows it; a splitter for other table forms would
// stand beside it with the same shape.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "data/d_filedef.h"

namespace pw {

// Bytes after the end of a line that the splitter may read (their content does not matter):
// it looks at eight bytes at a time.
inline constexpr std::size_t Split_Padding = 8;

// The first space in [p, end), or end. Up to seven bytes past `end` must be readable.
inline const char* Find_Space(const char* p, const char* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kSpaces = 0x2020202020202020;
  constexpr std::uint64_t kHigh = 0x8080808080808080;
  for (; p < end; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t x = word ^ kSpaces;  // a zero byte where a space was
    // The lowest flagged byte is exactly the first zero byte (little-endian).
    const std::uint64_t zero = (x - kOnes) & ~x & kHigh;
    if (zero != 0) {
      const char* space = p + (std::countr_zero(zero) >> 3);
      return space < end ? space : end;
    }
  }
  return end;
}

using Line_Fields = std::array<std::string_view, Max_Fields>;

// Splits `line` at runs of spaces into at most `limit` fields (limit <= Max_Fields); returns
// how many it found. Split_Padding bytes past the line's end must be readable.
inline int Split_Line(std::string_view line, Line_Fields& fields, int limit) {
  const char* p = line.data();
  const char* const end = p + line.size();
  int count = 0;
  while (count < limit) {
    while (p != end && *p == ' ') ++p;
    if (p == end) break;
    const char* const start = p;
    p = Find_Space(p, end);
    fields[count++] = std::string_view(start, static_cast<std::size_t>(p - start));
  }
  return count;
}

}  // namespace pw
