// Whole-number quotients of the passes over the points, found quickly in doubles where that
// is certain to give the extended division's result.
//
// A histogram bin is the floor of (v - Lo) / width and a pixel the rounding (halves to even)
// of (v - lo) / scale, both divided in extended precision. Worked out in doubles with a
// reciprocal, the quotient is off from the extended one by less than a bound found from the
// limits (Guard). Wherever the double quotient lies farther than that from every point where
// the floor or the rounding changes, its whole number is the extended quotient's: about ten
// times faster, with exactly the same result. The few values near a change, and values that are
// not normal doubles (zero, missing, beyond the double range), are divided in extended
// precision by the caller, as are all values when the limits leave no room for a bound
// (Usable false).
#pragma once

#include <cmath>

namespace pw {

class Quick_Quotient {
 public:
  // Quotients q = (v - lo) / step - shift, taken quickly only within [Guard, span - Guard]
  // (span >= 1: the number of bins, or (hi - lo) / step worked out in extended precision for
  // the pixels of a plot area; shift: 0 or a sliver of a step below 1e-6).
  Quick_Quotient(long double lo, long double step, long double span, long double shift = 0) {
    const auto lo_d = static_cast<double>(lo), step_d = static_cast<double>(step);
    const auto span_d = static_cast<double>(span);
    lo_ = lo_d;
    inv_ = 1.0 / step_d;
    shift_ = static_cast<double>(shift);
    // The double quotient of a value within 2^-52 of v (relatively) is within
    // 2^-51 |lo| / step + 2^-50 |q| (plus terms far smaller) of the extended one; |q| <= span + 1
    // wherever it is taken. The guard is several times that.
    guard_ = std::ldexp(1.0, -50) * (4 * std::fabs(lo_d) / step_d + 8 * (span_d + 2));
    top_ = span_d - guard_;
    span_ = span_d;
    usable_ = std::isfinite(lo_d) && std::isfinite(inv_) && step_d > 0x1p-1000 &&
              std::isfinite(guard_) && guard_ < 0x1p-12 && span_d >= 1 && span_d < 0x1p30;
  }

  bool Usable() const { return usable_; }
  // floor(q) of x (a double within 2^-52 of the value, relatively): true, with `k` set, when
  // q is certainly inside [0, span) and away from every whole number.
  bool Floor(double x, int& k) const {
    const double q = (x - lo_) * inv_ - shift_;
    if (!(q >= guard_ && q < top_)) return false;
    k = static_cast<int>(q);
    const double f = q - k;
    return f >= guard_ && f <= 1 - guard_;
  }
  // True when q of x lies more than a whole step outside [0, span]: the value is outside the
  // limits and farther from them than any value that lies on a limit at its 64-bit precision
  // (Lowest_On, Highest_On), which is within 2^-52 of the limit relatively, far less than a
  // step while the quotients are usable. So the caller may leave it out without dividing:
  // after a deep zoom nearly every point is such a one.
  bool Beyond(double x) const {
    const double q = (x - lo_) * inv_ - shift_;
    return q < -1 || q > span_ + 1;
  }
  // q rounded to the nearest whole number (halves to even) of x: true, with `k` set, when q
  // certainly lies inside [0, span] and away from every half.
  bool Round(double x, int& k) const {
    const double q = (x - lo_) * inv_ - shift_;
    if (!(q >= guard_ && q <= top_)) return false;
    // No branch on the fraction (it is as likely below a half as above): q + 0.5 can only
    // round up to the next whole number when q lies within far less than a guard of a half,
    // and that q is refused anyway.
    k = static_cast<int>(q + 0.5);
    return std::fabs(q - k) < 0.5 - guard_;
  }

 private:
  double lo_ = 0, inv_ = 0, shift_ = 0, guard_ = 1, top_ = 0, span_ = 0;
  bool usable_ = false;
};

}  // namespace pw
