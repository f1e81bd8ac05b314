#include "data/d_fastnum.h"

#include <cstdint>

#include "setup/D_Format.h"

namespace pw {
namespace {

// 10^k for k = 0..27: 5^27 < 2^63, so each is exact in the 64-bit mantissa.
constexpr long double kPow10[28] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                    1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                    1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L, 1e20L,
                                    1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
constexpr int kMaxPow = 27;
constexpr int kMaxDigits = 19;  // 10^19 - 1 < 2^64: the mantissa fits an uint64

inline bool Is_Digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

}  // namespace

bool Fast_Str_To_Float(std::string_view text, long double& value) {
  const char* p = text.data();
  const char* end = p + text.size();
  if (p == end) return false;
  bool negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    ++p;
  }
  std::uint64_t mantissa = 0;
  int digits = 0;       // significant digits taken into the mantissa
  int exponent10 = 0;   // power of ten applied to the mantissa
  const char* start = p;
  for (; p != end && Is_Digit(*p); ++p) {
    if (mantissa == 0 && *p == '0') continue;  // leading zeros are not significant
    if (++digits > kMaxDigits) return false;
    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  }
  if (p == start) return false;  // no integer digit: left to the general converter
  if (p != end && *p == '.') {
    ++p;
    const char* fraction = p;
    for (; p != end && Is_Digit(*p); ++p) {
      --exponent10;
      if (mantissa == 0 && *p == '0') continue;
      if (++digits > kMaxDigits) return false;
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
    if (p == fraction) return false;  // "5." and similar: the general converter decides
  }
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative_exponent = false;
    if (p != end && (*p == '-' || *p == '+')) {
      negative_exponent = *p == '-';
      ++p;
    }
    const char* exponent_start = p;
    int exponent = 0;
    for (; p != end && Is_Digit(*p); ++p) {
      if (p - exponent_start >= 4) return false;  // far outside the fast range anyway
      exponent = exponent * 10 + (*p - '0');
    }
    if (p == exponent_start) return false;
    exponent10 += negative_exponent ? -exponent : exponent;
  }
  if (p != end) return false;
  long double result;
  if (mantissa == 0) {
    result = 0;
  } else if (exponent10 >= 0 && exponent10 <= kMaxPow) {
    result = static_cast<long double>(mantissa) * kPow10[exponent10];
  } else if (exponent10 < 0 && exponent10 >= -kMaxPow) {
    result = static_cast<long double>(mantissa) / kPow10[-exponent10];
  } else {
    return false;
  }
  value = negative ? -result : result;
  return true;
}

long double Field_To_Float(std::string_view text) {
  long double value;
  if (Fast_Str_To_Float(text, value)) return value;
  return Str_To_Float(text);
}

}  // namespace pw
