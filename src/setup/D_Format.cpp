// Text to numbers: integers, floating-point numbers, dates and times of day.
#include "setup/D_Format.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <string>

#include "base/D_Error.h"
#include "draw/D_Math.h"
#include "setup/D_String.h"

namespace pw {

namespace {

// Surrounding spaces are tolerated. A tab is not: it does not separate data fields and is no
// part of the number grammar, so "\t5" is a bad field (the setup reader trims its own values).
std::string_view Trim_Spaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool Is_Digit(char c) {
  return c >= '0' && c <= '9';
}

int Hex_Value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "$" and hexadecimal digits: a 32-bit pattern, so $FFFFFFFF is -1.
bool Parse_Hex(std::string_view digits, std::int32_t& value) {
  if (digits.empty()) return false;
  std::uint64_t v = 0;
  for (char c : digits) {
    const int h = Hex_Value(c);
    if (h < 0) return false;
    v = v * 16 + static_cast<unsigned>(h);
    if (v > 0xFFFFFFFFull) return false;
  }
  value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  return true;
}

// True when text is: optional sign, digits with an optional "." part (at least one digit in
// all), optional exponent "E"/"e" with optional sign and at least one digit.
bool Is_Float_Text(std::string_view t) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && Is_Digit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && Is_Digit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < t.size() && Is_Digit(t[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == t.size();
}

// Days from 1970-01-01 to a proleptic Gregorian date (exact integer arithmetic).
std::int64_t Days_From_Civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool Is_Leap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int Days_In_Month(int y, int m) {
  static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && Is_Leap(y) ? 29 : days[m - 1];
}

// One date part: 1..max_digits decimal digits.
bool Parse_Date_Part(std::string_view part, std::size_t max_digits, int& value) {
  if (part.empty() || part.size() > max_digits) return false;
  value = 0;
  for (char c : part) {
    if (!Is_Digit(c)) return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

std::string Quoted(std::string_view text, const char* tail) {
  // Appended piece by piece: "'" + std::string(...) trips a false -Wrestrict in g++ 12.
  std::string quoted(1, '\'');
  quoted.append(text).append("' ").append(tail);
  return quoted;
}

locale_t C_Numeric_Locale() {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c_locale;
}

}  // namespace

void Set_Notation() {
  // Our own conversions never read the process locale; this keeps any library formatting
  // elsewhere on "." as well.
  std::setlocale(LC_NUMERIC, "C");
}

bool Try_Str_To_Int(std::string_view text, std::int32_t& value) {
  std::string_view t = Trim_Spaces(text);
  if (t.empty()) return false;
  if (t.front() == '$') return Parse_Hex(t.substr(1), value);
  bool negative = false;
  if (t.front() == '+' || t.front() == '-') {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return false;
  std::int64_t v = 0;
  for (char c : t) {
    if (!Is_Digit(c)) return false;
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

std::int32_t Str_To_Int(std::string_view text) {
  std::int32_t value = 0;
  if (!Try_Str_To_Int(text, value)) throw Error(Quoted(text, "is not a valid integer value"));
  return value;
}

bool Try_Str_To_Float(std::string_view text, long double& value) {
  const std::string_view t = Trim_Spaces(text);
  if (!Is_Float_Text(t)) return false;
  // The grammar above leaves strtold nothing locale- or hex-specific to interpret, and the
  // "C" locale object pins the decimal point; strtold rounds correctly to extended.
  const std::string s(t);
  char* end = nullptr;
  errno = 0;
  const long double v = strtold_l(s.c_str(), &end, C_Numeric_Locale());
  if (end != s.c_str() + s.size()) return false;
  if (Is_Missing(v)) return false;  // overflow to infinity
  value = v;                        // underflow to zero or a denormal is accepted
  return true;
}

long double Str_To_Float(std::string_view text) {
  long double value = 0;
  if (!Try_Str_To_Float(text, value)) {
    throw Error(Quoted(text, "is not a valid floating point value"));
  }
  return value;
}

bool Fits_Double(long double x) {
  return std::fabs(x) < static_cast<long double>(DBL_MAX) + std::ldexp(1.0L, 970);
}

double Str_To_Date(std::string_view text) {
  const std::string_view t = Trim_Spaces(text);
  const std::size_t slash1 = t.find('/');
  const std::size_t slash2 = slash1 == std::string_view::npos ? slash1 : t.find('/', slash1 + 1);
  int y = 0;
  int m = 0;
  int d = 0;
  const bool ok = slash2 != std::string_view::npos && Parse_Date_Part(t.substr(0, slash1), 4, y) &&
                  Parse_Date_Part(t.substr(slash1 + 1, slash2 - slash1 - 1), 2, m) &&
                  Parse_Date_Part(t.substr(slash2 + 1), 2, d) && y >= 1 && m >= 1 && m <= 12 &&
                  d >= 1 && d <= Days_In_Month(y, m);
  if (!ok) throw Error(Quoted(text, "is not a valid date"));
  return static_cast<double>(
      Days_From_Civil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) -
      Days_From_Civil(1899, 12, 30));
}

bool Parse_Time(std::string_view text, long double& value) {
  value = 0;
  text = Strip_Blanks(text);
  if (text.find(':') == std::string_view::npos) return false;
  long double offset = 0;
  switch (text.front()) {
    case '#':
      offset = 48;
      break;
    case '+':
      offset = 24;
      break;
    case '-':
      offset = -24;
      break;
    case '=':
      offset = -48;
      break;
    default:
      break;
  }
  if (offset != 0) text.remove_prefix(1);
  std::string rest(text);
  std::string parts[3];
  Split_Fields(rest, parts, ':', 3);
  const std::int32_t hours = Str_To_Int(parts[0]);
  const std::int32_t minutes = Str_To_Int(parts[1]);
  const long double seconds = Str_To_Float(parts[2]);
  value = hours + minutes / 60.0L + seconds / 3600.0L + offset;
  return true;
}

}  // namespace pw
