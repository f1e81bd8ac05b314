// The range of a column: every value that is not missing, its extremes rounded to doubles
// where they fit; the statistics keep to the double range.
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

TEST(BufferRange, ExtremesAtDoublePrecisionAndBeyond) {
  const std::vector<Range_Case> cases = {
      {"0.3\n0.2\n0.1\n", 0.1, 0.3, 3, 3},  // double literals: the doubles nearest
      {"2.675\n2.5\n", 2.5, 2.675, 2, 2},
      {"-0.1\n?\n-0.3\n", -0.3, -0.1, 2, 2},
      // Beyond the double range: in the range, not in the statistics.
      {"1e4000\n5\n", 5, 1e4000L, 2, 1},
      {"-7e4000\n", -7e4000L, -7e4000L, 1, 0},
      {"-1e-4940\n", 0, 0, 1, 1},  // a denormal: zero as a double
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
  // 0.30000000000000001 is the double 0.3 too; 0.30000000000000005 and 0.33333333333333326
  // are other doubles.
  const pw_test::Temp_File file(
      "0.1\n0.3\n0.30000000000000001\n0.30000000000000005\n2.675\n"
      "0.333333333333333333333\n0.33333333333333326\n");
  TC_Data_Buffer buffer;
  buffer.Load_File(file.Path(), *def);
  const std::vector<std::pair<bool, bool>> kept = {{true, false},  {true, false}, {true, false},
                                                   {false, false}, {false, true}, {false, true},
                                                   {false, false}};
  ASSERT_EQ(buffer.Point_Count(), 7);
  for (int p = 1; p <= 7; ++p) {
    EXPECT_EQ(!Is_Missing(buffer.Raw_Value(p, 1)), kept[p - 1].first) << p;
    EXPECT_EQ(!Is_Missing(buffer.Raw_Value(p, 2)), kept[p - 1].second) << p;
  }
}

}  // namespace
}  // namespace pw
