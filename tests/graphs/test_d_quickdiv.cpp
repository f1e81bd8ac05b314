// The quick quotients of the drawing passes against the extended division they stand for, on
// values right at and a few units in the last place around every boundary.
#include "graphs/d_quickdiv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/d_databuffer.h"
#include "draw/D_Math.h"

namespace pw {
namespace {

// One value packed as the data buffer keeps it, and its quick double.
bool Near_Double_Of(long double v, double& d) {
  char cell[Packed_Values::Array_Bytes(1)] = {};
  Packed_Values values(cell);
  values.Set(0, v);
  return values.Near_Double(0, d);
}

// Values at every boundary lo + k * step, a few units in the last place (of the extended
// number) on either side, a billionth of a step on either side, and at random.
std::vector<long double> Test_Values(long double lo, long double step, long double span,
                                     std::mt19937_64& random) {
  std::vector<long double> values;
  const int whole = static_cast<int>(std::ceil(span));
  for (int k = -1; k <= whole + 1; ++k) {
    for (long double b : {lo + k * step, lo + (k + 0.5L) * step}) {
      long double up = b, down = b;
      for (int u = 0; u < 4; ++u) {
        values.push_back(up);
        values.push_back(down);
        up = std::nextafter(up, HUGE_VALL);
        down = std::nextafter(down, -HUGE_VALL);
      }
      values.push_back(b + step * 1e-9L);
      values.push_back(b - step * 1e-9L);
      values.push_back(b + step * 1.0000001e-9L);
    }
  }
  std::uniform_real_distribution<double> spread(-0.1, static_cast<double>(span) + 0.1);
  for (int i = 0; i < 20000; ++i) values.push_back(lo + step * spread(random));
  return values;
}

struct Limits {
  long double lo, hi;
  int bins;  // or pixels
};

const Limits Cases[] = {
    {0, 10, 100},
    {-3.7L, 12.9L, 37},
    {1e6L, 1e6L + 1, 256},
    {-1e-5L, 3e-5L, 7},
    {123456.789L, 123999.1L, 1000},
    {1e300L, 2e300L, 50},
    {-2.5e-300L, 1e-300L, 3},
    {-1e13L, 1e13L, 1016},
    {0.1L, 0.3L, 2},
};

TEST(QuickQuotient, FloorIsTheExtendedBin) {
  std::mt19937_64 random(5);
  for (const Limits& c : Cases) {
    for (long double shift : {0.0L, 0.000000001L}) {
      SCOPED_TRACE(std::to_string(static_cast<double>(c.lo)) + " " + std::to_string(c.bins));
      const long double step = (c.hi - c.lo) / c.bins;
      const Quick_Quotient quick(c.lo, step, c.bins, shift);
      ASSERT_TRUE(quick.Usable());
      int taken = 0, offered = 0;
      for (long double v : Test_Values(c.lo, step, c.bins, random)) {
        double x;
        int k;
        if (!Near_Double_Of(v, x)) continue;
        ++offered;
        if (!quick.Floor(x, k)) continue;
        ++taken;
        const long double t = (v - c.lo) / step - shift;
        ASSERT_TRUE(t >= 0 && t < c.bins) << static_cast<double>(v);
        ASSERT_EQ(k, static_cast<int>(std::floor(t))) << static_cast<double>(v);
      }
      EXPECT_GT(taken, offered * 2 / 3);  // the quick way is the usual one
    }
  }
}

TEST(QuickQuotient, RoundIsTheExtendedPixelInsideTheLimits) {
  std::mt19937_64 random(6);
  for (const Limits& c : Cases) {
    SCOPED_TRACE(std::to_string(static_cast<double>(c.lo)) + " " + std::to_string(c.bins));
    const long double scale = (c.hi - c.lo) / c.bins;
    const Quick_Quotient quick(c.lo, scale, (c.hi - c.lo) / scale);
    ASSERT_TRUE(quick.Usable());
    int taken = 0, offered = 0;
    for (long double v : Test_Values(c.lo, scale, c.bins, random)) {
      double x;
      int k;
      if (!Near_Double_Of(v, x)) continue;
      ++offered;
      if (!quick.Round(x, k)) continue;
      ++taken;
      ASSERT_TRUE(c.lo <= v && v <= c.hi) << static_cast<double>(v);
      ASSERT_EQ(k, Round_Even_Int((v - c.lo) / scale)) << static_cast<double>(v);
    }
    EXPECT_GT(taken, offered * 2 / 3);
  }
}

// Beyond leaves a value out only when it lies outside the limits, past every value that lies on
// one (Lowest_On, Highest_On); two steps out and farther it always does.
TEST(QuickQuotient, BeyondOnlyPastTheValuesOnTheLimits) {
  std::mt19937_64 random(7);
  for (const Limits& c : Cases) {
    SCOPED_TRACE(std::to_string(static_cast<double>(c.lo)) + " " + std::to_string(c.bins));
    const long double step = (c.hi - c.lo) / c.bins;
    const Quick_Quotient quick(c.lo, step, c.bins, 0.000000001L);
    std::vector<long double> values = Test_Values(c.lo, step, c.bins, random);
    for (long double out : {1.0L, 1.0000001L, 1.5L, 2.0L, 1e3L, 1e9L}) {
      for (long double b : {c.lo - out * step, c.hi + out * step}) {
        values.push_back(b);
        values.push_back(std::nextafter(b, HUGE_VALL));
        values.push_back(std::nextafter(b, -HUGE_VALL));
      }
    }
    for (long double far : {1e300L, -1e300L, 1.7e308L, -1.7e308L}) values.push_back(far);
    for (long double v : values) {
      double x;
      if (!Near_Double_Of(v, x)) continue;
      const bool outside = v < Lowest_On(c.lo) || v > Highest_On(c.hi);
      const long double t = (v - c.lo) / step;
      if (quick.Beyond(x)) {
        ASSERT_TRUE(outside) << static_cast<double>(v);
      } else if (t < -2 || t > c.bins + 2) {
        ADD_FAILURE() << "not left out: " << static_cast<double>(v);
      }
    }
  }
}

// Limits that leave no room for a bound: every value goes the extended way.
TEST(QuickQuotient, NotUsableWhereTheBoundIsTooWide) {
  EXPECT_FALSE(Quick_Quotient(1e10L, 1e-10L, 100).Usable());   // steps far below the limit's ulp
  EXPECT_FALSE(Quick_Quotient(0, 1e-320L, 100).Usable());      // a step below the normal doubles
  EXPECT_FALSE(Quick_Quotient(0, -1, 100).Usable());           // no negative steps
  EXPECT_FALSE(Quick_Quotient(1e400L, 1e398L, 100).Usable());  // beyond the double range
  EXPECT_FALSE(Quick_Quotient(0, 1, 0.5L).Usable());
  EXPECT_TRUE(Quick_Quotient(0, 1, 1).Usable());
}

}  // namespace
}  // namespace pw
