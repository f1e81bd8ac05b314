// The buffer's fast walks: the one-pass summary, selected-point walks through the cached
// selection masks, and the packed value storage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "base/settings.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "data_test_util.h"
#include "draw/D_Math.h"

namespace pw {
namespace {

using pw_test::Make_Def;
using pw_test::Temp_File;

class BufferWalks : public ::testing::Test {
 protected:
  void SetUp() override {
    NPts = 4;  // small steps: the loads below grow the storage several times
    Base_Date = 0;
    Date_Offset = 0;
  }
  void TearDown() override { NPts = 1024; }

  void Load(const std::string& data) {
    def_ = Make_Def("[DataFile]\nA=1 1.2\nB=2 1.2\n@G=3\n");
    Temp_File file(data);
    buffer_.Load_File(file.Path(), *def_);
  }
  T_Selection Key(const std::string& text) {
    T_Selection sel;
    sel.Key_Sel[0] = 1;
    sel.Key_Text[0] = text;
    return sel;
  }
  std::vector<long double> Walk(int column) {
    std::vector<long double> seen;
    buffer_.For_Each_Selected(column, [&seen](long double v) { seen.push_back(v); });
    return seen;
  }

  std::unique_ptr<TC_File_Def> def_;
  TC_Data_Buffer buffer_;
};

constexpr const char* Data =
    "1 10 a\n2 ? b\n3 30 a\n? 40 a\n5 50 b\n6 60 a\n7 ? a\n8 80 b\n9 90 a\n10 100 a\n";

TEST_F(BufferWalks, SummaryEqualsStatsAndRange) {
  Load(Data);
  const std::vector<T_Selection> selections = {T_Selection{}, Key("a"), Key("b"), Key("zz")};
  for (std::size_t k = 0; k < selections.size(); ++k) {
    buffer_.Set_Selection(selections[k]);
    for (int c = 1; c <= 2; ++c) {
      const auto stats = buffer_.Column_Stats(c);
      const auto range = buffer_.Column_Range(c);
      const auto summary = buffer_.Column_Summary(c);
      ASSERT_EQ(summary.stats.n, stats.n) << k << " " << c;
      ASSERT_EQ(summary.range.n, range.n) << k << " " << c;
      if (stats.n == 0) {
        EXPECT_TRUE(Is_Missing(summary.stats.mean));
        EXPECT_TRUE(Is_Missing(summary.range.minimum));
        continue;
      }
      EXPECT_EQ(summary.stats.mean, stats.mean) << k << " " << c;
      EXPECT_EQ(summary.stats.deviation, stats.deviation) << k << " " << c;
      EXPECT_EQ(summary.range.minimum, range.minimum) << k << " " << c;
      EXPECT_EQ(summary.range.maximum, range.maximum) << k << " " << c;
    }
  }
}

TEST_F(BufferWalks, WalkVisitsSelectedPointsInOrder) {
  Load(Data);
  buffer_.Set_Selection(Key("b"));
  const std::vector<long double> b = Walk(1);
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[0], 2.0L);
  EXPECT_EQ(b[1], 5.0L);
  EXPECT_EQ(b[2], 8.0L);
  T_Selection required;
  required.Required.set(2);
  buffer_.Set_Selection(required);
  EXPECT_EQ(Walk(1).size(), 8u);
  buffer_.Set_Selection(T_Selection{});
  const std::vector<long double> all = Walk(2);
  ASSERT_EQ(all.size(), 10u);
  EXPECT_TRUE(Is_Missing(all[1]));  // missing values are passed as stored
  EXPECT_EQ(all[9], 100.0L);
}

TEST_F(BufferWalks, WalkMatchesIsSelectedPastOneMaskWord) {
  std::string data;
  for (int i = 1; i <= 200; ++i) {
    data += std::to_string(i) + " " + (i % 7 == 0 ? "?" : std::to_string(i * 2)) + " " +
            (i % 3 == 0 ? "x" : "y") + "\n";
  }
  Load(data);
  T_Selection sel = Key("x");
  sel.Required.set(2);
  buffer_.Set_Selection(sel);
  std::vector<long double> expected;
  for (int p = 1; p <= buffer_.Point_Count(); ++p) {
    if (buffer_.Is_Selected(p)) expected.push_back(buffer_.Raw_Value(p, 1));
  }
  EXPECT_EQ(Walk(1), expected);
  EXPECT_EQ(expected.size(), 66u - 9u);  // multiples of 3, less those of 21
}

// Masks belong to the points loaded: the same selection after a reload tests the new texts.
TEST_F(BufferWalks, ReloadForgetsSelectionMasks) {
  Load(Data);
  buffer_.Set_Selection(Key("b"));
  EXPECT_EQ(buffer_.Column_Range(1).n, 3);
  Load("1 1 b\n2 2 a\n");
  EXPECT_EQ(buffer_.Column_Range(1).n, 1);
  EXPECT_TRUE(buffer_.Is_Selected(1));
  EXPECT_FALSE(buffer_.Is_Selected(2));
  buffer_.Set_Selection(Key("b"));
  EXPECT_EQ(buffer_.Column_Range(1).n, 1);
}

// More selections than the mask cache holds, visited again in turn.
TEST_F(BufferWalks, ManySelectionsStayRight) {
  Load(Data);
  const char* texts[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "a", "b"};
  for (const char* text : texts) {
    buffer_.Set_Selection(Key(text));
    const int expected = std::string(text) == "a" ? 7 : std::string(text) == "b" ? 3 : 0;
    EXPECT_EQ(buffer_.Column_Range(1).n + (std::string(text) == "a" ? 1 : 0), expected)
        << text;  // point 4 of "a" has no value in column 1
  }
}

TEST_F(BufferWalks, PackedValuesKeepEveryBit) {
  const long double values[] = {0.1L,
                                -1.0e-4950L,
                                std::numeric_limits<long double>::max(),
                                std::numeric_limits<long double>::denorm_min(),
                                -0.0L,
                                123456789012345678.0L};
  std::vector<char> block(Packed_Values::Array_Bytes(6), '\xA5');
  const Packed_Values packed(block.data());
  for (std::size_t i = 0; i < 6; ++i) packed.Set(i, values[i]);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(packed[i], values[i]) << i;
    EXPECT_EQ(std::signbit(packed[i]), std::signbit(values[i])) << i;
    // The 10 bytes of the number as it lies in memory, nothing more.
    EXPECT_EQ(std::memcmp(block.data() + i * Packed_Values::Bytes, &values[i], 10), 0) << i;
  }
  for (std::size_t b = 6 * Packed_Values::Bytes; b < block.size(); ++b) {
    EXPECT_EQ(block[b], '\xA5') << b;  // the slack behind the last value untouched
  }
  packed.Set(2, Missing);
  EXPECT_TRUE(Is_Missing(packed[2]));
  EXPECT_EQ(packed[1], values[1]);  // neighbours untouched
  EXPECT_EQ(packed[3], values[3]);
}

