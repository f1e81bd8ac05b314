#include "draw/d_range.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "draw/D_Math.h"
#include "draw/d_graphrange.h"

namespace pw {
namespace {

struct Nice_Case {
  bool up, restricted;
  long double x, expected;
};

TEST(DRange, NiceNumber) {
  const Nice_Case cases[] = {
      // up, unrestricted
      {true, false, 3.7L, 4},
      {true, false, 4, 4},
      {true, false, 4.0000039L, 4},
      {true, false, 4.000005L, 5},
      {true, false, 0.37L, 0.4L},
      {true, false, 1234, 1500},
      {true, false, -3.7L, -4},
      {true, false, 0, 0},
      {true, false, 100.00005L, 100},
      {true, false, 9.5L, 10},
      {true, false, 1, 1},
      // down, unrestricted
      {false, false, 3.7L, 3},
      {false, false, 9.99L, 8},
      {false, false, 9.999995L, 10},
      {false, false, 0.015L, 0.015L},
      {false, false, 0.0149L, 0.012L},
      {false, false, 99.99995L, 100},
      // up, restricted
      {true, true, 3.7L, 5},
      {true, true, 1.9L, 2},
      {true, true, 1.0000005L, 1},
      {true, true, 7, 10},
      {true, true, 11, 20},
      // down, restricted
      {false, true, 3.7L, 2},
      {false, true, 9.99L, 5},
      {false, true, 1.5L, 1},
  };
  for (const Nice_Case& c : cases) {
    const long double r = Nice_Number(c.up, c.restricted, c.x);
    EXPECT_NEAR(static_cast<double>(c.expected), static_cast<double>(r),
                1e-15 * std::fabs(static_cast<double>(c.expected)))
        << "up=" << c.up << " restricted=" << c.restricted << " x=" << static_cast<double>(c.x);
  }
}

TEST(DRange, NiceNumberOfNonFiniteIsItself) {
  EXPECT_TRUE(Is_Missing(Nice_Number(true, false, Missing)));
  EXPECT_EQ(std::numeric_limits<long double>::infinity(),
            Nice_Number(true, true, std::numeric_limits<long double>::infinity()));
}

TEST(DRange, RoundLimits) {
  struct Case {
    long double lo, hi, new_lo, new_hi;
  } cases[] = {
      {0.3L, 7.2L, 0, 8},
      {101, 103, 100, 104},
      {-3, 7.5L, -4, 8},
      {-7.5L, 3, -8, 4},
      {-10, -8, -10, -8},
      {-10, -1, -10, 0},
      {0, 1, 0, 1},
      {1e9L, 1e9L + 3, 1e9L, 1e9L + 5},
      {3e20L, 3e20L + 7e15L, 3e20L, 3.0001e20L},
  };
  for (const Case& c : cases) {
    long double lo = c.lo, hi = c.hi;
    Round_Limits(lo, hi);
    EXPECT_NEAR(static_cast<double>(c.new_lo), static_cast<double>(lo),
                1e-12 * (1 + std::fabs(static_cast<double>(c.new_lo))))
        << static_cast<double>(c.lo) << ", " << static_cast<double>(c.hi);
    EXPECT_NEAR(static_cast<double>(c.new_hi), static_cast<double>(hi),
                1e-12 * (1 + std::fabs(static_cast<double>(c.new_hi))))
        << static_cast<double>(c.lo) << ", " << static_cast<double>(c.hi);
    EXPECT_LE(lo, c.lo);
    EXPECT_GE(hi, c.hi);
  }
}

// A range from 0 (or to 0) keeps 0 as its limit exactly: the upper limit and the span round
// to the same nice number, and a lower limit a hair above 0 would leave the values 0 out.
TEST(DRange, RoundLimitsFromZeroKeepZero) {
  const long double tops[] = {0.0931L, 0.0917848637082581408908L, 0.0093L, 9.31e-5L, 0.3L,
                              0.7L,    7.2L,                       931,     1e-30L,  3e25L};
  for (const long double top : tops) {
    long double lo = 0, hi = top;
    Round_Limits(lo, hi);
    EXPECT_EQ(0, lo) << static_cast<double>(top);
    EXPECT_GE(hi, top) << static_cast<double>(top);
    lo = -top;
    hi = 0;
    Round_Limits(lo, hi);
    EXPECT_EQ(0, hi) << static_cast<double>(-top);
    EXPECT_LE(lo, -top) << static_cast<double>(-top);
  }
}

TEST(DRange, RoundLimitsIsANoOpOnDegenerateInput) {
  const long double inf = std::numeric_limits<long double>::infinity();
  const long double max = std::numeric_limits<long double>::max();
  struct Case {
    long double lo, hi;
  } cases[] = {{5, 5},      {7, 3},   {Missing, 3}, {1, Missing},
               {-inf, inf}, {0, inf}, {-max, max},  {max * 0.5L, max}};
  for (const Case& c : cases) {
    long double lo = c.lo, hi = c.hi;
    Round_Limits(lo, hi);
    EXPECT_EQ(0, std::memcmp(&lo, &c.lo, 10)) << static_cast<double>(c.lo);
    EXPECT_EQ(0, std::memcmp(&hi, &c.hi, 10)) << static_cast<double>(c.hi);
  }
}

TEST(DRange, RoundLimitsOfTinyLimitsAcrossZeroTerminates) {
  // The product of these underflows to zero; the sign test still sees a range across zero.
  long double lo = -1e-3000L, hi = 1e-3000L;
  Round_Limits(lo, hi);
  EXPECT_LE(lo, -1e-3000L);
  EXPECT_GE(hi, 1e-3000L);
}

TEST(DRange, RoundLimitsContainsTheRange) {
  // Pseudo-random ranges of all magnitudes and signs. The nice-number tolerance lets a span
  // within one millionth of a nice number land on it, so containment holds to that margin.
  unsigned state = 12345;
  auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 8; };
  for (int n = 0; n < 20000; ++n) {
    const long double scale = std::pow(10.0L, static_cast<int>(next() % 40) - 20);
    long double a = (static_cast<long double>(next() % 20001) - 10000) * scale / 1000;
    long double b = (static_cast<long double>(next() % 20001) - 10000) * scale / 1000;
    if (a == b) continue;
    if (a > b) std::swap(a, b);
    long double lo = a, hi = b;
    Round_Limits(lo, hi);
    const long double margin = (b - a) * 1e-6L;
    ASSERT_LE(lo, a + margin) << static_cast<double>(a) << " " << static_cast<double>(b);
    ASSERT_GE(hi, b - margin) << static_cast<double>(a) << " " << static_cast<double>(b);
  }
}

TEST(DRange, SwapNegate) {
  long double lo = -3, hi = 7.5L;
  Swap_Negate(lo, hi);
  EXPECT_EQ(-7.5L, lo);
  EXPECT_EQ(3, hi);
}

TEST(DRange, SpreadLimits) {
  constexpr long double Largest = std::numeric_limits<long double>::max();
  const long double two64 = 18446744073709551616.0L;
  struct Case {
    long double v;       // lo = hi = v given
    long double lo, hi;  // expected, to 18 digits
  } cases[] = {
      {7.6L, 7, 8},
      {-2.5L, -3, -2},  // the unit that holds the value
      {-3, -3, -2},
      {0, 0, 1},
      {-1e-4940L, -1, 0},
      {two64 - 1, two64 - 1, two64},  // the last whole unit
      {two64, two64 * 0.99L, two64 * 1.01L},
      {-two64 - 2, (-two64 - 2) * 1.01L, (-two64 - 2) * 0.99L},
      {Largest, Largest * 0.99L, Largest},
      {-Largest, -Largest, -Largest * 0.99L},
  };
  auto near = [](long double a, long double b) { return a == b || std::fabs(a / b - 1) < 1e-18L; };
  for (const Case& c : cases) {
    long double lo = c.v, hi = c.v;
    Spread_Limits(lo, hi);
    EXPECT_TRUE(near(lo, c.lo) && near(hi, c.hi)) << static_cast<double>(c.v);
  }
  long double lo = 1, hi = 2;  // not equal: untouched
  Spread_Limits(lo, hi);
  EXPECT_TRUE(lo == 1 && hi == 2);
  lo = hi = Missing;
  Spread_Limits(lo, hi);
  EXPECT_TRUE(Is_Missing(lo) && Is_Missing(hi));
}

TEST(DRange, GraphRangeStartsAtZero) {
  const TC_Graph_Range r;
  EXPECT_EQ(0, r.XLo);
  EXPECT_EQ(0, r.XHi);
  EXPECT_EQ(0, r.YLo);
  EXPECT_EQ(0, r.YHi);
  EXPECT_FALSE(r.LogX);
  EXPECT_FALSE(r.LogY);
}

}  // namespace
}  // namespace pw
