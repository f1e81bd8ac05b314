#include "draw/d_range.h"

#include <cmath>
#include <limits>

#include "draw/D_Math.h"

namespace pw {

namespace {

// Nice mantissas, largest first. 12 and 0.8 only bound the search.
constexpr long double Nice_Mantissas[13] = {12, 10, 8, 6, 5, 4, 3, 2.5L, 2, 1.5L, 1.2L, 1, 0.8L};

// Restricted mode keeps 10, 5, 2, 1 and 0.8 (zero-based indexes).
bool In_Nice_Subset(int i) {
  return i == 1 || i == 4 || i == 8 || i == 11 || i == 12;
}

bool Finite(long double x) {
  return !Is_Missing(x);
}

}  // namespace

long double Nice_Number(bool up, bool restricted, long double x) {
  if (x == 0) return 0;
  if (!Finite(x)) return x;  // nothing nicer than infinity or Missing
  const bool negative = x < 0;
  long double m = 0;
  long double s = 0;
  Split_Decimal(std::fabs(x), m, s);
  const long double tolerance = up ? 1.000001L : 0.999999L;
  for (int i = 0; i < 13; ++i) {
    if (restricted && !In_Nice_Subset(i)) continue;
    if (Nice_Mantissas[i] * tolerance >= m) continue;
    // Entry i is the first one below m; rounding up takes the next larger allowed entry.
    int j = i;
    if (up) {
      do {
        --j;
      } while (restricted && !In_Nice_Subset(j) && j != 0);
    }
    const long double r = Nice_Mantissas[j] * s;
    return negative ? -r : r;
  }
  return 0;
}

void Swap_Negate(long double& lo, long double& hi) {
  const long double old_lo = lo;
  lo = -hi;
  hi = -old_lo;
}

void Spread_Limits(long double& lo, long double& hi) {
  if (lo != hi || !Finite(lo)) return;
  const long double v = lo;
  const long double whole = std::floor(v);
  if ((whole + 1) - whole == 1) {
    lo = whole;
    hi = whole + 1;
    return;
  }
  // One unit would add nothing (or an uneven step): a relative spread, with v in the middle.
  constexpr long double Largest = std::numeric_limits<long double>::max();
  const long double half = std::fabs(v) / 100;
  lo = v - half;
  hi = v + half;
  if (!Finite(lo)) lo = -Largest;
  if (!Finite(hi)) hi = Largest;
}

namespace {

// Two nice numbers closer than this (relatively) are one nice number: neighbouring ones differ
// by a fifth or more, the rounding of their powers of ten by far less than this.
constexpr long double Same_Nice = 1e-12L;

// Round_Limits for lo < hi, both finite; false when the arithmetic left the finite range.
bool Round_Finite_Limits(long double& lo, long double& hi) {
  if (lo < 0 && hi > 0) {  // spans zero (signs, not the product, which may underflow)
    if (std::fabs(hi) > std::fabs(lo)) {
      hi = Nice_Number(true, false, hi);
      lo = hi - Nice_Number(true, false, hi - lo);
    } else {
      lo = Nice_Number(true, false, lo);
      hi = lo + Nice_Number(true, false, hi - lo);
    }
  } else if (lo > hi * 0.5L) {  // narrow range far from zero: multiples of a 1-2-5 step
    const long double d = Nice_Number(true, true, hi - lo);
    if (!(d > 0) || !Finite(d)) return false;
    const long double old_lo = lo;
    const long double old_hi = hi;
    // Whole multiples taken in extended arithmetic, so huge limits cannot overflow an integer.
    lo = d * std::floor(lo / d);
    hi = d * std::ceil(hi / d);
    // Far from zero the products may round inwards by an ulp; the result must contain the range.
    if (lo > old_lo) lo -= d;
    if (hi < old_hi) hi += d;
  } else if (lo < 0) {  // both at or below zero: round the mirror image
    Swap_Negate(lo, hi);
    if (!Round_Finite_Limits(lo, hi)) return false;
    Swap_Negate(lo, hi);
  } else {  // 0 <= lo <= hi / 2
    const long double old_lo = lo;
    hi = Nice_Number(true, false, hi);
    lo = hi - Nice_Number(true, false, hi - lo);
    // When the span rounds to the same nice number as hi, the two reach it through powers of
    // ten rounded apart, and lo is a few units of the last place off 0 instead of 0. Above a
    // lower limit of 0 that would put the values 0 outside the axis.
    if (lo > old_lo && lo < hi * Same_Nice) lo = 0;
  }
  return Finite(lo) && Finite(hi);
}

}  // namespace

void Round_Limits(long double& lo, long double& hi) {
  // Degenerate or non-finite limits are left untouched rather than looping or dividing by zero.
  if (!Finite(lo) || !Finite(hi) || !(lo < hi) || !Finite(hi - lo)) return;
  long double new_lo = lo;
  long double new_hi = hi;
  if (!Round_Finite_Limits(new_lo, new_hi)) return;
  lo = new_lo;
  hi = new_hi;
}

}  // namespace pw
