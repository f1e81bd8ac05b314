#include "setup/D_Format.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "base/D_Error.h"
#include "base/settings.h"
#include "draw/D_Math.h"

namespace pw {
namespace {

// The message of the Error that `f` raises, or "" when it raises none.
template <typename F>
std::string Message_Of(F f) {
  try {
    f();
  } catch (const Error& e) {
    EXPECT_FALSE(e.Fatal());
    return e.Message();
  }
  return "";
}

TEST(DFormat, StrToInt) {
  struct Case {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"-42", -42},
      {"+7", 7},
      {"007", 7},
      {"$FF", 255},
      {"$ff", 255},
      {"$7FFFFFFF", 2147483647},
      {"$FFFFFFFF", -1},
      {" 12 ", 12},
      {"  -3  ", -3},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(c.value, Str_To_Int(c.text)) << c.text;
}

TEST(DFormat, StrToIntRejects) {
  const char* cases[] = {
      "",           " ",    "-",    "+",   "1.5", "2147483648", "-2147483649",         "$", "$G",
      "$100000000", "-$10", "0x10", "1 2", "12a", "1e3",        "99999999999999999999"};
  for (const char* text : cases) {
    std::int32_t v = 99;
    EXPECT_FALSE(Try_Str_To_Int(text, v)) << text;
    EXPECT_EQ(99, v) << text;
    EXPECT_EQ("'" + std::string(text) + "' is not a valid integer value",
              Message_Of([&] { Str_To_Int(text); }));
  }
}

TEST(DFormat, StrToFloat) {
  struct Case {
    const char* text;
    long double value;
  } cases[] = {
      {"0", 0},          {"2.5", 2.5L},
      {"-2.5", -2.5L},   {"+2.5", 2.5L},
      {".5", 0.5L},      {"5.", 5},
      {"1e3", 1000},     {"1E+3", 1000},
      {"1e-3", 0.001L},  {"-.25e1", -2.5L},
      {" 3.25 ", 3.25L}, {"0.1", 0.1L},
      {"1e-4960", 0},    {"123456789012345678901234567890", 123456789012345678901234567890.0L},
  };
  for (const Case& c : cases) EXPECT_EQ(c.value, Str_To_Float(c.text)) << c.text;
  EXPECT_GT(Str_To_Float("4e-4950"), 0);  // a denormal, not an error
}

TEST(DFormat, StrToFloatRejects) {
  const char* cases[] = {"",      " ",   ".",      "-",       "+.",    "e5",   "1e",
                         "1e+",   "2,5", "1,000",  "inf",     "nan",   "-INF", "0x1p3",
                         "1.2.3", "1 2", "1e5000", "-1e5000", "12:30", "1d5",  "$10"};
  for (const char* text : cases) {
    long double v = 99;
    EXPECT_FALSE(Try_Str_To_Float(text, v)) << text;
    EXPECT_EQ(99, v) << text;
    EXPECT_EQ("'" + std::string(text) + "' is not a valid floating point value",
              Message_Of([&] { Str_To_Float(text); }));
  }
}

TEST(DFormat, StrToFloatIsCorrectlyRounded) {
  const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  ASSERT_NE(static_cast<locale_t>(nullptr), c_locale);
  std::mt19937_64 rng(20240601);
  for (int n = 0; n < 200000; ++n) {
    std::string text;
    if (rng() % 2) text += (rng() % 2) ? '-' : '+';
    const int int_digits = static_cast<int>(rng() % 25);
    const int frac_digits = static_cast<int>(rng() % 25);
    for (int i = 0; i < int_digits; ++i) text += static_cast<char>('0' + rng() % 10);
    if (frac_digits > 0 || int_digits == 0 || rng() % 4 == 0) {
      text += '.';
      for (int i = 0; i < frac_digits; ++i) text += static_cast<char>('0' + rng() % 10);
      if (int_digits == 0 && frac_digits == 0) text += '7';
    }
    if (rng() % 3 != 0) {
      text += (rng() % 2) ? 'e' : 'E';
      const int sign = static_cast<int>(rng() % 3);
      if (sign == 1) text += '-';
      if (sign == 2) text += '+';
      // Mostly ordinary exponents, some near the ends of the extended range.
      const int exponent =
          rng() % 8 ? static_cast<int>(rng() % 40) : static_cast<int>(rng() % 4960);
      text += std::to_string(exponent);
    }
    const long double expected = strtold_l(text.c_str(), nullptr, c_locale);
    long double got = 0;
    if (std::isinf(expected)) {
      ASSERT_FALSE(Try_Str_To_Float(text, got)) << text;
      continue;
    }
    ASSERT_TRUE(Try_Str_To_Float(text, got)) << text;
    ASSERT_EQ(0, std::memcmp(&got, &expected, 10)) << text;
  }
  freelocale(c_locale);
}

TEST(DFormat, StrToDate) {
  struct Case {
    const char* text;
    double day;
  } cases[] = {{"1899/12/30", 0},     {"1899/12/31", 1},     {"1900/1/1", 2},
               {"2000/01/01", 36526}, {"2024/02/29", 45351}, {"2024/3/1", 45352},
               {"1800/01/01", -36522}};
  for (const Case& c : cases) EXPECT_EQ(c.day, Str_To_Date(c.text)) << c.text;
}

TEST(DFormat, StrToDateRejects) {
  const char* cases[] = {"",           "2024/02/30", "2023/02/29", "1900/02/29", "2024/13/01",
                         "2024/00/10", "2024/1/0",   "2024-01-01", "2024/01",    "2024/01/01/01",
                         "0/1/1",      "24/1/1x",    "2024/ 1/1",  "12345/1/1",  "2024/1/100"};
  for (const char* text : cases) {
    EXPECT_EQ("'" + std::string(text) + "' is not a valid date",
              Message_Of([&] { Str_To_Date(text); }))
        << text;
  }
}

// A tab neither separates data fields nor belongs to a number: only spaces are trimmed, and
// the message quotes the text as given.
TEST(DFormat, TabsAroundNumbersAreRefused) {
  const char* cases[] = {"\t5", "5\t", " \t5", "\t5 ", "\t", "5\t5", "\v5", "\n5"};
  for (const char* text : cases) {
    std::int32_t i = 99;
    EXPECT_FALSE(Try_Str_To_Int(text, i)) << text;
    EXPECT_EQ(99, i) << text;
    EXPECT_EQ("'" + std::string(text) + "' is not a valid integer value",
              Message_Of([&] { Str_To_Int(text); }));
    long double f = 99;
    EXPECT_FALSE(Try_Str_To_Float(text, f)) << text;
    EXPECT_EQ(99, f) << text;
    EXPECT_EQ("'" + std::string(text) + "' is not a valid floating point value",
              Message_Of([&] { Str_To_Float(text); }));
  }
  const char* dates[] = {"\t2024/1/1", "2024/1/1\t", " \t2024/1/1 "};
  for (const char* text : dates) {
    EXPECT_EQ("'" + std::string(text) + "' is not a valid date",
              Message_Of([&] { Str_To_Date(text); }))
        << text;
  }
  // Spaces still are trimmed.
  EXPECT_EQ(5, Str_To_Int("  5 "));
  EXPECT_EQ(5.5L, Str_To_Float(" 5.5  "));
  EXPECT_EQ(45292, Str_To_Date(" 2024/1/1 "));
}

TEST(DFormat, ParseTime) {
  struct Case {
    const char* text;
    bool is_time;
    long double value;
  } cases[] = {
      {"12:30:00", true, 12.5L},
      {"+01:00:00", true, 25},
      {"=23:00:00", true, -25},
      {"#0:0:0", true, 48},
      {"-12:00:00", true, -12},
      {"7.5", false, 0},
      {"", false, 0},
      {" 6:15:00\r", true, 6.25L},
      {"1:2:3:4", true, 1 + 2 / 60.0L + 3 / 3600.0L},
      {"::1:2:3", true, 1 + 2 / 60.0L + 3 / 3600.0L},
  };
  for (const Case& c : cases) {
    long double v = 99;
    EXPECT_EQ(c.is_time, Parse_Time(c.text, v)) << c.text;
    EXPECT_NEAR(static_cast<double>(c.value), static_cast<double>(v), 1e-15) << c.text;
  }
  long double v = 0;
  EXPECT_TRUE(Parse_Time("1:2:3.6", v));
  EXPECT_NEAR(1.0343333, static_cast<double>(v), 1e-7);
}

TEST(DFormat, ParseTimeErrors) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"12:30", "'' is not a valid floating point value"},
      {"12::30", "'' is not a valid floating point value"},
      {"12:", "'' is not a valid integer value"},
      {"a:30:00", "'a' is not a valid integer value"},
      {"1:2.5:3", "'2.5' is not a valid integer value"},
      {"1:2:3,5", "'3,5' is not a valid floating point value"},
      {":", "'' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    long double v = 0;
    EXPECT_EQ(c.message, Message_Of([&] { Parse_Time(c.text, v); })) << c.text;
  }
}

