// Exact, allocation-free conversion of data fields to long double.
//
// The data loader converts millions of fields; the library conversions (strtold and
// from_chars to long double) are several times slower than splitting the file. Most data
// fields carry few significant digits, so their value is an integer mantissa of at most 19
// digits times or divided by a power of ten that long double holds exactly (10^0..10^27):
// one multiplication or division, hence one rounding, gives the correctly rounded result.
// Everything else goes to Str_To_Float, which is exact on every input and owns the grammar
// and the error message.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace pw {

namespace fastnum_detail {

// 10^k for k = 0..27: 5^27 < 2^63, so each is exact in the 64-bit mantissa.
inline constexpr long double kPow10[28] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                           1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                           1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L, 1e20L,
                                           1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
inline constexpr int kMaxPow = 27;
inline constexpr int kMaxDigits = 19;  // 10^19 - 1 < 2^64: the mantissa fits an uint64

inline bool Is_Digit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

inline constexpr std::uint64_t kPow10_Int[9] = {1,      10,      100,      1000,     10000,
                                                100000, 1000000, 10000000, 100000000};

// The run of decimal digits at p, at most 8 and not past `end`: their count, and their value
// in `value`. Reads the 8 bytes from p whatever `end` is. Finding the run's length with a
// mask and converting it with three multiplications spares the branch per digit, which
// mispredicts at the end of every number of varying length.
inline int Digit_Run(const char* p, const char* end, std::uint64_t& value) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  const std::uint64_t x = word - 0x3030303030303030ull;
  // A byte above 9 (or one that wrapped below '0') sets its high bit here; carries and borrows
  // only move towards later bytes, past the first byte that is not a digit.
  const std::uint64_t not_digit = ((x + 0x7676767676767676ull) | x) & 0x8080808080808080ull;
  int length = not_digit != 0 ? std::countr_zero(not_digit) >> 3 : 8;
  if (end - p < length) length = static_cast<int>(end - p);
  if (length == 0) {
    value = 0;
    return 0;
  }
  // The digits to the top bytes with zeros in front: eight digits, the first most significant
  // (little-endian), then pairs, fours and the eight combined.
  std::uint64_t v = x << (8 * (8 - length));
  v = v * 10 + (v >> 8);
  v = (((v & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
       (((v >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
      32;
  value = v & 0xFFFFFFFFull;
  return length;
}

// Appends the digits at p to `mantissa` (which may wrap past 19 digits: such texts are refused
// anyway); returns p past them. `Padded`: 8 bytes past `end` are readable.
template <bool Padded>
inline const char* Append_Digits(const char* p, const char* end, std::uint64_t& mantissa) {
  if constexpr (Padded) {
    for (;;) {
      std::uint64_t value;
      const int length = Digit_Run(p, end, value);
      mantissa = mantissa * kPow10_Int[length] + value;
      p += length;
      if (length < 8) return p;
    }
  } else {
    while (p != end && Is_Digit(*p)) mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    return p;
  }
}

// Fast_Str_To_Float, and with `Padded` its faster form for a text after which 8 more bytes
// are readable (a data line's field).
template <bool Padded>
inline bool Fast_To_Float(std::string_view text, long double& value) {
  const char* p = text.data();
  const char* const end = p + text.size();
  if (p == end) return false;
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  // Integer part; leading zeros are not significant. An unsigned overflow past 19 digits is
  // harmless: such texts are refused below.
  const char* const integer = p;
  while (p != end && *p == '0') ++p;
  const char* significant = p;
  std::uint64_t mantissa = 0;
  p = Append_Digits<Padded>(p, end, mantissa);
  if (p == integer) return false;  // no integer digit: left to the general converter
  long digits = p - significant;
  int exponent10 = 0;
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    if (mantissa == 0) {
      while (p != end && *p == '0') ++p;
    }
    significant = p;
    p = Append_Digits<Padded>(p, end, mantissa);
    if (p == fraction) return false;  // "5." and similar: the general converter decides
    digits += p - significant;
    exponent10 = static_cast<int>(fraction - p);
  }
  if (digits > kMaxDigits) return false;
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool negative_exponent = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) ++p;
    const char* const exponent_start = p;
    int exponent = 0;
    while (p != end && Is_Digit(*p) && p - exponent_start < 4) {
      exponent = exponent * 10 + (*p++ - '0');
    }
    if (p == exponent_start) return false;
    exponent10 += negative_exponent ? -exponent : exponent;
  }
  if (p != end) return false;  // other characters, or an exponent too long for this path
  // Below 2^63 the mantissa converts with one signed integer load.
  const long double m = mantissa < (std::uint64_t{1} << 63)
                            ? static_cast<long double>(static_cast<std::int64_t>(mantissa))
                            : static_cast<long double>(mantissa);
  long double result;
  if (exponent10 >= 0 && exponent10 <= kMaxPow) {
    result = m * kPow10[exponent10];
  } else if (exponent10 < 0 && exponent10 >= -kMaxPow) {
    result = m / kPow10[-exponent10];
  } else if (mantissa == 0) {
    result = 0;
  } else {
    return false;
  }
  value = negative ? -result : result;
  return true;
}

}  // namespace fastnum_detail

// Converts the plain forms [+-]digits[.digits][(e|E)[+-]digits] when the exact fast path
// applies; returns false (value untouched) for every other text, valid or not. Inline: the
// loader calls it for every numeric field.
inline bool Fast_Str_To_Float(std::string_view text, long double& value) {
  return fastnum_detail::Fast_To_Float<false>(text, value);
}

// Fast_Str_To_Float, with exactly its results, for a text after which 8 more bytes are
// readable (their content does not matter): faster, eight digits at a time.
inline bool Fast_Padded_To_Float(std::string_view text, long double& value) {
  return fastnum_detail::Fast_To_Float<true>(text, value);
}

// The field as a number: the fast path, else Str_To_Float (which raises the conversion error
// "'%s' is not a valid floating point value" on bad text, the empty text included).
long double Field_To_Float(std::string_view text);

}  // namespace pw
