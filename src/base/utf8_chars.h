// Counting and cutting texts by characters rather than bytes.
//
// Setup and data files are UTF-8. A character is one well-formed UTF-8 sequence (a code
// point, 1 to 4 bytes; no overlong forms, no surrogates, nothing past U+10FFFF). A byte that
// does not begin a well-formed sequence counts as one character by itself, so text in a
// single-byte code page (or any other invalid UTF-8) is counted and cut byte by byte, exactly
// as when every byte was a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pw {

// Bytes of the character that starts text[at] (at < text.size()): the length of the
// well-formed sequence there, or 1.
std::size_t Character_Bytes(std::string_view text, std::size_t at);

// Number of characters in `text`; the empty text has none.
std::size_t Character_Count(std::string_view text);

// The longest front part of `text` with at most `count` characters; never ends inside a
// well-formed sequence. `text` itself when it has no more than `count` characters.
std::string_view Cut_To_Characters(std::string_view text, std::size_t count);

// Appends the UTF-8 of the code point `code` to `out`, 1 to 4 bytes. Surrogates and
// noncharacters are written as any other code point: a caller that must not write them
// replaces them first. Nothing is appended beyond U+10FFFF.
void Append_Utf8(char32_t code, std::string& out);

// The UTF-8 of one code point, as Append_Utf8 writes it.
std::string Utf8_Of(char32_t code);

}  // namespace pw
