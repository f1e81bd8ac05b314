#include "setup/D_String.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "setup/D_Format.h"

namespace pw {
namespace {

struct Next_Case {
  std::string text;
  char delimiter;
  std::string field;
  std::string rest;
};

TEST(D_String, NextFieldTable) {
  const std::vector<Next_Case> cases = {
      {"", ' ', "", ""},      {"abc", ' ', "abc", ""},    {"  abc", ' ', "abc", ""},
      {"a b", ' ', "a", "b"}, {"a  b", ' ', "a", " b"},  // later delimiters stay for the next call
      {"a ", ' ', "a", ""},   {"   ", ' ', "", ""},       {"12:30:15", ':', "12", "30:15"},
      {"::x:", ':', "x", ""}, {"a b:c", ':', "a b", "c"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(Next_Field(text, c.delimiter), c.field) << "text '" << c.text << "'";
    EXPECT_EQ(text, c.rest) << "text '" << c.text << "'";
  }
}

TEST(D_String, NextFieldLengthLimit) {
  std::string longest(Max_Field_Text, 'x');
  EXPECT_EQ(Next_Field(longest, ' ').size(), Max_Field_Text);
  EXPECT_TRUE(longest.empty());

  std::string too_long(Max_Field_Text + 1, 'x');
  try {
    Next_Field(too_long, ' ');
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Range check error");
    EXPECT_FALSE(e.Fatal());
  }
  EXPECT_EQ(too_long.size(), Max_Field_Text + 1);  // refused texts stay as they were

  // The limit counts characters: a letter beyond ASCII counts once, whatever its bytes.
  std::string umlauts;
  for (std::size_t i = 0; i < Max_Field_Text; ++i) umlauts += "\xC3\x84";
  std::string longest_umlauts = umlauts;
  EXPECT_EQ(Next_Field(longest_umlauts, ' '), umlauts);
  std::string too_many_umlauts = umlauts + "\xC3\x84";
  EXPECT_THROW(Next_Field(too_many_umlauts, ' '), Error);
  // A time field of 20000 emoji is no time: the conversion says so, not the length limit.
  std::string emoji;
  for (int i = 0; i < 20000; ++i) emoji += "\xF0\x9F\x98\x80";
  long double value = 0;
  try {
    Parse_Time(emoji + ":1:1", value);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "'" + emoji + "' is not a valid integer value");
  }
}

struct Split_Case {
  std::string text;
  char delimiter;
  std::size_t max_count;
  std::vector<std::string> items;
  std::string rest;
};

TEST(D_String, SplitFieldsTable) {
  const std::vector<Split_Case> cases = {
      {"12:30:15", ':', 3, {"12", "30", "15"}, ""},
      {"a b ", ' ', 8, {"a", "b"}, ""},
      {"   ", ' ', 8, {}, ""},
      {"", ' ', 8, {}, ""},
      {"a  b   c", ' ', 2, {"a", "b"}, "  c"},
      {"a  b   c  ", ' ', 8, {"a", "b", "c"}, ""},
      {"x", ' ', 0, {}, "x"},
      {"one", ' ', 1, {"one"}, ""},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    std::array<std::string, 8> items;
    const std::uint16_t count = Split_Fields(text, items, c.delimiter, c.max_count);
    ASSERT_EQ(count, c.items.size()) << "text '" << c.text << "'";
    for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(items[i], c.items[i]);
    EXPECT_EQ(text, c.rest) << "text '" << c.text << "'";
  }
}

TEST(D_String, SplitFieldsLeavesLaterPositions) {
  std::array<std::string, 4> items = {"old", "old", "old", "old"};
  std::string text = "a b";
  EXPECT_EQ(Split_Fields(text, items, ' ', 4), 2);
  EXPECT_EQ(items[0], "a");
  EXPECT_EQ(items[1], "b");
  EXPECT_EQ(items[2], "old");
  EXPECT_EQ(items[3], "old");
}

TEST(D_String, SplitFieldsLimitedToArraySize) {
  std::array<std::string, 2> items;
  std::string text = "a b c d";
  EXPECT_EQ(Split_Fields(text, items, ' ', 100), 2);
  EXPECT_EQ(items[1], "b");
  EXPECT_EQ(text, "c d");
}

struct Pad_Case {
  std::string text;
  std::size_t width;
  char fill;
  std::string expected;
};

TEST(D_String, PadLeftTable) {
  const std::vector<Pad_Case> cases = {
      {"7", 3, '0', "007"}, {"123", 3, '0', "123"}, {"1234", 3, '0', "1234"},
      {"", 2, ' ', "  "},   {"ab", 0, '0', "ab"},   {"5", 2, '0', "05"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    Pad_Left(text, c.width, c.fill);
    EXPECT_EQ(text, c.expected) << "text '" << c.text << "'";
  }
}

}  // namespace
}  // namespace pw
