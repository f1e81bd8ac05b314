// Numbers to text: the fixed, exponent and general forms and the program's two formats.
#include <locale.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/settings.h"
#include "draw/D_Math.h"
#include "setup/D_Format.h"
#include "setup/D_String.h"

namespace pw {

namespace {

constexpr int Max_Precision = 18;

int Limit_Precision(int p) {
  return p < 2 ? 2 : (p > Max_Precision ? Max_Precision : p);
}

// printf under the "C" locale for this thread only, so the decimal point is always ".".
template <typename... Args>
std::string C_Printf(const char* format, Args... args) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const locale_t previous = uselocale(c_locale);
  char buffer[128];
  int n = std::snprintf(buffer, sizeof buffer, format, args...);
  std::string text;
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof buffer) {
    text.assign(buffer, static_cast<std::size_t>(n));
  } else if (n >= 0) {
    text.resize(static_cast<std::size_t>(n) + 1);
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<std::size_t>(n));
  }
  uselocale(previous);
  return text;
}

// The program rounds an exact decimal tie half away from zero, where printf rounds it half to
// even; every other value keeps printf's correctly rounded digits.
//
// True when x rounded to `decimals` decimal places (negative: to tens, hundreds, ...) lies
// exactly halfway between two candidates, i.e. when x * 2 * 10^decimals is an odd integer.
// With x = m * 2^e (m the 64-bit integer mantissa) that is m * 2^(e+1+D) * 5^D: for D >= 0,
// 5^D is odd, so the power of two must cancel m's trailing zeros exactly; for D < 0 the same
// must hold and 5^-D must also divide what is left of m.
bool Is_Decimal_Tie(long double x, long long decimals) {
  if (x == 0 || !std::isfinite(x)) return false;
  int binary_exponent = 0;
  const long double fraction = std::frexp(std::fabs(x), &binary_exponent);  // [0.5, 1)
  const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
  const long long shift = -(static_cast<long long>(binary_exponent) - 64 + 1 + decimals);
  if (shift < 0 || std::countr_zero(m) != shift) return false;
  if (decimals >= 0) return true;
  const std::uint64_t odd = m >> shift;
  std::uint64_t power = 1;  // 5^-decimals, which must divide `odd` (< 2^64)
  for (long long k = 0; k < -decimals; ++k) {
    if (power > odd / 5) return false;
    power *= 5;
  }
  return odd % power == 0;
}

// Adds one unit in the last digit of a digit text ("-12.39" -> "-12.40", "9.9" -> "10.0"),
// skipping the sign and the point: rounding up in magnitude.
void Increment_Last_Digit(std::string& text) {
  for (std::size_t i = text.size(); i-- > 0;) {
    if (text[i] == '.') continue;
    if (text[i] == '-') {
      text.insert(i + 1, 1, '1');
      return;
    }
    if (text[i] != '9') {
      ++text[i];
      return;
    }
    text[i] = '0';
  }
  text.insert(0, 1, '1');
}

// x rounded to `precision` significant digits: the digits (no point, no sign) and the decimal
// exponent of the first digit. x must be finite.
struct Digits {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

Digits Parse_Exponent_Text(const std::string& e) {  // [-]d.ddde[+-]xx
  Digits r;
  std::size_t i = 0;
  if (e[i] == '-') {
    r.negative = true;
    ++i;
  }
  for (; i < e.size() && e[i] != 'e'; ++i) {
    if (e[i] != '.') r.digits += e[i];
  }
  r.exponent = std::atoi(e.c_str() + i + 1);
  return r;
}

Digits Round_To_Digits(long double x, int precision) {
  // One digit more than asked. A tie's expansion ends right after its tie digit, so for a
  // tie this text is exact and its exponent is that of x (never a rounded-up power of ten);
  // for anything else the tie test below fails whatever exponent printf showed.
  Digits r = Parse_Exponent_Text(C_Printf("%.*Le", precision, x));
  if (Is_Decimal_Tie(x, static_cast<long long>(precision) - 1 - r.exponent)) {
    r.digits.pop_back();  // the tie digit, a 5
    Increment_Last_Digit(r.digits);
    if (static_cast<int>(r.digits.size()) > precision) {  // 99.5 -> 100: one power more
      r.digits.pop_back();
      ++r.exponent;
    }
  } else {
    r = Parse_Exponent_Text(C_Printf("%.*Le", precision - 1, x));
  }
  if (x == 0) r.negative = false;  // no "-0"
  return r;
}

// x with `decimals` decimals, an exact tie rounded half away from zero.
std::string Fixed_Decimals(long double x, int decimals) {
  if (!Is_Decimal_Tie(x, decimals)) return C_Printf("%.*Lf", decimals, x);
  std::string text = C_Printf("%.*Lf", decimals + 1, x);  // exact: ends in the tie digit 5
  text.pop_back();
  if (text.back() == '.') text.pop_back();
  Increment_Last_Digit(text);
  return text;
}

// Drops the zeros that end the mantissa of an exponent-form text, then a point left last.
void Strip_Mantissa_Zeros(std::string& text) {
  std::size_t pos = text.find('E');
  while (pos > 0 && text[pos - 1] == '0') text.erase(--pos, 1);
  if (pos > 0 && text[pos - 1] == '.') text.erase(pos - 1, 1);
}

}  // namespace

int Decimal_Exponent(long double x) {
  if (x == 0) return -1;
  if (Is_Missing(x)) return 0;  // no leading digit; the loops below would never end
  // Nudged just above |x|: the repeated multiplications by 0.1 below round, and would take
  // an exact power of ten such as 1000 to 99.99... and one exponent short.
  long double a = std::fabs(x) * (1 + 92 * 0x1p-63L);
  // Within a hair of the largest extended number the nudge overflows to an infinity, which
  // the loop below would divide for ever; no power of ten lies that high, so no nudge is needed.
  if (Is_Missing(a)) a = std::fabs(x);
  int n = 0;
  while (a >= 10) {
    a *= 0.1L;
    ++n;
  }
  while (a < 1) {
    a *= 10;
    --n;
  }
  return n;
}

