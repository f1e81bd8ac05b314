// The histogram accumulator: limits, bins on either side of a boundary, the outer limits.
#include "graphs/d_histog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "base/D_Error.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "draw/D_Math.h"
#include "setup/d_inifile.h"

namespace pw {
namespace {

// A one-column buffer (column V, selector @S) loaded from temporary files.
class Histog_Data {
 public:
  explicit Histog_Data(const std::string& data_lines) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string stem =
        "pw_test_histog_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++);
    setup_ = dir / (stem + ".ini");
    data_ = dir / (stem + ".dat");
    std::ofstream(setup_) << "[DataFile]\nV=1 2.3 value\n@S=2\n";
    std::ofstream(data_) << data_lines;
    ini_ = std::make_unique<TC_Ini_File>(setup_.string());
    def_ = std::make_unique<TC_File_Def>(*ini_);
    buffer_.Load_File(data_.string(), *def_);
  }
  ~Histog_Data() {
    std::error_code ec;
    std::filesystem::remove(setup_, ec);
    std::filesystem::remove(data_, ec);
  }
  TC_Data_Buffer& Buffer() { return buffer_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path setup_, data_;
  std::unique_ptr<TC_Ini_File> ini_;
  std::unique_ptr<TC_File_Def> def_;
  TC_Data_Buffer buffer_;
};

std::vector<int> Counts(const TC_Histog& h) {
  std::vector<int> counts;
  for (int i = 1; i <= h.Bin_Count(); ++i) counts.push_back(h.Bin_Value(i));
  return counts;
}

void Expect_Wrong_Limits(int bins, long double lo, long double hi) {
  try {
    TC_Histog h(bins, lo, hi, false);
    FAIL() << "no error for " << bins << " bins " << static_cast<double>(lo) << ".."
           << static_cast<double>(hi);
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Wrong histogram limits");
    EXPECT_FALSE(e.Fatal());
  }
}

TEST(Histog, SetLimitsStoresTheBins) {
  TC_Histog h(5, 0, 10, true);
  EXPECT_EQ(h.Bin_Count(), 5);
  EXPECT_EQ(h.Lo(), 0);
  EXPECT_EQ(h.Hi(), 10);
  EXPECT_EQ(h.Bin_Width(), 2);
  EXPECT_TRUE(h.LeftIn());
  EXPECT_EQ(h.Max_Count(), 0);
}

TEST(Histog, WrongLimits) {
  Expect_Wrong_Limits(5, 3, 3);
  Expect_Wrong_Limits(5, 5, 1);
  Expect_Wrong_Limits(0, 0, 10);    // would divide by zero
  Expect_Wrong_Limits(257, 0, 10);  // more bins than the counts hold
  Expect_Wrong_Limits(-1, 0, 10);
  TC_Histog h(256, 0, 1, false);
  EXPECT_EQ(h.Bin_Count(), 256);
  TC_Histog one(1, 0, 1, false);
  EXPECT_EQ(one.Bin_Count(), 1);
}

TEST(Histog, FailedSetLimitsKeepsThePreviousLimits) {
  TC_Histog h(4, 0, 8, false);
  EXPECT_THROW(h.Set_Limits(4, false, 8, 0), Error);
  EXPECT_EQ(h.Lo(), 0);
  EXPECT_EQ(h.Hi(), 8);
  EXPECT_EQ(h.Bin_Width(), 2);
}

struct Bin_Case {
  const char* name;
  bool left_in;
  std::vector<int> expected;
};

// Lo 0, Hi 10, 5 bins of width 2; values 0, 2, 9.999, 10, -0.5, 10.5, missing.
TEST(Histog, BoundariesAndOuterLimits) {
  Histog_Data data("0 A\n2 A\n9.999 A\n10 A\n-0.5 A\n10.5 A\n? A\n");
  const Bin_Case cases[] = {
      // 2 opens bin 2; 10 is the upper limit itself and counts in the last bin.
      {"right-closed", false, {1, 1, 0, 0, 2}},
      // 2 closes bin 1; 0 is the lower limit itself and counts in the first bin.
      {"left-closed", true, {2, 0, 0, 0, 2}},
  };
  for (const Bin_Case& c : cases) {
    SCOPED_TRACE(c.name);
    TC_Histog h(5, 0, 10, c.left_in);
    h.Accumulate(data.Buffer(), 1);
    EXPECT_EQ(Counts(h), c.expected);
    EXPECT_EQ(h.Max_Count(), 2);
  }
}

TEST(Histog, InnerBoundaryWithinTheShift) {
  // 2 + 1e-12 lies above the boundary by far less than 1e-9 bin widths: LeftIn keeps it in
  // bin 1; without LeftIn it is in bin 2.
  Histog_Data data("2.000000000001 A\n");
  TC_Histog left(5, 0, 10, true);
  left.Accumulate(data.Buffer(), 1);
  EXPECT_EQ(Counts(left), (std::vector<int>{1, 0, 0, 0, 0}));
  TC_Histog right(5, 0, 10, false);
  right.Accumulate(data.Buffer(), 1);
  EXPECT_EQ(Counts(right), (std::vector<int>{0, 1, 0, 0, 0}));
}

TEST(Histog, EveryValueOfAColumnEndingOnHiIsCounted) {
  // Percentages up to 100 with limits 0..100: the bars add up to the number of values.
  Histog_Data data("0 A\n25 A\n50 A\n100 A\n100 A\n");
  for (bool left_in : {false, true}) {
    TC_Histog h(4, 0, 100, left_in);
    h.Accumulate(data.Buffer(), 1);
    int total = 0;
    for (int i = 1; i <= 4; ++i) total += h.Bin_Value(i);
    EXPECT_EQ(total, 5) << "LeftIn " << left_in;
  }
}

TEST(Histog, OnlySelectedPointsCount) {
  Histog_Data data("1 A\n3 B\n5 A\n7 B\n");
  T_Selection sel;
  sel.Key_Sel[0] = 1;
  sel.Key_Text[0] = "B";
  data.Buffer().Set_Selection(sel);
  TC_Histog h(4, 0, 8, false);
  h.Accumulate(data.Buffer(), 1);
  EXPECT_EQ(Counts(h), (std::vector<int>{0, 1, 0, 1}));
}

TEST(Histog, SecondAccumulateStartsFromEmptyBins) {
  Histog_Data data("1 A\n1 A\n5 B\n");
  TC_Histog h(2, 0, 8, false);
  h.Accumulate(data.Buffer(), 1);
  EXPECT_EQ(h.Max_Count(), 2);
  T_Selection sel;
  sel.Key_Sel[0] = 1;
  sel.Key_Text[0] = "B";
  data.Buffer().Set_Selection(sel);
  h.Accumulate(data.Buffer(), 1);
  EXPECT_EQ(Counts(h), (std::vector<int>{0, 1}));
  EXPECT_EQ(h.Max_Count(), 1);
}

TEST(Histog, NoCountedValueGivesMaxCountZero) {
  Histog_Data data("? A\n-3 A\n");
  TC_Histog h(3, 0, 3, false);
  h.Accumulate(data.Buffer(), 1);
  EXPECT_EQ(Counts(h), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(h.Max_Count(), 0);
}

// Counted value by value as the bins are defined (the counting itself goes by blocks):
// many blocks and a part block, values below, on and above both limits, missing values, with a
// key condition that leaves gaps, on either side of a bin boundary.
TEST(Histog, ManyValuesCountAsOneByOne) {
  std::string lines;
  std::vector<bool> selected;
  for (int i = 0; i < 1000; ++i) {
    char text[40];
    // -1 .. 11 in hundredths (0 and 10 among them), some missing, every fifth left out.
    if (i % 97 == 13) {
      std::snprintf(text, sizeof text, "? A\n");
    } else {
      std::snprintf(text, sizeof text, "%.2f %s\n", (i * 37 % 1201) / 100.0 - 1, i % 5 ? "A" : "B");
    }
    lines += text;
    selected.push_back(i % 5 != 0);
  }
  Histog_Data data(lines);
  T_Selection sel;
  sel.Key_Sel[0] = 1;
  sel.Key_Text[0] = "A";
  data.Buffer().Set_Selection(sel);
  for (const bool left_in : {false, true}) {
    for (const int bins : {1, 7, 256}) {
      TC_Histog h(bins, 0, 10, left_in);
      h.Accumulate(data.Buffer(), 1);
      std::vector<int> want(bins, 0);
      const long double width = 10.0L / bins;
      for (std::size_t i = 0; i < selected.size(); ++i) {
        const long double v = data.Buffer().Raw_Value(static_cast<std::int32_t>(i + 1), 1);
        if (!selected[i] || Is_Missing(v)) continue;
        const long double t = (v - 0) / width - (left_in ? 0.000000001L : 0);
        if (t >= 0 && t < bins) {
          ++want[static_cast<int>(std::floor(t))];
        } else if (v == 0) {
          ++want[0];
        } else if (v == 10) {
          ++want[bins - 1];
        }
      }
      EXPECT_EQ(Counts(h), want) << bins << " bins, LeftIn " << left_in;
    }
  }
}

}  // namespace
}  // namespace pw
