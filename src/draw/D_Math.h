// The missing-value convention, number splitting and the start-up precision check.
#pragma once

#include <cmath>
#include <cstdint>

namespace pw {

// The value of a point that has none: the extended quiet NaN with all 64 mantissa bits set
// (bytes FF FF FF FF FF FF FF FF FF 7F in memory order).
long double Make_Missing();
inline const long double Missing = Make_Missing();

// True when the 15 exponent bits are all ones: every NaN, Missing, and both infinities.
bool Is_Missing(long double x);

// x = mantissa * scale with 1 <= |mantissa| < 10 and scale a power of ten, found by repeated
// multiplication by 0.1 or 10 (so both carry that rounding). x = 0 gives (0, 1). x must be
// finite.
void Split_Decimal(long double x, long double& mantissa, long double& scale);

// int_part = floor(x), frac = x - int_part in [0, 1). A truncated x outside the 32-bit range
// raises "Range check error"; a floor below it "Integer overflow".
void Split_Int_Frac(long double x, std::int32_t& int_part, long double& frac);

// Compares 1/3 computed at run time with the stored extended third; sets Significant_Digits
// to 16 when they differ by more than 1e-18, else leaves it (18).
void Check_Precision();
// The test itself, for a quotient computed elsewhere: true when it is short of extended.
bool Precision_Is_Short(long double computed_third);

// The values that lie on `limit`: values keep 80 bits while the setup's numbers and a
// column's range have 64, so a value written with the same digits as a limit (0.3 in the
// data, "xhi=0.3" in the setup) is a hair off it as an 80-bit number; compared at the
// precision of the limit it is on it. So every
// value that rounds to the same 64-bit number as the limit lies on it: Lowest_On(limit) is
// the smallest such value and Highest_On(limit) the largest (the limit itself lies between
// them). A limit beyond the double range has only itself on it; a Missing limit gives
// Missing.
long double Lowest_On(long double limit);
long double Highest_On(long double limit);

// (to - from) / scale: how many pixels a value lies from an axis limit. Two finite values
// farther apart than the largest extended number (an axis from -1E4932 to 1E4932) give it
// from their halves, (to / 2 - from / 2) / (scale / 2): the same quotient without the
// overflow. Axis_Scale is the scale that goes with it.
inline long double Scaled_Offset(long double from, long double to, long double scale) {
  const long double d = to - from;
  if (!std::isinf(d) || !std::isfinite(from) || !std::isfinite(to)) return d / scale;
  return (to / 2 - from / 2) / (scale / 2);
}

// (hi - lo) / pixels; a range wider than the largest extended number between finite limits
// gives (hi / 2 - lo / 2) / (pixels / 2), which is finite.
inline long double Axis_Scale(long double lo, long double hi, int pixels) {
  const long double range = hi - lo;
  if (!std::isinf(range) || !std::isfinite(lo) || !std::isfinite(hi)) return range / pixels;
  return (hi / 2 - lo / 2) / (pixels / 2.0L);
}

// Round to nearest, halves to even: the rounding of every pixel mapping and bin count.
long double Round_Even(long double x);
// Round_Even as an integer, saturated to the 64-bit range (NaN gives 0).
std::int64_t Round_Even_Int(long double x);

}  // namespace pw
