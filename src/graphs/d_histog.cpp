// The histogram accumulator.
//
// Bins are half-open; which end is closed follows LeftIn, shifted by a billionth of a bin
// width so that a value computed a hair above a boundary still counts on the chosen side.
// The two outer limits themselves are always counted (see Accumulate).
#include "graphs/d_histog.h"

#include <cmath>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
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
void TC_Histog::Accumulate(const TC_Data_Buffer& buffer, int column) {
  // Each piece of Chunk_Points points counts into bins of its own; the counts are whole
  // numbers, so adding the pieces up gives the same bins on any number of threads.
  const auto n = static_cast<std::size_t>(buffer.Point_Count());
  std::vector<Bin_Counts> pieces(Chunk_Count(n));
  Parallel_Chunks(n, [&](std::size_t k, std::size_t begin, std::size_t end) {
    pieces[k].fill(0);
    Count_Piece(buffer, column, begin, end, pieces[k].data());
  });
  counts_.fill(0);
  for (const Bin_Counts& piece : pieces) {
    for (int i = 0; i < bin_count_; ++i) counts_[i] += piece[i];
  }
}

void TC_Histog::Count_Piece(const TC_Data_Buffer& buffer, int column, std::size_t begin,
                            std::size_t end, std::int32_t* counts) const {
  // Everything the loop needs lives in locals, so the x87 registers keep the limits for the
  // whole walk. A missing value (NaN) or an infinity fails every test below and is not counted.
  const long double lo = lo_, width = bin_width_;
  const long double lowest = Lowest_On(lo_), highest = Highest_On(hi_);
  const long double bins = bin_count_;
  const int last = bin_count_ - 1;
  const Packed_Values values = buffer.Column_Data(column);
  // Outside the bins: below Lo (t < 0) or from Hi on (t >= bins), unless on a limit.
  auto edge = [=](long double v, long double t) {
    if (t < 0) {
      if (v >= lowest) ++counts[0];
    } else if (v <= highest) {
      ++counts[last];
    }
  };
  if (left_in_) {
    buffer.For_Each_Index_In(begin, end, [=](std::size_t i) {
      const long double v = values[i];
      const long double t = (v - lo) / width - Left_Shift;
      if (t >= 0 && t < bins) {
        ++counts[Floor_Index(t)];
      } else {
        edge(v, t);
      }
    });
  } else {
    buffer.For_Each_Index_In(begin, end, [=](std::size_t i) {
      const long double v = values[i];
      const long double t = (v - lo) / width;
      if (t >= 0 && t < bins) {
        ++counts[Floor_Index(t)];
      } else {
        edge(v, t);
      }
    });
  }
}

std::int32_t TC_Histog::Max_Count() const {
  std::int32_t best = 0;
  for (int i = 0; i < bin_count_; ++i) {
    if (counts_[i] > best) best = counts_[i];
  }
  return best;
}

}  // namespace pw