std::string Exponent_Form(long double x, int precision, int exponent_digits) {
  if (Is_Missing(x)) return "?";
  const Digits r = Round_To_Digits(x, Limit_Precision(precision));
  std::string text = r.negative ? "-" : "";
  text += r.digits[0];
  if (r.digits.size() > 1) text.append(1, '.').append(r.digits, 1);
  std::string e = std::to_string(std::abs(r.exponent));
  if (static_cast<int>(e.size()) < exponent_digits) {
    e.insert(0, static_cast<std::size_t>(exponent_digits) - e.size(), '0');
  }
  return text + "E" + (r.exponent < 0 ? "-" : "+") + e;
}

std::string Fixed_Form(long double x, int precision, int decimals) {
  if (Is_Missing(x)) return "?";
  const int p = Limit_Precision(precision);
  if (decimals < 0) decimals = 0;
  const Digits r = Round_To_Digits(x, p);
  if (r.exponent + 1 > p) return Exponent_Form(x, p, 2);
  std::string text;
  if (r.exponent + 1 + decimals <= p) {
    // At most p significant digits are asked for: one rounding at the last decimal.
    text = Fixed_Decimals(x, decimals);
  } else {
    // More decimals than the precision carries: p significant digits, then zeros.
    std::string digits = r.digits;
    const int int_digits = r.exponent + 1;
    std::string int_part, frac_part;
    if (int_digits > 0) {
      int_part = digits.substr(0, static_cast<std::size_t>(int_digits));
      frac_part = digits.substr(static_cast<std::size_t>(int_digits));
    } else {
      int_part = "0";
      frac_part = std::string(static_cast<std::size_t>(-int_digits), '0') + digits;
    }
    frac_part.resize(static_cast<std::size_t>(decimals), '0');
    text = (r.negative ? "-" : "") + int_part + (decimals > 0 ? "." + frac_part : "");
  }
  // A value that rounds to zero is shown without a sign.
  if (text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
  return text;
}

std::string General_Form(long double x, int precision) {
  if (Is_Missing(x)) return "?";
  const int p = Limit_Precision(precision);
  if (x == 0) return "0";
  Digits r = Round_To_Digits(x, p);
  while (r.digits.size() > 1 && r.digits.back() == '0') r.digits.pop_back();
  const std::string sign = r.negative ? "-" : "";
  const int n = static_cast<int>(r.digits.size());
  if (r.exponent + 1 <= p && std::fabs(x) >= 0.00001L) {
    if (r.exponent < 0) {
      return sign + "0." + std::string(static_cast<std::size_t>(-r.exponent - 1), '0') + r.digits;
    }
    if (n <= r.exponent + 1) {
      return sign + r.digits + std::string(static_cast<std::size_t>(r.exponent + 1 - n), '0');
    }
    const std::size_t int_digits = static_cast<std::size_t>(r.exponent + 1);
    return sign + r.digits.substr(0, int_digits) + "." + r.digits.substr(int_digits);
  }
  std::string text = sign + r.digits.substr(0, 1);
  if (n > 1) text.append(1, '.').append(r.digits, 1);
  return text + "E" + (r.exponent < 0 ? "-" : "") + std::to_string(std::abs(r.exponent));
}

std::string Format_Number(int width, int max_decimals, bool force_exponent, long double x,
                          bool strip_zeros, bool no_fill) {
  std::string text;
  if (Is_Missing(x)) {
    text.push_back('?');  // not text = "?": a false -Wrestrict in g++ 12
  } else {
    const int e = Decimal_Exponent(x);
    bool fixed_done = false;
    if (!force_exponent) {
      int k = e + 1;
      int d = Significant_Digits - k;
      if (k < 1) k = 1;
      int m = width - 2 - k;
      if (m > max_decimals) m = max_decimals;
      if (d > m) d = m;
      if (d >= 0) {
        text = Fixed_Form(x, width, d);
        // The fixed form falls back to the exponent form only beyond 18 integer digits.
        if (text.find('E') == std::string::npos) {
          if (d == 0) text += '.';
          if (strip_zeros) {
            while (!text.empty() && text.back() == '0') text.pop_back();
            if (!text.empty() && text.back() == '.') text.pop_back();
          }
        }
        fixed_done = true;
      }
    }
    if (!fixed_done) {
      const int c = std::abs(e) < 100 ? 3 : 4;
      int p = width - c - 3;
      if (p > max_decimals) p = max_decimals;
      text = Exponent_Form(x, p, 2);
      if (strip_zeros) Strip_Mantissa_Zeros(text);
    }
  }
  if (!no_fill && width > 0) Pad_Left(text, static_cast<std::size_t>(width), ' ');
  return text;
}

std::string Format_Short(int precision, long double x) {
  if (Is_Missing(x)) return "?";
  if (precision == 0) precision = Significant_Digits;
  std::string text;
  if (std::fabs(x) < 10000) {
    text = General_Form(x, precision);
  } else {
    text = Exponent_Form(x, precision, 1);
    const std::size_t pos = text.find('E');
    if (pos + 1 < text.size() && text[pos + 1] == '+') text.erase(pos + 1, 1);
    Strip_Mantissa_Zeros(text);
  }
  if (text.size() > 1) {
    if (text[0] == '0') {
      text.erase(0, 1);
    } else if (text[0] == '-' && text[1] == '0') {
      text.erase(1, 1);
    }
  }
  return text;
}

}  // namespace pw
