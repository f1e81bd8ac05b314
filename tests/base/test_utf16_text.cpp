#include "base/utf16_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pw {
namespace {

// Valid and broken UTF-16 in both byte orders: what editors show, U+FFFD for each bad unit.
TEST(Utf16Text, DecodesWithReplacementForBadUnits) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string utf8;
  };
  using namespace std::string_literals;
  const std::vector<Case> cases = {
      {"mark only, LE", "\xFF\xFE", ""},
      {"mark only, BE", "\xFE\xFF", ""},
      {"ASCII, LE", "\xFF\xFE" "a\0=\0\n\0"s, "a=\n"},
      {"ASCII, BE", "\xFE\xFF" "\0a\0=\0\n"s, "a=\n"},
      {"u umlaut, euro, LE", "\xFF\xFE\xFC\0\xAC\x20"s, "\xC3\xBC\xE2\x82\xAC"},
      {"U+07FF and U+0800, BE", "\xFE\xFF\x07\xFF\x08\x00"s, "\xDF\xBF\xE0\xA0\x80"},
      {"a pair: U+1F600, LE", "\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},
      {"a pair: U+10FFFF, BE", "\xFE\xFF\xDB\xFF\xDF\xFF"s, "\xF4\x8F\xBF\xBF"},
      {"NUL is a character", "\xFF\xFE\0\0x\0"s, "\0x"s},
      {"a second mark stays", "\xFF\xFE\xFF\xFE"s, "\xEF\xBB\xBF"},
      {"odd byte at the end", "\xFF\xFE" "a\0b"s, "a\xEF\xBF\xBD"},
      {"lone high at the end", "\xFF\xFE" "a\0\x3D\xD8"s, "a\xEF\xBF\xBD"},
      {"lone high before a letter", "\xFF\xFE\x3D\xD8" "b\0"s, "\xEF\xBF\xBD" "b"},
      {"two highs, then a low", "\xFF\xFE\x3D\xD8\x3D\xD8\x00\xDE"s,
       "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
      {"lone low", "\xFE\xFF\xDC\x00\0c"s, "\xEF\xBF\xBD" "c"},
      {"high and odd byte", "\xFE\xFF\xD8\x3D\xDE"s, "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Starts_Utf16(c.bytes)) << c.what;
    EXPECT_EQ(Utf16_To_Utf8(c.bytes), c.utf8) << c.what;
    // In pieces of one byte: the same text.
    TC_Utf16_Decoder decoder(c.bytes[0] == '\xFE');
    std::string out;
    for (std::size_t i = 2; i < c.bytes.size(); ++i) decoder.Decode(c.bytes.substr(i, 1), out);
    decoder.Finish(out);
    EXPECT_EQ(out, c.utf8) << c.what << ", a byte at a time";
  }
  // Without a mark: not UTF-16, and left as it is.
  for (const std::string& text : {""s, "\xFF"s, "\xFE"s, "\xEF\xBB\xBF"s, "\xFF\xFF"s, "a\0"s}) {
    EXPECT_FALSE(Starts_Utf16(text));
    EXPECT_EQ(Utf16_To_Utf8(text), text);
  }
}

}  // namespace
}  // namespace pw
