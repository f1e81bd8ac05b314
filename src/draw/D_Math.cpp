#include "draw/D_Math.h"

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "base/D_Error.h"
#include "base/settings.h"
#include "setup/D_Format.h"

namespace pw {

namespace {

// Bytes 8 and 9 of an x87 extended value hold the sign and the 15 exponent bits.
std::uint16_t Sign_Exponent(long double x) {
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &x, sizeof(long double));
  return static_cast<std::uint16_t>(bytes[8] | (bytes[9] << 8));
}

// Builds an extended value from its sign/exponent word and its 64-bit mantissa.
long double Make_Extended(std::uint16_t sign_exponent, std::uint64_t mantissa) {
  static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended expected");
  long double x = 0;  // also clears the padding bytes
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &mantissa, 8);
  bytes[8] = static_cast<unsigned char>(sign_exponent & 0xFF);
  bytes[9] = static_cast<unsigned char>(sign_exponent >> 8);
  std::memcpy(&x, bytes, sizeof(long double));
  return x;
}

// The precision check belongs to the start of the arithmetic module.
[[maybe_unused]] const bool precision_checked = (Check_Precision(), true);

}  // namespace

long double Make_Missing() {
  return Make_Extended(0x7FFF, ~std::uint64_t{0});
}

bool Is_Missing(long double x) {
  return (Sign_Exponent(x) & 0x7FFF) == 0x7FFF;
}

void Split_Decimal(long double x, long double& mantissa, long double& scale) {
  // A non-finite x would never leave the loops below; hand it back unscaled.
  if (x == 0 || Is_Missing(x)) {
    mantissa = x == 0 ? 0.0L : x;
    scale = 1;
    return;
  }
  long double m = std::fabs(x);
  long double s = 1;
  while (m >= 10) {
    m *= 0.1L;
    s *= 10;
  }
  while (!(m >= 1)) {
    m *= 10;
    s *= 0.1L;
  }
  mantissa = x < 0 ? -m : m;
  scale = s;
}

void Split_Int_Frac(long double x, std::int32_t& int_part, long double& frac) {
  const long double t = std::trunc(x);
  if (!(t >= static_cast<long double>(INT32_MIN) && t <= static_cast<long double>(INT32_MAX))) {
    throw Error(Range_Check_Message);
  }
  std::int32_t i = static_cast<std::int32_t>(t);
  long double f = x - t;
  if (f < 0) {
    if (i == INT32_MIN) throw Error(Integer_Overflow_Message);
    f += 1;
    i -= 1;
    // A tiny negative fraction plus one can round up to exactly 1; keep it below 1.
    if (f >= 1) f = std::nextafter(1.0L, 0.0L);
  }
  int_part = i;
  frac = f;
}

bool Precision_Is_Short(long double computed_third) {
  const long double stored_third = Make_Extended(0x3FFD, 0xAAAAAAAAAAAAAAAAull);
  return std::fabs(computed_third - stored_third) > 1e-18L;
}

void Check_Precision() {
  // volatile keeps the division at run time, where a shortened precision control would show.
  volatile long double one = 1;
  volatile long double three = 3;
  const long double third = one / three;
  if (Precision_Is_Short(third)) Significant_Digits = 16;
}

namespace {

// The end, towards `direction`, of the 80-bit values that round to the same double as the
// finite limit. Two neighbouring doubles differ in their 53rd bit, so their midpoint is exact
// in 64 bits; a value on the midpoint rounds to the even neighbour.
long double Reach(long double limit, long double direction) {
  if (!Fits_Double(limit)) return limit;
  const double d = static_cast<double>(limit);
  const double next = std::nextafter(d, static_cast<double>(direction));
  long double end;
  if (std::isinf(next)) {
    // Past the largest double: everything that still converts to it (see Fits_Double).
    end = std::nextafter(
        std::copysign(static_cast<long double>(DBL_MAX) + std::ldexp(1.0L, 970), direction), 0.0L);
  } else {
    end = (static_cast<long double>(next) + d) / 2;
    if (static_cast<double>(end) != d) end = std::nextafter(end, static_cast<long double>(d));
  }
  return direction < 0 ? std::min(end, limit) : std::max(end, limit);
}

}  // namespace

long double Lowest_On(long double limit) {
  return Reach(limit, -std::numeric_limits<long double>::infinity());
}

long double Highest_On(long double limit) {
  return Reach(limit, std::numeric_limits<long double>::infinity());
}

long double Round_Even(long double x) {
  const int old_mode = std::fegetround();
  if (old_mode == FE_TONEAREST) return std::nearbyint(x);
  std::fesetround(FE_TONEAREST);
  const long double r = std::nearbyint(x);
  std::fesetround(old_mode);
  return r;
}

std::int64_t Round_Even_Int(long double x) {
  if (std::isnan(x)) return 0;
  const long double r = Round_Even(x);
  // 2^63 is exact in extended; anything at or beyond it saturates.
  constexpr long double two63 = 9223372036854775808.0L;
  if (r >= two63) return INT64_MAX;
  if (r < -two63) return INT64_MIN;
  return static_cast<std::int64_t>(r);
}

}  // namespace pw