// The quick doubles of packed values: Nearest_Double is static_cast<double> in the default
// rounding mode, halves to even; Near_Double the value cut short. Both refuse what is not a
// normal double.
TEST_F(BufferWalks, QuickDoublesOfPackedValues) {
  struct Case {
    long double value;
    bool ok;
    double nearest, near;
  };
  const double after_one = std::nextafter(1.0, 2.0);
  const Case cases[] = {
      {-3.5L, true, -3.5, -3.5},
      {1.0L + 0x1p-53L, true, 1.0, 1.0},                             // a half, even below: down
      {after_one + 0x1p-53L, true, after_one + 0x1p-52, after_one},  // a half, odd below: up
      {1.0L + 0x1p-53L + 0x1p-63L, true, after_one, 1.0},            // above a half: up
      {-(1.0L + 0x1p-53L + 0x1p-63L), true, -after_one, -1.0},
      {2.0L - 0x1p-63L, true, 2.0, std::nextafter(2.0, 1.0)},  // up to the next power of two
      {0x1p-1022L, true, 0x1p-1022, 0x1p-1022},
      {0x1p-1023L, false, 0, 0},                                         // a subnormal double
      {0x1.fffffffffffffffep+1023L, false, 0, 0x1.fffffffffffffp+1023},  // rounds beyond the range
      {0x1p+1024L, false, 0, 0},                                         // beyond the double range
      {0.0L, false, 0, 0},
      {Missing, false, 0, 0},
      {HUGE_VALL, false, 0, 0},
  };
  std::vector<char> block(Packed_Values::Array_Bytes(1));
  const Packed_Values packed(block.data());
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<double>(c.value));
    packed.Set(0, c.value);
    double nearest = 7, near = 7;
    EXPECT_EQ(packed.Nearest_Double(0, nearest), c.ok);
    if (c.ok) {
      EXPECT_EQ(nearest, c.nearest);
      EXPECT_EQ(nearest, static_cast<double>(c.value));
    }
    EXPECT_EQ(packed.Near_Double(0, near), c.near != 0);
    if (c.near != 0) {
      EXPECT_EQ(near, c.near);
    }
  }
  // Random bit patterns of normal values, the cut-off bits near a half among them.
  std::uint64_t state = 3;
  for (int i = 0; i < 100000; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    std::uint64_t mantissa = state | std::uint64_t{1} << 63;
    if (i % 4 == 0) mantissa = (mantissa & ~std::uint64_t{0x7FF}) | 0x400;  // just a half
    const auto exponent = static_cast<std::uint16_t>(16383 - 900 + (state >> 40) % 1800);
    long double v = 0;
    std::memcpy(&v, &mantissa, 8);
    std::memcpy(reinterpret_cast<char*>(&v) + 8, &exponent, 2);
    packed.Set(0, (state >> 20) & 1 ? -v : v);
    double d;
    ASSERT_TRUE(packed.Nearest_Double(0, d));
    ASSERT_EQ(d, static_cast<double>(packed[0])) << i;
  }
}

}  // namespace
}  // namespace pw
