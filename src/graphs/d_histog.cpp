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
#include "graphs/d_quickdiv.h"

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

// Counts one value by the extended division: the rule itself, for the values the quick
// quotient leaves (near a bin boundary, outside the bins, missing, zero).
class Extended_Bins {
 public:
  explicit Extended_Bins(const TC_Histog& h)
      : lo_(h.Lo()),
        width_(h.Bin_Width()),
        bins_(h.Bin_Count()),
        lowest_(Lowest_On(h.Lo())),
        highest_(Highest_On(h.Hi())),
        last_(h.Bin_Count() - 1),
        left_in_(h.LeftIn()) {}

  // A missing value (NaN) or an infinity is counted as missing. Outside the bins: below Lo
  // (t < 0) or from Hi on (t >= bins), unless on a limit.
  template <typename Flow>
  [[gnu::noinline]] void Count(long double v, std::int32_t* counts, Flow& flow) const {
    if (!std::isfinite(v)) {
      ++flow.missing;
      return;
    }
    long double t = (v - lo_) / width_;
    if (left_in_) t -= Left_Shift;
    if (t >= 0 && t < bins_) {
      ++counts[Floor_Index(t)];
    } else if (t < 0) {
      ++(v >= lowest_ ? counts[0] : flow.under);
    } else {
      ++(v <= highest_ ? counts[last_] : flow.over);
    }
  }

 private:
  long double lo_, width_, bins_, lowest_, highest_;
  int last_;
  bool left_in_;
};

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

// Values outside [Lo, Hi] are counted as under- or overflow, not in the bins. A value on Hi
// (LeftIn false) or on Lo (LeftIn true) would fall just outside the half-open bins and vanish
// from the bars while the statistics still count it; it goes to the last or the first bin
// instead. So does a value that lies on a limit at the limit's 64-bit precision (Lowest_On,
// Highest_On): written with the same digits as the limit, it is the limit.
void TC_Histog::Accumulate(const TC_Data_Buffer& buffer, int column) {
  // Each piece of Chunk_Points points counts into bins of its own; the counts are whole
  // numbers, so adding the pieces up gives the same bins on any number of threads.
  const auto n = static_cast<std::size_t>(buffer.Point_Count());
  std::vector<Piece_Counts> pieces(Chunk_Count(n));
  Parallel_Chunks(n, [&](std::size_t k, std::size_t begin, std::size_t end) {
    pieces[k].bins.fill(0);
    pieces[k].flow = {};
    Count_Piece(buffer, column, begin, end, pieces[k]);
  });
  counts_.fill(0);
  flow_ = {};
  for (const Piece_Counts& piece : pieces) {
    for (int i = 0; i < bin_count_; ++i) counts_[i] += piece.bins[i];
    flow_.under += piece.flow.under;
    flow_.over += piece.flow.over;
    flow_.missing += piece.flow.missing;
  }
}

void TC_Histog::Count_Piece(const TC_Data_Buffer& buffer, int column, std::size_t begin,
                            std::size_t end, Piece_Counts& piece) const {
  const Extended_Bins exact(*this);
  const Packed_Values values = buffer.Column_Data(column);
  const Quick_Quotient quick(lo_, bin_width_, bin_count_, left_in_ ? Left_Shift : 0);
  std::int32_t* counts = piece.bins.data();
  if (!quick.Usable()) {
    buffer.For_Each_Index_In(begin, end,
                             [&](std::size_t i) { exact.Count(values[i], counts, piece.flow); });
    return;
  }
  // A value far outside the bins lies a whole bin width or more beyond its limit: its side is
  // that of the lower limit, as a double.
  const auto lo = static_cast<double>(lo_);
  buffer.For_Each_Index_In(begin, end, [&](std::size_t i) {
    double x;
    int k;
    if (!values.Near_Double(i, x)) {
      exact.Count(values[i], counts, piece.flow);
    } else if (quick.Floor(x, k)) {
      ++counts[k];
    } else if (quick.Beyond(x)) {  // not in the bins: under- or overflow without dividing
      ++(x < lo ? piece.flow.under : piece.flow.over);
    } else {
      exact.Count(values[i], counts, piece.flow);
    }
  });
}

std::int32_t TC_Histog::Max_Count() const {
  std::int32_t best = 0;
  for (int i = 0; i < bin_count_; ++i) {
    if (counts_[i] > best) best = counts_[i];
  }
  return best;
}

}  // namespace pw
