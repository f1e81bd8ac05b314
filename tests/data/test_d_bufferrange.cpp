// The range of a column is its exact stored minimum and maximum: limits made from it hold
// the extreme values themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "data_test_util.h"
#include "draw/D_Math.h"

namespace pw {
namespace {

struct Range_Case {
  const char* data;  // one value per line
  long double minimum;
  long double maximum;
  int range_n;
  int stats_n;
};

TEST(BufferRange, ExtremesAreTheStoredValues) {
  const std::vector<Range_Case> cases = {
      // Each of these rounds to a different number as a double.
      {"0.3\n0.2\n0.1\n", 0.1L, 0.3L, 3, 3},
      {"2.675\n2.5\n", 2.5L, 2.675L, 2, 2},
      {"1e-7\n3e-7\n", 1e-7L, 3e-7L, 2, 2},
      {"0.333333333333333333333\n0.666666666666666666667\n", 0.333333333333333333333L,
       0.666666666666666666667L, 2, 2},
      {"-0.1\n?\n-0.3\n", -0.3L, -0.1L, 2, 2},
      // Beyond the double range: in the range, not in the statistics.
      {"1e4000\n5\n", 5, 1e4000L, 2, 1},
      {"-1e-4940\n", -1e-4940L, -1e-4940L, 1, 1},  // a denormal, zero as a double
  };
  for (const Range_Case& c : cases) {
    SCOPED_TRACE(c.data);
    const auto def = pw_test::Make_Def("[DataFile]\nA=1 1.2\n");
    const pw_test::Temp_File file(c.data);
    TC_Data_Buffer buffer;
    buffer.Load_File(file.Path(), *def);
    const auto range = buffer.Column_Range(1);
    EXPECT_EQ(range.n, c.range_n);
    EXPECT_EQ(range.minimum, c.minimum);
    EXPECT_EQ(range.maximum, c.maximum);
    const auto summary = buffer.Column_Summary(1);
    EXPECT_EQ(summary.range.n, c.range_n);
    EXPECT_EQ(summary.range.minimum, c.minimum);
    EXPECT_EQ(summary.range.maximum, c.maximum);
    EXPECT_EQ(summary.stats.n, c.stats_n);
    EXPECT_EQ(buffer.Column_Stats(1).n, c.stats_n);
  }
}

// A value written exactly as a filter limit stays, whatever the decimal digits.
TEST(BufferRange, ValuesOnFilterLimitsStay) {
  const auto def = pw_test::Make_Def(
      "[DataFile]\nA=1 1.2\nB=1 1.2\n[Filters]\nA=0.1 0.3\n"
      "B=0.333333333333333333333 2.675\n");
  const pw_test::Temp_File file("0.1\n0.3\n0.2\n0.30000000000000001\n2.675\n"
                                "0.333333333333333333333\n0.3333333333333333332\n");
  TC_Data_Buffer buffer;
  buffer.Load_File(file.Path(), *def);
  const std::vector<std::pair<bool, bool>> kept = {
      {true, false}, {true, false},  {true, false}, {false, false},
      {false, true}, {false, true}, {false, false}};
  ASSERT_EQ(buffer.Point_Count(), 7);
  for (int p = 1; p <= 7; ++p) {
    EXPECT_EQ(!Is_Missing(buffer.Raw_Value(p, 1)), kept[p - 1].first) << p;
    EXPECT_EQ(!Is_Missing(buffer.Raw_Value(p, 2)), kept[p - 1].second) << p;
  }
}

}  // namespace
}  // namespace pw
