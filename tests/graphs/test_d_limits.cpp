// Automatic and given limits hold their own extreme values, and a column of one value draws
// around that value whatever its magnitude.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "draw/D_Math.h"
#include "graph_test_util.h"
#include "graphs/d_histgraph.h"
#include "graphs/d_histog.h"
#include "graphs/d_scatgraph.h"

namespace pw {
namespace {

const char* const Data_File_Def = "[DataFile]\nX=1 1.2 across\nY=2 1.2 up\n";

constexpr Color Red = 0x0000FF;  // $00BBGGRR

class Hist_Fixture : public graph_test::Loaded_Graph<TC_Hist_Graph> {
 public:
  Hist_Fixture(const std::string& keys, const std::string& data)
      : Loaded_Graph(Data_File_Def, "x=X\n" + keys, data, 300, 200, true) {}

  // The bins of the graph's latest limits, counted as its bars are.
  std::vector<int> Counts() {
    TC_Histog histog(graph_.Bins, graph_.XLo, graph_.XHi, graph_.LeftIn);
    histog.Accumulate(buffer_, 1);
    std::vector<int> counts;
    for (int i = 1; i <= histog.Bin_Count(); ++i) counts.push_back(histog.Bin_Value(i));
    return counts;
  }
};

class Scat_Fixture : public graph_test::Loaded_Graph<TC_Scat_Graph> {
 public:
  Scat_Fixture(const std::string& keys, const std::string& data)
      : Loaded_Graph(Data_File_Def, "x=X\ny=Y\nMarker=POINT\nColor=FF0000\n" + keys, data, 300, 200,
                     false) {}

  bool Red_Pixel(int x, int y) const { return canvas_.Image.Pixel(x, y) == Color_To_Pixel(Red); }
  int Red_Count() const {
    int n = 0;
    for (int y = 0; y < canvas_.Image.Height(); ++y) {
      for (int x = 0; x < canvas_.Image.Width(); ++x) n += Red_Pixel(x, y);
    }
    return n;
  }
};

// One value per line (the Y column is 1).
std::string Column(const std::vector<const char*>& values) {
  std::string text;
  for (const char* v : values) text += std::string(v) + " 1\n";
  return text;
}

// ---- Histograms: every value in a bin ----

struct Hist_Case {
  const char* keys;
  std::vector<const char*> values;  // the smallest first, the largest last
};

TEST(Limits, HistogramCountsItsExtremeValues) {
  const std::vector<Hist_Case> cases = {
      {"RoundX=0\n", {"0.1", "0.2", "0.3"}},
      {"RoundX=0\n", {"0.5", "2.675", "1.1", "2.675"}},
      {"RoundX=0\n", {"1e-7", "2.5e-7", "3e-7"}},
      {"RoundX=0\n", {"0.333333333333333333333", "0.5", "0.666666666666666666667"}},
      {"RoundX=0\n", {"-0.3", "-0.2", "-0.1"}},
      {"RoundX=0\nBins=7\n", {"0.1", "0.15", "0.7"}},
      // Given limits written as the data writes the values.
      {"xlo=0.1\nxhi=0.3\n", {"0.1", "0.2", "0.3"}},
      {"xlo=1e-7\nxhi=3e-7\n", {"1e-7", "3e-7"}},
      {"xlo=0.333333333333333333333\nxhi=2.675\n", {"0.333333333333333333333", "2.675"}},
      {"xlo=0\nxhi=0.3\ndx=0.1\n", {"0", "0.3"}},  // a width that tiles the range keeps xhi
      {"RoundX=0\ndx=0.1\n", {"0.1", "0.5"}},
      // Rounded limits of a range from or to 0 keep 0.
      {"", {"0", "0.05", "0.0931"}},
      {"", {"-0.0931", "-0.05", "0"}},
  };
  for (const Hist_Case& c : cases) {
    for (const char* left_in : {"LeftIn=0\n", "LeftIn=1\n"}) {
      SCOPED_TRACE(std::string(c.keys) + left_in + c.values.front());
      Hist_Fixture f(std::string(c.keys) + left_in, Column(c.values));
      f.Draw();
      const std::vector<int> counts = f.Counts();
      ASSERT_FALSE(counts.empty());
      EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0),
                static_cast<int>(c.values.size()));
      EXPECT_GE(counts.front(), 1);
      EXPECT_GE(counts.back(), 1);
    }
  }
}

// The tallest bar holds the maximum, and the Y limit follows it.
TEST(Limits, HistogramYLimitCountsTheMaximum) {
  Hist_Fixture f("RoundX=0\nBins=2\n", Column({"0.1", "0.3", "0.3", "0.3"}));
  f.Draw();
  EXPECT_EQ(f.Counts(), (std::vector<int>{1, 3}));
  EXPECT_EQ(f.Graph().YHi, 4);  // 3 * 1.02 made nice
  EXPECT_EQ(f.Graph().Stat_Line, "N=4  m=0.25  s=0.1  mn=0.1  mx=0.3");
}