TEST(DFormat, DecimalExponent) {
  struct Case {
    long double x;
    int n;
  } cases[] = {{1000, 3},   {999.99L, 2},    {0.01L, -2},   {-50, 1},   {0, -1},     {1, 0},
               {9.999L, 0}, {1e-300L, -300}, {1e300L, 300}, {0.1L, -1}, {Missing, 0},
               // The nudge above |x| must not overflow the largest extended numbers.
               {std::numeric_limits<long double>::max(), 4932},
               {-std::numeric_limits<long double>::max(), 4932},
               {std::numeric_limits<long double>::denorm_min(), -4951}};
  for (const Case& c : cases) EXPECT_EQ(c.n, Decimal_Exponent(c.x)) << static_cast<double>(c.x);
}

TEST(DFormat, TextForms) {
  struct Case {
    std::string got, expected;
  } cases[] = {
      {Fixed_Form(3.14159L, 8, 2), "3.14"},
      {Fixed_Form(12, 8, 0), "12"},
      {Fixed_Form(-0.001L, 8, 2), "0.00"},
      {Fixed_Form(2.5L, 8, 3), "2.500"},
      {Fixed_Form(1.0L / 3, 4, 6), "0.333300"},
      {Fixed_Form(123456, 4, 1), "1.235E+05"},
      {Fixed_Form(0.5L, 18, 0), "1"},  // an exact tie: half away from zero
      {Fixed_Form(1.5L, 18, 0), "2"},
      {Exponent_Form(1234567, 2, 2), "1.2E+06"},
      {Exponent_Form(12345, 12, 1), "1.23450000000E+4"},
      {Exponent_Form(-0.00012L, 3, 3), "-1.20E-004"},
      {Exponent_Form(5, 1, 2), "5.0E+00"},
      {Exponent_Form(1e300L, 2, 2), "1.0E+300"},
      {General_Form(0.5L, 12), "0.5"},
      {General_Form(0.000001L, 12), "1E-6"},
      {General_Form(0.00001L, 12), "0.00001"},
      {General_Form(-0.000012345L, 12), "-0.000012345"},
      {General_Form(-0.0000012345L, 12), "-1.2345E-6"},
      {General_Form(1e11L, 12), "100000000000"},
      {General_Form(1e12L, 12), "1E12"},
      {General_Form(1e13L, 12), "1E13"},
      {General_Form(123456789, 4), "1.235E8"},
      {General_Form(100, 2), "1E2"},
      {General_Form(99, 2), "99"},
      {General_Form(99.5L, 2), "1E2"},
      {General_Form(0.1L, 18), "0.1"},
      {General_Form(1.0L / 3, 18), "0.333333333333333333"},
      {General_Form(-0.0L, 12), "0"},
      {General_Form(2.5L, 1), "2.5"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.got);
}

// Exact decimal ties round half away from zero in every text form; everything else keeps
// the correctly rounded digits.
TEST(DFormat, TiesRoundHalfAwayFromZero) {
  struct Case {
    std::string got, expected;
  } cases[] = {
      // Fixed form: ties at the last decimal.
      {Fixed_Form(2.5L, 18, 0), "3"},
      {Fixed_Form(3.5L, 18, 0), "4"},
      {Fixed_Form(-2.5L, 18, 0), "-3"},
      {Fixed_Form(-0.5L, 18, 0), "-1"},
      {Fixed_Form(9.5L, 18, 0), "10"},
      {Fixed_Form(0.125L, 18, 2), "0.13"},
      {Fixed_Form(-0.125L, 18, 2), "-0.13"},
      {Fixed_Form(0.375L, 18, 2), "0.38"},
      {Fixed_Form(99.995L, 18, 2), "100.00"},  // not exact in binary: not a tie
      {Fixed_Form(9.96875L, 18, 4), "9.9688"},
      {Fixed_Form(-9.9999995L, 18, 6), "-10.000000"},  // not exact either
      {Fixed_Form(0.5L, 4, 6), "0.500000"},
      // Near ties.
      {Fixed_Form(2.4999999L, 18, 0), "2"},
      {Fixed_Form(-2.4999999L, 18, 0), "-2"},
      {Fixed_Form(0.1251L, 18, 2), "0.13"},
      {Fixed_Form(0.1249L, 18, 2), "0.12"},
      {Fixed_Form(1.5L, 18, 0), "2"},
      {Fixed_Form(0, 8, 2), "0.00"},
      // Exponent form: ties at the last significant digit, also left of the point.
      {Exponent_Form(1250000, 2, 2), "1.3E+06"},
      {Exponent_Form(-1250000, 2, 2), "-1.3E+06"},
      {Exponent_Form(1450000, 2, 2), "1.5E+06"},
      {Exponent_Form(1249999, 2, 2), "1.2E+06"},
      {Exponent_Form(1250001, 2, 2), "1.3E+06"},
      {Exponent_Form(985, 2, 2), "9.9E+02"},
      {Exponent_Form(995, 2, 2), "1.0E+03"},
      {Exponent_Form(1.25e20L, 2, 2), "1.3E+20"},  // 5^19 divides the mantissa
      {Exponent_Form(0.125L, 2, 2), "1.3E-01"},
      {Exponent_Form(2.5L, 2, 2), "2.5E+00"},
      {Exponent_Form(0, 2, 2), "0.0E+00"},
      {Exponent_Form(std::numeric_limits<long double>::denorm_min(), 2, 2), "3.6E-4951"},
      // General form.
      {General_Form(0.125L, 2), "0.13"},
      {General_Form(12.5L, 2), "13"},
      {General_Form(-2.25L, 2), "-2.3"},
      {General_Form(1.25e-7L, 2), "1.3E-7"},
      {General_Form(99.5L, 2), "1E2"},
      {General_Form(2.4999999L, 2), "2.5"},
      {General_Form(0.0625L, 3), "0.0625"},
      {General_Form(0.0625L, 2), "0.063"},
      // The program's formats.
      {Format_Number(8, 0, false, 2.5L, false, true), "3."},
      {Format_Number(8, 0, false, 2.5L, true, true), "3"},
      {Format_Number(8, 0, false, 3.5L, true, true), "4"},
      {Format_Number(8, 0, false, -2.5L, true, true), "-3"},
      {Format_Number(8, 0, false, 2.4999999L, true, true), "2"},
      {Format_Number(8, 2, false, 0.125L, true, true), "0.13"},
      {Format_Number(8, 2, false, 0.1251L, true, true), "0.13"},
      {Format_Number(8, 2, false, -0.125L, false, false), "   -0.13"},
      {Format_Number(6, 2, true, 1250000, false, true), "1.3E+06"},
      {Format_Short(2, 0.125L), ".13"},
      {Format_Short(2, -0.125L), "-.13"},
      {Format_Short(2, 125000), "1.3E5"},
      {Format_Short(2, 12.5L), "13"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.got);
}

// Dyadic values n / 2^j have short exact decimal expansions, so rounding their exact digits
// half up in magnitude by hand gives the expected fixed form, ties and non-ties alike.
TEST(DFormat, FixedFormMatchesExactRoundingOfDyadicValues) {
  std::mt19937_64 rng(20240607);
  for (int n = 0; n < 20000; ++n) {
    const long long numerator = static_cast<long long>(rng() % 2000001) - 1000000;
    const int j = static_cast<int>(rng() % 11);
    const int decimals = static_cast<int>(rng() % 8);
    const long double x = std::ldexp(static_cast<long double>(numerator), -j);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.12Lf", std::fabs(x));  // exact: j <= 10 < 12
    std::string exact = buffer;
    const std::size_t point = exact.find('.');
    std::string kept = exact.substr(0, point + 1 + static_cast<std::size_t>(decimals));
    if (decimals == 0) kept.pop_back();
    if (exact[point + 1 + static_cast<std::size_t>(decimals)] >= '5') {
      std::size_t i = kept.size();
      while (i-- > 0) {
        if (kept[i] == '.') continue;
        if (kept[i] != '9') {
          ++kept[i];
          break;
        }
        kept[i] = '0';
      }
      if (i == static_cast<std::size_t>(-1)) kept.insert(0, 1, '1');
    }
    if (x < 0 && kept.find_first_not_of("0.") != std::string::npos) kept.insert(0, 1, '-');
    ASSERT_EQ(kept, Fixed_Form(x, 18, decimals)) << numerator << " / 2^" << j;
  }
}

TEST(DFormat, FormatNumber) {
  struct Case {
    int width, decimals;
    bool force_exponent;
    long double x;
    bool strip, no_fill;
    std::string expected;
  } cases[] = {
      {8, 2, false, 3.14159L, true, true, "3.14"},
      {8, 2, false, 2.5L, true, true, "2.5"},
      {8, 2, false, 2, true, true, "2"},
      {8, 2, false, 1234567, true, true, "1.2E+06"},
      {8, 2, false, Missing, true, true, "?"},
      {8, 0, false, 12, false, false, "     12."},
      {8, 2, false, Missing, false, false, "       ?"},
      {8, 2, false, 100, true, true, "100"},
      {8, 2, false, 123456, true, true, "123456"},
      {8, 2, false, 0, true, true, "0"},
      {8, 2, false, -3.14159L, false, true, "-3.14"},
      {8, 4, false, 0.000123L, true, true, "0.0001"},
      {8, 3, true, 2.5L, true, true, "2.5E+00"},
      {8, 3, true, 1e-200L, false, true, "1.0E-200"},
      {10, 4, false, 1e200L, true, true, "1E+200"},
      {8, 2, false, 1.999L, false, true, "2.00"},
      {8, 2, false, std::numeric_limits<long double>::max(), true, true, "1.2E+4932"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected,
              Format_Number(c.width, c.decimals, c.force_exponent, c.x, c.strip, c.no_fill))
        << static_cast<double>(c.x);
  }
}

TEST(DFormat, FormatShort) {
  struct Case {
    long double x;
    std::string expected;
  } cases[] = {
      {0.5L, ".5"},
      {-0.25L, "-.25"},
      {0, "0"},
      {9999, "9999"},
      {10000, "1E4"},
      {250000, "2.5E5"},
      {-12345.6L, "-1.23456E4"},
      {12500, "1.25E4"},
      {20000, "2E4"},
      {12345, "1.2345E4"},
      {Missing, "?"},
      {0.000001L, "1E-6"},
      {-7, "-7"},
      {1e100L, "1E100"},
      {0.1L, ".1"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, Format_Short(12, c.x));
  Significant_Digits = 18;
  EXPECT_EQ(".333333333333333333", Format_Short(0, 1.0L / 3));
  Significant_Digits = 16;
  EXPECT_EQ(".3333333333333333", Format_Short(0, 1.0L / 3));
  Significant_Digits = 18;
}

// Runs the notation checks with the thread's numeric locale using a comma decimal mark.
TEST(DFormat, NotationIgnoresACommaLocale) {
  const char* names[] = {"de_DE.UTF-8", "de_DE.utf8",  "de_DE",       "fr_FR.UTF-8", "fr_FR.utf8",
                         "nl_NL.UTF-8", "ru_RU.UTF-8", "it_IT.UTF-8", "es_ES.UTF-8"};
  locale_t comma = static_cast<locale_t>(nullptr);
  for (const char* name : names) {
    comma = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
    if (comma != static_cast<locale_t>(nullptr)) break;
  }
  if (comma == static_cast<locale_t>(nullptr)) GTEST_SKIP() << "no locale with a decimal comma";
  const locale_t previous = uselocale(comma);
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 2.5);
  const std::string probe_text = probe;
  long double v = 0;
  const bool comma_number = Try_Str_To_Float("2,5", v);
  const bool point_number = Try_Str_To_Float("2.5", v);
  const std::string fixed = Fixed_Form(2.5L, 8, 2);
  const std::string exponent = Exponent_Form(2.5L, 3, 2);
  const std::string general = General_Form(0.25L, 12);
  const std::string short_text = Format_Short(12, 250000);
  const std::string number = Format_Number(8, 2, false, 3.14159L, true, true);
  long double t = 0;
  Parse_Time("1:30:30.5", t);
  uselocale(previous);
  freelocale(comma);
  EXPECT_EQ("2,5", probe_text);  // the locale really uses a comma
  EXPECT_FALSE(comma_number);
  EXPECT_TRUE(point_number);
  EXPECT_EQ(2.5L, v);
  EXPECT_EQ("2.50", fixed);
  EXPECT_EQ("2.50E+00", exponent);
  EXPECT_EQ("0.25", general);
  EXPECT_EQ("2.5E5", short_text);
  EXPECT_EQ("3.14", number);
  EXPECT_NEAR(1.5084722, static_cast<double>(t), 1e-7);
}

TEST(DFormat, SetNotationKeepsThePoint) {
  Set_Notation();
  EXPECT_STREQ(".", std::localeconv()->decimal_point);
  EXPECT_EQ(2.5L, Str_To_Float("2.5"));
}

}  // namespace
}  // namespace pw
