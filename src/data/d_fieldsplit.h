// Splitting a data line into its fields.
//
// Two table forms, each split by its own function of the same shape: the whitespace table,
// which has no quoting (fields are separated by runs of spaces, and a tab is part of a field),
// and the delimited table (CSV and its kin: one character separates fields, and a field in
// double quotes may hold it). Neither lets a field run past its line's end, so every line end
// ends a row and the data can be cut at any line end.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "data/d_filedef.h"

namespace pw {

// Bytes after the end of a line that the splitter may read (their content does not matter):
// it looks at eight bytes at a time.
inline constexpr std::size_t Split_Padding = 8;

// `byte` in every byte of a word.
constexpr std::uint64_t Byte_Pattern(char byte) {
  return 0x0101010101010101 * static_cast<unsigned char>(byte);
}

// The first byte of [p, end) equal to the byte repeated in `pattern` (see Byte_Pattern), or
// end. Up to seven bytes past `end` must be readable.
inline const char* Find_Byte(const char* p, const char* end, std::uint64_t pattern) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHigh = 0x8080808080808080;
  for (; p < end; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t x = word ^ pattern;  // a zero byte where the byte was
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

// Bit b set where byte b of the 8 at p is not a space.
inline std::uint64_t Text_Bits(const char* p) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  const std::uint64_t x = word ^ Byte_Pattern(' ');
  // The high bit of each byte that is not zero, exactly (no carry leaves a byte), then the
  // eight high bits gathered into the top byte by one multiplication.
  const std::uint64_t text = (((x & kLow7) + kLow7) | x) & ~kLow7;
  return (text >> 7) * 0x0102040810204080 >> 56;
}

// Splits `line` at runs of spaces into at most `limit` fields (limit <= Max_Fields); returns
// how many it found. Split_Padding bytes past the line's end must be readable.
//
// The line is looked at 64 bytes at a time as a mask of its bytes that are not spaces; the
// fields' ends are the mask's edges. Walking the line byte by byte from one field's end to the
// next field's start made every field wait for the search of the one before.
inline int Split_Line(std::string_view line, Line_Fields& fields, int limit) {
  const char* const base = line.data();
  const std::size_t size = line.size();
  int count = 0;
  std::uint64_t before = 0;  // 1 when the byte before this run of 64 is a field's
  std::size_t start = 0;
  for (std::size_t at = 0; at < size && count < limit; at += 64) {
    const std::size_t n = size - at < 64 ? size - at : 64;
    std::uint64_t text = 0;
    // Reads at most 7 bytes past the line's end.
    for (std::size_t w = 0; w < n; w += 8) text |= Text_Bits(base + at + w) << w;
    if (n < 64) text &= (std::uint64_t{1} << n) - 1;  // bytes past the end count as spaces
    // Each edge starts a field or ends one, in turn.
    std::uint64_t edges = text ^ (text << 1 | before);
    before = text >> 63;
    for (; edges != 0; edges &= edges - 1) {
      const std::size_t b = at + static_cast<std::size_t>(std::countr_zero(edges));
      if (((text >> (b - at)) & 1) != 0) {
        start = b;
      } else {
        fields[count++] = std::string_view(base + start, b - start);
        if (count == limit) return count;
      }
    }
  }
  if (before != 0 && count < limit) fields[count++] = std::string_view(base + start, size - start);
  return count;
}

// Splits `line` at every `delimiter` into at most `limit` fields (limit <= Max_Fields);
// returns how many it found (a line ending in the delimiter has an empty last field), or -1
// when a quoted field is still open at the line's end. Blanks (spaces and control
// characters other than the delimiter) around a field are dropped. A field whose first
// character is a double quote runs to the closing quote; it may hold the delimiter, and a
// doubled quote stands for one. Text between the closing quote and the next delimiter is
// kept after the quoted text; a quote inside an unquoted field is an ordinary character.
// Fields are views into `line`, or into `unquoted` for a field whose text had to be put
// together (doubled quotes, text after the closing quote); `unquoted` is this line's, resized
// as needed. Split_Padding bytes past the line's end must be readable, and are past every
// field.
int Split_Delimited(std::string_view line, char delimiter, Line_Fields& fields, int limit,
                    std::string& unquoted);

}  // namespace pw
