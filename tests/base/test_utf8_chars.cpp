#include "base/utf8_chars.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace pw {
namespace {

// Characters and cuts, valid and invalid UTF-8 side by side: every byte outside a well-formed
// sequence is one character of its own.
TEST(Utf8Chars, CountAndCut) {
  struct Case {
    std::string text;
    std::size_t count;  // characters
    std::size_t cut2;   // bytes kept by a cut to 2 characters
  };
  const std::vector<Case> cases = {
      {"", 0, 0},
      {"ab", 2, 2},
      {"abc", 3, 2},
      {"\xC3\xBC"
       "ber",
       4, 3},                                          // über: ü is 2 bytes
      {"\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 3, 6},  // three euro signs, 3 bytes each
      {"\xF0\x9F\x98\x80x", 2, 5},                     // a 4-byte emoji, then x
      {"\xFC"
       "ber",
       4, 2},              // Latin-1 ü: an invalid byte, one character
      {"\xC3", 1, 1},      // a sequence cut short at the end
      {"\xC3x", 2, 2},     // a lead byte without its continuation
      {"\x80\x80", 2, 2},  // lone continuation bytes
      {"\xC0\xAF"
       "a",
       3, 2},                      // overlong form of "/": two bytes
      {"\xED\xA0\x80", 3, 2},      // a surrogate: three bytes
      {"\xF4\x90\x80\x80", 4, 2},  // past U+10FFFF: four bytes
      {"\xE2\x82x", 3, 2},         // a 3-byte sequence missing its last byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Character_Count(c.text), c.count) << c.text;
    EXPECT_EQ(Cut_To_Characters(c.text, 2), c.text.substr(0, c.cut2)) << c.text;
    EXPECT_EQ(Cut_To_Characters(c.text, c.count), c.text) << c.text;
  }
}

TEST(Utf8Chars, CutOf31NeverSplitsASequence) {
  // 30 ASCII letters, then a 2-byte letter: the cut to 31 keeps it whole; to 30 drops it.
  const std::string text = std::string(30, 'a') + "\xC3\xA4" + "b";
  EXPECT_EQ(Cut_To_Characters(text, 31), std::string(30, 'a') + "\xC3\xA4");
  EXPECT_EQ(Cut_To_Characters(text, 30), std::string(30, 'a'));
  // In bytes the same text would have been cut inside the letter.
  EXPECT_EQ(Character_Count(Cut_To_Characters(text, 31)), 31u);
}

// Each length at both of its ends; a surrogate and a noncharacter are written as they are
// (the callers replace them where they must); nothing past U+10FFFF.
TEST(Utf8Chars, EncodeAtTheLengthBoundaries) {
  const std::pair<char32_t, std::string> cases[] = {
      {0x0, std::string(1, '\0')},     {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},              {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},         {0xD800, "\xED\xA0\x80"},
      {0xFFFE, "\xEF\xBF\xBE"},        {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},   {0x10FFFF, "\xF4\x8F\xBF\xBF"},
      {0x110000, ""},
  };
  for (const auto& [code, want] : cases) {
    SCOPED_TRACE(static_cast<unsigned>(code));
    EXPECT_EQ(Utf8_Of(code), want);
    std::string out = "a";
    Append_Utf8(code, out);
    EXPECT_EQ(out, "a" + want);
  }
}

}  // namespace
}  // namespace pw
