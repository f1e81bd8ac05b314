// Rounding of values and axis limits to nice numbers (1, 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10
// times a power of ten; restricted mode: 1, 2, 5, 10).
#pragma once

namespace pw {

// Up: smallest table value t with t * 1.000001 >= |x|; down: largest t with t * 0.999999 < |x|.
// The sign of x stays; 0 gives 0.
long double Nice_Number(bool up, bool restricted, long double x);

// Widens lo < hi outwards to nice limits; the result contains the range passed in.
// Does nothing when lo >= hi, when either is not finite (Missing, infinity), or when the
// rounded limits would leave the finite range.
void Round_Limits(long double& lo, long double& hi);

// (lo, hi) := (-hi, -lo).
void Swap_Negate(long double& lo, long double& hi);

// Spreads equal limits lo = hi = v (a column of one distinct value) to a range that holds v:
// the unit from v's whole part down (floor(v), floor(v) + 1), so 7.6 gives 7..8, 3 gives 3..4
// and -2.5 gives -3..-2. Where a unit is below the precision of numbers as large as v (from
// about 1.8E19 on) it spreads to 1 % of |v| on either side instead, ending at the largest
// finite number where that would pass it. Does nothing when lo differs from hi or is not
// finite.
void Spread_Limits(long double& lo, long double& hi);

}  // namespace pw
