// The histogram accumulator.
//
// Bins are half-open; which end is closed follows LeftIn, shifted by a billionth of a bin
// width so that a value computed a hair above a boundary still counts on the chosen side.
// The two outer limits themselves are always counted (see Accumulate).
#include "graphs/d_histog.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/D_Error.h"
#include "data/d_databuffer.h"

namespace pw {

namespace {

// Shift of LeftIn, in bin widths.
constexpr long double Left_Shift = 0.000000001L;

// trunc(t) for 0 <= t < 256, without the two x87 rounding-mode switches a direct truncation of
// an extended number costs: the double conversion rounds to nearest and can only land on the
// next whole number above t, which the comparison undoes.
inline int Floor_Index(long double t) {
  int i = static_cast<int>(static_cast<double>(t));
  if (i > t) --i;
  return i;
}

}  // namespace

TC_Histog::TC_Histog(int bin_count, long double lo, long double hi, bool left_in) {
  Set_Limits(bin_count, left_in, lo, hi);
}

// Raises "Wrong histogram limits" (not fatal) unless lo < hi with a finite span, and also for
// a bin count outside 1..256: zero bins would divide by zero and more would not fit the counts.
void TC_Histog::Set_Limits(int bin_count, bool left_in, long double lo, long double hi) {
  if (!(lo < hi) || !std::isfinite(hi - lo) || bin_count < 1 || bin_count > Max_Bins) {
    throw Error("Wrong histogram limits");
  }
  lo_ = lo;
  hi_ = hi;
  bin_count_ = bin_count;
  bin_width_ = (hi - lo) / bin_count;
  left_in_ = left_in;
}

// Values outside [Lo, Hi] are not counted. A value on Hi (LeftIn false) or on Lo (LeftIn
// true) would fall just outside the half-open bins and vanish from the bars while the
// statistics still count it; it goes to the last or the first bin instead. So does a value
// that lies on a limit at the limit's 64-bit precision (Lowest_On, Highest_On): written with
// the same digits as the limit, it is the limit.
//
// The values are counted in blocks: first the bin of every value of a block, then the block's
// counts. A count stored at an address known only after its division would hold up the loads
// of the values behind it; so the first loop stores at places known beforehand, and the
// divisions of a whole block overlap (several times faster, the same counts).
void TC_Histog::Accumulate(const TC_Data_Buffer& buffer, int column) {
  // Everything the loop needs lives in locals, so the x87 registers keep the limits for the
  // whole walk. A missing value (NaN) or an infinity fails every test below and is not counted.
  const long double lo = lo_, width = bin_width_;
  // Subtracting 0 leaves every quotient as it is (signed zeros, infinities and NaN included).
  const long double shift = left_in_ ? Left_Shift : 0.0L;
  const long double lowest = Lowest_On(lo_), highest = Highest_On(hi_);
  const long double bins = bin_count_;
  const int last = bin_count_ - 1;
  constexpr int Uncounted = Max_Bins;  // the spare count after the bins
  constexpr int Block = 256;
  std::array<std::int32_t, Max_Bins + 1> counts{};
  std::array<int, Block> block;
  int filled = 0;
  auto add_block = [&] {
    for (int k = 0; k < filled; ++k) ++counts[block[k]];
    filled = 0;
  };
  buffer.For_Each_Selected(column, [&](long double v) {
    const long double t = (v - lo) / width - shift;
    int bin;
    if (t >= 0 && t < bins) {
      bin = Floor_Index(t);
    } else if (t < 0) {  // below Lo, unless on it
      bin = v >= lowest ? 0 : Uncounted;
    } else {  // from Hi on, unless on it
      bin = v <= highest ? last : Uncounted;
    }
    block[filled++] = bin;
    if (filled == Block) add_block();
  });
  add_block();
  std::copy_n(counts.begin(), Max_Bins, counts_.begin());
}

std::int32_t TC_Histog::Max_Count() const {
  std::int32_t best = 0;
  for (int i = 0; i < bin_count_; ++i) {
    if (counts_[i] > best) best = counts_[i];
  }
  return best;
}

}  // namespace pw
