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
  // [Lo, Hi] are not counted; Hi itself (LeftIn false) goes to the last bin and Lo itself
  // (LeftIn true) to the first. An empty buffer leaves every bin at 0. Above
  // Parallel_Threshold points the counting is split over threads, with the same bins.
  void Accumulate(const TC_Data_Buffer& buffer, int column);
  std::int32_t Bin_Value(int i) const { return counts_[i - 1]; }  // 1-based
  // The largest bin count; 0 when every bin is empty.
  std::int32_t Max_Count() const;

  long double Lo() const { return lo_; }
  long double Hi() const { return hi_; }
  int Bin_Count() const { return bin_count_; }
  long double Bin_Width() const { return bin_width_; }
  bool LeftIn() const { return left_in_; }

 private:
  using Bin_Counts = std::array<std::int32_t, Max_Bins>;
  // Adds the selected values of points [begin, end) (0-based) to `counts`.
  void Count_Piece(const TC_Data_Buffer& buffer, int column, std::size_t begin, std::size_t end,
                   std::int32_t* counts) const;

  long double lo_ = 0, hi_ = 1;
  int bin_count_ = 1;
  long double bin_width_ = 1;
  bool left_in_ = false;
  std::array<std::int32_t, Max_Bins> counts_{};
};

}  // namespace pw
