#include "data/d_fastnum.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "setup/D_Format.h"

namespace pw {
namespace {

// Bit-exact comparison of two extended numbers (sign of zero included).
bool Same_Bits(long double a, long double b) {
  return std::memcmp(&a, &b, 10) == 0;
}

long double Reference(const std::string& text) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtold_l(text.c_str(), nullptr, c_locale);
}

// How many random numbers; PW_FASTNUM_COUNT scales it (the default takes a few seconds even
// in a sanitizer build).
int Random_Count() {
  const char* text = std::getenv("PW_FASTNUM_COUNT");
  return text != nullptr ? std::atoi(text) : 2000000;
}

// A random number text: 1 to 22 digits, a point anywhere or none, sometimes an exponent.
std::string Random_Number(std::mt19937_64& random) {
  std::string text;
  if (random() % 4 == 0) text += random() % 2 ? '-' : '+';
  const int digits = 1 + static_cast<int>(random() % 22);
  const int point = static_cast<int>(random() % (digits + 2));  // digits+1: no point
  for (int i = 0; i < digits; ++i) {
    if (i == point && i > 0) text += '.';
    // Leading zeros now and then, to test that they do not count as significant.
    text += static_cast<char>('0' + (i == 0 && random() % 8 == 0 ? 0 : random() % 10));
  }
  if (random() % 3 == 0) {
    text += random() % 2 ? 'e' : 'E';
    const int sign = static_cast<int>(random() % 3);
    if (sign == 1) text += '-';
    if (sign == 2) text += '+';
    text += std::to_string(random() % 40);
  }
  return text;
}

TEST(FastNum, RandomNumbersAreCorrectlyRounded) {
  std::mt19937_64 random(20240611);
  const int count = Random_Count();
  int fast = 0;
  for (int i = 0; i < count; ++i) {
    const std::string text = Random_Number(random);
    long double value = 0;
    if (Fast_Str_To_Float(text, value)) {
      ++fast;
      ASSERT_TRUE(Same_Bits(value, Reference(text))) << text;
    }
    if (i % 16 == 0) {
      ASSERT_TRUE(Same_Bits(Field_To_Float(text), Reference(text))) << text;
    }
  }
  EXPECT_GT(fast, count / 2);  // the fast path takes the usual forms
}

// The padded form reads eight bytes at a time, past the text's end: whatever follows (digits
// included) must change nothing.
TEST(FastNum, PaddedFormGivesTheSameResults) {
  std::mt19937_64 random(99);
  const int count = Random_Count() / 4;
  for (int i = 0; i < count; ++i) {
    const std::string text = Random_Number(random);
    std::string padded = text;
    for (int k = 0; k < 8; ++k) padded += "0123456789.e- x"[random() % 15];
    const std::string_view field(padded.data(), text.size());
    long double plain = 0, fast = 0;
    const bool plain_ok = Fast_Str_To_Float(text, plain);
    ASSERT_EQ(Fast_Padded_To_Float(field, fast), plain_ok) << text;
    if (plain_ok) {
      ASSERT_TRUE(Same_Bits(fast, plain)) << text;
    }
  }
  // Runs of digits of every length around the eight taken at once, at the text's end.
  for (const char* text : {"1", "12345678", "123456789", "1234567812345678", "1234567890123456789",
                           "0.00000001", "1.23456789", "12345678.12345678", "00000000000000001"}) {
    const std::string padded = std::string(text) + "99999999";
    long double plain = 0, fast = 0;
    ASSERT_TRUE(Fast_Str_To_Float(text, plain)) << text;
    ASSERT_TRUE(Fast_Padded_To_Float(std::string_view(padded).substr(0, std::strlen(text)), fast));
    EXPECT_TRUE(Same_Bits(fast, plain)) << text;
  }
}

TEST(FastNum, DataLikeNumbers) {
  // Four to six significant digits with exponents, as measuring instruments write them.
  std::mt19937_64 random(7);
  const int count = Random_Count() / 4;
  for (int i = 0; i < count; ++i) {
    const int digits = 4 + static_cast<int>(random() % 3);
    std::string text = std::to_string(random() % 10 + 1);
    text += '.';
    for (int d = 1; d < digits; ++d) text += static_cast<char>('0' + random() % 10);
    text += "e" + std::to_string(static_cast<int>(random() % 41) - 20);
    long double value = 0;
    ASSERT_TRUE(Fast_Str_To_Float(text, value)) << text;
    ASSERT_TRUE(Same_Bits(value, Reference(text))) << text;
  }
}

TEST(FastNum, Boundaries) {
  struct Case {
    const char* text;
    bool fast;
  };
  const std::vector<Case> cases = {
      {"0", true},
      {"-0", true},
      {"0.0", true},
      {"1e27", true},
      {"1e28", false},
      {"1e-27", true},
      {"1e-28", false},
      {"9999999999999999999", true},    // 19 digits
      {"99999999999999999999", false},  // 20 digits
      {"0000000000000000000000001", true},
      {"1.000000000000000000", true},
      {"1.0000000000000000000", false},
      {"18446744073709551615", false},
      {"123456789012345678.9", true},
      {"0.1", true},
      {"3.4028236692093846346e38", false},
      {"1e9999", false},
      {"5.", false},
      {".5", false},
      {"+.5e1", false},
      {"", false},
      {"-", false},
      {"1e", false},
      {"1e+", false},
      {" 1", false},
      {"1 ", false},
      {"0x10", false},
      {"inf", false},
      {"1.5e+3", true},
  };
  for (const auto& c : cases) {
    long double value = 0;
    EXPECT_EQ(Fast_Str_To_Float(c.text, value), c.fast) << c.text;
    if (c.fast) {
      EXPECT_TRUE(Same_Bits(value, Reference(c.text))) << c.text;
    }
  }
}

// On any text the field conversion and Str_To_Float agree: the same value or the same error.
TEST(FastNum, SameGrammarAsStrToFloat) {
  const std::string alphabet = "0123456789.eE+- \tx";
  std::mt19937_64 random(99);
  const int count = Random_Count() / 20;
  for (int i = 0; i < count; ++i) {
    std::string text;
    const int length = static_cast<int>(random() % 9);
    for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
    long double expected = 0;
    const bool valid = Try_Str_To_Float(text, expected);
    try {
      const long double value = Field_To_Float(text);
      ASSERT_TRUE(valid) << "'" << text << "'";
      ASSERT_TRUE(Same_Bits(value, expected)) << "'" << text << "'";
    } catch (const Error& e) {
      ASSERT_FALSE(valid) << "'" << text << "'";
      ASSERT_EQ(e.Message(), "'" + text + "' is not a valid floating point value");
    }
  }
}

}  // namespace
}  // namespace pw
