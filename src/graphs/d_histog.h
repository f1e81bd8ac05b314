// The histogram accumulator: counts one column's selected values into equal-width bins.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pw {

class TC_Data_Buffer;

inline constexpr int Max_Bins = 256;

class TC_Histog {
 public:
  // Raises "Wrong histogram limits" unless lo < hi; bin_count must be 1..256.
  TC_Histog(int bin_count, long double lo, long double hi, bool left_in);

  // "Wrong histogram limits" (not fatal) unless lo < hi with a finite span and bin_count is
  // 1..256; the accumulator keeps its previous limits then.
  void Set_Limits(int bin_count, bool left_in, long double lo, long double hi);
  // Clears the bins and counts every selected, non-missing value of the column. Values outside
  // [Lo, Hi] are not counted in the bins (but in Underflow and Overflow); Hi itself (LeftIn
  // false) goes to the last bin and Lo itself (LeftIn true) to the first. An empty buffer
  // leaves every bin at 0. Above Parallel_Threshold points the counting is split over
  // threads, with the same bins and counts.
  void Accumulate(const TC_Data_Buffer& buffer, int column);
  std::int32_t Bin_Value(int i) const { return counts_[i - 1]; }  // 1-based
  // The largest bin count; 0 when every bin is empty.
  std::int32_t Max_Count() const;
  // Of the latest Accumulate, the selected points left out of the bins: with a value below
  // them (underflow) or above them (overflow), and without a value (missing: Missing, or an
  // infinity). So the bins, Underflow and Overflow together hold every selected value, and
  // with Missing every selected point. Values are taken as they are (as the bins take them).
  std::int32_t Underflow() const { return flow_.under; }
  std::int32_t Overflow() const { return flow_.over; }
  std::int32_t Missing_Values() const { return flow_.missing; }

  long double Lo() const { return lo_; }
  long double Hi() const { return hi_; }
  int Bin_Count() const { return bin_count_; }
  long double Bin_Width() const { return bin_width_; }
  bool LeftIn() const { return left_in_; }

 private:
  using Bin_Counts = std::array<std::int32_t, Max_Bins>;
  struct Flow_Counts {
    std::int32_t under = 0, over = 0, missing = 0;
  };
  struct Piece_Counts {
    Bin_Counts bins;
    Flow_Counts flow;
  };
  // Adds the selected values of points [begin, end) (0-based) to `counts`.
  void Count_Piece(const TC_Data_Buffer& buffer, int column, std::size_t begin, std::size_t end,
                   Piece_Counts& counts) const;

  long double lo_ = 0, hi_ = 1;
  int bin_count_ = 1;
  long double bin_width_ = 1;
  bool left_in_ = false;
  std::array<std::int32_t, Max_Bins> counts_{};
  Flow_Counts flow_;
};

}  // namespace pw
