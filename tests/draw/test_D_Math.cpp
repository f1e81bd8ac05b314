#include "draw/D_Math.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/D_Error.h"
#include "base/settings.h"
#include "setup/D_Format.h"

namespace pw {
namespace {

TEST(DMath, MissingHasTheExactBitPattern) {
  const unsigned char expected[10] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  const long double m = Make_Missing();
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &m, sizeof m);
  EXPECT_EQ(0, std::memcmp(bytes, expected, 10));
  EXPECT_TRUE(std::isnan(Missing));
}

TEST(DMath, IsMissing) {
  const long double inf = std::numeric_limits<long double>::infinity();
  struct Case {
    long double x;
    bool missing;
  } cases[] = {
      {Missing, true},
      {inf, true},
      {-inf, true},
      {std::numeric_limits<long double>::quiet_NaN(), true},
      {0.0L, false},
      {-0.0L, false},
      {std::numeric_limits<long double>::max(), false},
      {std::numeric_limits<long double>::lowest(), false},
      {std::numeric_limits<long double>::denorm_min(), false},
      {1.5L, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.missing, Is_Missing(c.x)) << static_cast<double>(c.x);
}

TEST(DMath, SplitDecimal) {
  struct Case {
    long double x, mantissa, scale;
  } cases[] = {
      {-0.0042L, -4.2L, 0.001L}, {0, 0, 1},   {1, 1, 1}, {9.99L, 9.99L, 1}, {10, 1, 10},
      {12345, 1.2345L, 10000},   {-7, -7, 1},
  };
  for (const Case& c : cases) {
    long double m = 0, s = 0;
    Split_Decimal(c.x, m, s);
    EXPECT_NEAR(static_cast<double>(c.mantissa), static_cast<double>(m), 1e-15) << (double)c.x;
    EXPECT_NEAR(1.0, static_cast<double>(s / c.scale), 1e-15) << (double)c.x;
    EXPECT_GE(std::fabs(m), c.x == 0 ? 0 : 1);
    EXPECT_LT(std::fabs(m), 10);
  }
}

TEST(DMath, SplitDecimalOfNonFiniteReturnsAtOnce) {
  long double m = 0, s = 0;
  Split_Decimal(std::numeric_limits<long double>::infinity(), m, s);
  EXPECT_TRUE(std::isinf(m));
  EXPECT_EQ(1, s);
}

TEST(DMath, SplitIntFrac) {
  struct Case {
    long double x;
    std::int32_t i;
    long double f;
  } cases[] = {
      {-2.25L, -3, 0.75L},
      {3, 3, 0},
      {0, 0, 0},
      {2.5L, 2, 0.5L},
      {-1, -1, 0},
      {2147483647.5L, 2147483647, 0.5L},
      {-2147483647.5L, -2147483648, 0.5L},
  };
  for (const Case& c : cases) {
    std::int32_t i = 7;
    long double f = 7;
    Split_Int_Frac(c.x, i, f);
    EXPECT_EQ(c.i, i) << static_cast<double>(c.x);
    EXPECT_EQ(c.f, f) << static_cast<double>(c.x);
  }
}

TEST(DMath, SplitIntFracTinyNegativeStaysBelowOne) {
  std::int32_t i = 0;
  long double f = 0;
  Split_Int_Frac(-1e-30L, i, f);
  EXPECT_EQ(-1, i);
  EXPECT_LT(f, 1);
  EXPECT_GE(f, 0);
}

TEST(DMath, SplitIntFracErrors) {
  struct Case {
    long double x;
    const char* message;
  } cases[] = {
      {2147483648.0L, "Range check error"},
      {-2147483649.0L, "Range check error"},
      {Missing, "Range check error"},
      {std::numeric_limits<long double>::infinity(), "Range check error"},
      {-2147483648.5L, "Integer overflow"},
  };
  for (const Case& c : cases) {
    std::int32_t i = 0;
    long double f = 0;
    try {
      Split_Int_Frac(c.x, i, f);
      ADD_FAILURE() << "no error for " << static_cast<double>(c.x);
    } catch (const Error& e) {
      EXPECT_EQ(c.message, e.Message());
      EXPECT_FALSE(e.Fatal());
    }
  }
}

TEST(DMath, PrecisionCheck) {
  EXPECT_FALSE(Precision_Is_Short(1.0L / 3.0L));
  // One third rounded to a 53-bit mantissa is about 1.9e-17 off.
  EXPECT_TRUE(Precision_Is_Short(static_cast<long double>(1.0 / 3.0)));
  Significant_Digits = 18;
  Check_Precision();
  EXPECT_EQ(18, Significant_Digits);
}

#if defined(__x86_64__) || defined(__i386__)
TEST(DMath, PrecisionCheckUnderShortenedArithmetic) {
  // Precision control bits 8-9 of the x87 control word: 10b = 53-bit mantissa.
  unsigned short saved = 0;
  asm volatile("fnstcw %0" : "=m"(saved));
  const unsigned short shortened = static_cast<unsigned short>((saved & ~0x0300u) | 0x0200u);
  asm volatile("fldcw %0" : : "m"(shortened));
  Significant_Digits = 18;
  Check_Precision();
  asm volatile("fldcw %0" : : "m"(saved));
  EXPECT_EQ(16, Significant_Digits);
  Significant_Digits = 18;
}
#endif

// Every 80-bit value between Lowest_On and Highest_On rounds to the limit's double, and the
// next value past either end does not.
TEST(DMath, ValuesOnALimit) {
  constexpr long double inf = std::numeric_limits<long double>::infinity();
  constexpr double tiny = std::numeric_limits<double>::denorm_min();
  constexpr double big = std::numeric_limits<double>::max();
  const double limits[] = {0.3,   0.1, 2.675, 1e-7, 1.0, 1.0 + 0x1p-52,
                           1e300, 0.0, tiny,  -0.3, big, -big};
  for (double limit : limits) {
    SCOPED_TRACE(limit);
    const long double lo = Lowest_On(limit), hi = Highest_On(limit);
    EXPECT_LE(lo, limit);
    EXPECT_GE(hi, limit);
    EXPECT_EQ(static_cast<double>(lo), limit);
    EXPECT_EQ(static_cast<double>(hi), limit);
    const long double below = std::nextafter(lo, -inf), above = std::nextafter(hi, inf);
    EXPECT_TRUE(!Fits_Double(below) || static_cast<double>(below) != limit);
    EXPECT_TRUE(!Fits_Double(above) || static_cast<double>(above) != limit);
  }
  // The data's 0.3 lies on the setup's 0.3, an 80-bit limit's neighbours on it too.
  EXPECT_LE(Lowest_On(0.3), 0.3L);
  EXPECT_GE(Highest_On(0.3), 0.3L);
  EXPECT_LT(Lowest_On(0.3L), 0.3L);
  EXPECT_EQ(Lowest_On(1e4000L), 1e4000L);  // beyond the double range: only itself
  EXPECT_EQ(Highest_On(1e4000L), 1e4000L);
  EXPECT_TRUE(Is_Missing(Lowest_On(Missing)));
}

TEST(DMath, RoundEven) {
  struct Case {
    long double x, r;
  } cases[] = {{0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {2.4L, 2}, {2.6L, 3}};
  for (const Case& c : cases) EXPECT_EQ(c.r, Round_Even(c.x)) << static_cast<double>(c.x);
  std::fesetround(FE_UPWARD);
  EXPECT_EQ(2, Round_Even(2.4L));
  EXPECT_EQ(FE_UPWARD, std::fegetround());
  std::fesetround(FE_TONEAREST);
}

TEST(DMath, RoundEvenInt) {
  struct Case {
    long double x;
    std::int64_t r;
  } cases[] = {
      {2.5L, 2},
      {3.5L, 4},
      {-2.5L, -2},
      {Missing, 0},
      {1e30L, INT64_MAX},
      {-1e30L, INT64_MIN},
      {std::numeric_limits<long double>::infinity(), INT64_MAX},
      {-std::numeric_limits<long double>::infinity(), INT64_MIN},
      {9223372036854775807.0L, INT64_MAX},  // rounds to 2^63
      {-9223372036854775808.0L, INT64_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(c.r, Round_Even_Int(c.x)) << static_cast<double>(c.x);
}

}  // namespace
}  // namespace pw