// ---- Scatter graphs: the extreme points on the frame ----

struct Scat_Case {
  const char* keys;
  const char* data;  // the first point belongs top left, the second bottom right
};

TEST(Limits, ScatterDrawsItsExtremePointsOnTheFrame) {
  const std::vector<Scat_Case> cases = {
      {"RoundX=0\nRoundY=0\n", "0.1 2.675\n0.3 1e-7\n0.2 0.5\n"},
      {"RoundX=0\nRoundY=0\n", "0.333333333333333333333 0.3\n2.675 0.1\n"},
      {"xlo=0.1\nxhi=0.3\nylo=1e-7\nyhi=2.675\n", "0.1 2.675\n0.3 1e-7\n0.2 0.5\n"},
      {"logx=1\nlogy=1\nRoundX=0\nRoundY=0\n", "0.3 2.675\n30 0.1\n3 1\n"},
      // Decades: the powers of ten lie on their limits, given or rounded.
      {"logx=1\nlogy=1\nxlo=1\nxhi=3\nylo=-1\nyhi=2\n", "10 100\n1000 0.1\n100 1\n"},
      {"logx=1\nlogy=1\nxlo=-7\nxhi=3\nylo=-7\nyhi=3\n", "1e-7 1000\n1000 1e-7\n"},
      {"logx=1\nlogy=1\n", "1 1000\n1000 1\n10 10\n"},
      // Limits farther apart than the largest extended number.
      {"", "-1E4932 1E4932\n1E4932 -1E4932\n0 0\n"},
      {"xlo=-1.1E4932\nxhi=1E4932\nylo=-1E4932\nyhi=1.1E4932\n",
       "-1.1E4932 1.1E4932\n1E4932 -1E4932\n"},
  };
  for (const Scat_Case& c : cases) {
    SCOPED_TRACE(std::string(c.keys) + c.data);
    Scat_Fixture f(c.keys, c.data);
    f.Draw();
    const TC_Scat_Graph& g = f.Graph();
    EXPECT_TRUE(f.Red_Pixel(g.Plot_Left, g.Plot_Top));
    EXPECT_TRUE(f.Red_Pixel(g.Plot_Right, g.Plot_Bottom));
  }
}

// ---- Columns of one value ----

// The spread limits themselves are DRange.SpreadLimits; here the pictures: one bar, a point.
struct Constant_Case {
  const char* value;
  bool middle;  // spread around the value (beyond a whole unit): the point in the middle
};

const std::vector<Constant_Case>& Constant_Cases() {
  static const std::vector<Constant_Case> cases = {
      {"7.6", false},
      {"-2.5", false},
      {"0", false},
      {"1e18", false},
      {"-1e-4940", false},              // a denormal, on 0 as a double
      {"18446744073709549568", false},  // the largest double below 2^64: a unit
      {"18446744073709551615", true},   // 2^64 as a double: a unit adds nothing
      {"1e25", true},
      {"-1e25", true},
      {"1.5e300", true},
      {"-7e4000", true},  // beyond the double range
      {"1.18973149535723176502e4932", false},
      {"-1.18973149535723176502e4932", false},
  };
  return cases;
}

// The value lies within the limits, or on one of them.
void Expect_Around(long double lo, long double hi, const Constant_Case& c) {
  const long double v = std::strtold(c.value, nullptr);
  EXPECT_LT(lo, hi);
  EXPECT_LE(Lowest_On(lo), v);
  EXPECT_LE(v, Highest_On(hi));
}

TEST(Limits, ConstantColumnOfAnyMagnitudeGivesOneBar) {
  for (const Constant_Case& c : Constant_Cases()) {
    for (const char* left_in : {"LeftIn=0\n", "LeftIn=1\n"}) {
      SCOPED_TRACE(std::string(c.value) + " " + left_in);
      Hist_Fixture f(left_in, Column({c.value, c.value, c.value, c.value, c.value}));
      ASSERT_NO_THROW(f.Draw());
      Expect_Around(f.Graph().XLo, f.Graph().XHi, c);
      const std::vector<int> counts = f.Counts();
      EXPECT_EQ(std::count(counts.begin(), counts.end(), 5), 1);
      EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0), 5);
    }
  }
}

TEST(Limits, ConstantColumnOfAnyMagnitudeDrawsItsPoints) {
  for (const Constant_Case& c : Constant_Cases()) {
    SCOPED_TRACE(c.value);
    const std::string line = std::string(c.value) + " " + c.value + "\n";
    Scat_Fixture f("", line + line);
    ASSERT_NO_THROW(f.Draw());
    const TC_Scat_Graph& g = f.Graph();
    Expect_Around(g.XLo, g.XHi, c);
    Expect_Around(g.YLo, g.YHi, c);
    EXPECT_EQ(f.Red_Count(), 1);
    if (c.middle) {
      EXPECT_TRUE(f.Red_Pixel((g.Plot_Left + g.Plot_Right) / 2, (g.Plot_Top + g.Plot_Bottom) / 2));
    }
  }
}

}  // namespace
}  // namespace pw
